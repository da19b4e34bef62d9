#include "platform/qt/QtWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

#include "platform/RuntimeError.h"
#include "platform/qt/QtToolkit.h"

namespace tamrel::qt {

QtWindow::QtWindow(QtToolkit& toolkit, const ui::WindowSpec& spec)
    : toolkit_(toolkit), spec_(spec), units_(toolkit.units()), widget_(new WindowWidget) {
    widget_->setObjectName(QString::fromLocal8Bit(spec.name));
    widget_->setWindowTitle(QString::fromLocal8Bit(spec.caption));
    if (spec.borderless || spec.fullScreen) widget_->setWindowFlag(Qt::FramelessWindowHint);
    if (spec.fullScreen) {
        // A bare X server has no window manager to honour the full-screen
        // state, so the geometry is set as well.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) widget_->setGeometry(screen->geometry());
    } else {
        widget_->resize(units_.Pixels(spec.clientWidth), units_.Pixels(spec.clientHeight));
    }
}

QtWindow::~QtWindow() {
    if (!widget_) return;
    toolkit_.WindowClosed(widget_);
    for (auto& timer : timers_) timer->Stop();
    widget_->CloseForGood();
    // This may run inside one of the widget's own handlers.
    widget_->deleteLater();
}

ui::Control& QtWindow::AddControl(ui::ControlKind kind, const std::string& name, ui::Control* parent,
                                  const ui::Rect& bounds) {
    QWidget* parentWidget = widget_;
    if (auto* frame = dynamic_cast<QtControl*>(parent); frame && frame->widget()) parentWidget = frame->widget();
    controls_.push_back(std::make_unique<QtControl>(kind, name, parentWidget, units_, bounds));
    return *controls_.back();
}

ui::Timer& QtWindow::AddTimer(int intervalMs) {
    timers_.push_back(std::make_unique<QtTimer>(widget_, intervalMs));
    if (closed_) timers_.back()->Stop();
    return *timers_.back();
}

void QtWindow::SetCaption(const std::string& caption) {
    spec_.caption = caption;
    if (widget_) widget_->setWindowTitle(QString::fromLocal8Bit(caption));
}

void QtWindow::Show() {
    if (closed_ || !widget_) return;
    if (spec_.fullScreen) {
        widget_->showFullScreen();
    } else {
        widget_->show();
    }
    toolkit_.WindowShown(widget_);
}

void QtWindow::Close() {
    if (closed_) return;
    closed_ = true;
    for (auto& timer : timers_) timer->Stop();
    if (!widget_) return;
    toolkit_.WindowClosed(widget_);
    widget_->CloseForGood();
}

ui::Twips QtWindow::Width() const { return widget_ ? units_.Twips(widget_->frameGeometry().width()) : 0; }

ui::Twips QtWindow::Height() const { return widget_ ? units_.Twips(widget_->frameGeometry().height()) : 0; }

void QtWindow::SetPicture(const std::string& bitmapPath) {
    const QString path = QString::fromLocal8Bit(bitmapPath);
    if (!QFileInfo(path).isFile()) {
        throw RuntimeError(error::kFileNotFound, "File not found: " + bitmapPath);
    }
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull()) throw RuntimeError(error::kInvalidPicture, "Invalid picture: " + bitmapPath);
    if (!widget_) return;
    QPixmap picture = QPixmap::fromImage(image);
    // One picture pixel on one screen pixel, whatever the scaling.
    picture.setDevicePixelRatio(widget_->devicePixelRatioF());
    widget_->SetPicture(picture);
}

void QtWindow::ClearPicture() {
    if (widget_) widget_->ClearPicture();
}

void QtWindow::Refresh() {
    if (widget_ && widget_->isVisible()) widget_->repaint();
}

void QtWindow::OnKeyPress(std::function<void(int& code)> handler) {
    if (widget_ && !closed_) widget_->onKeyPress = std::move(handler);
}

void QtWindow::OnClick(std::function<void()> handler) {
    if (widget_ && !closed_) widget_->onClick = std::move(handler);
}

}  // namespace tamrel::qt
