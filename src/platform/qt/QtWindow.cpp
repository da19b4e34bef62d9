#include "platform/qt/QtWindow.h"

#include <QDrag>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>

#include "platform/PictureLimits.h"
#include "platform/RuntimeError.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtToolkit.h"

namespace tamrel::qt {

QtWindow::QtWindow(QtToolkit& toolkit, const ui::WindowSpec& spec)
    : toolkit_(toolkit), spec_(spec), units_(toolkit.units()), widget_(new WindowWidget) {
    widget_->setObjectName(QString::fromLocal8Bit(spec.name));
    widget_->setWindowTitle(QString::fromLocal8Bit(spec.caption));
    widget_->dialogKeys = spec.dialog;
    if (spec.borderless || spec.fullScreen) widget_->setWindowFlag(Qt::FramelessWindowHint);
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A bare X server has no window manager to honour the full-screen or
    // maximised state, so the geometry is set as well.
    if (spec.fullScreen && screen) {
        widget_->setGeometry(screen->geometry());
        // On the console nothing else would hide the pointer: no server
        // moves it off a corner, and the screen is Tamrel's alone.
        if (toolkit.desktop() == ui::Desktop::Console) widget_->setCursor(Qt::BlankCursor);
    } else if (spec.maximized && screen) {
        widget_->setGeometry(screen->availableGeometry());
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
    QWidget* parentWidget = widget_ ? widget_->client() : nullptr;
    if (auto* frame = dynamic_cast<QtControl*>(parent); frame && frame->widget()) parentWidget = frame->widget();
    controls_.push_back(std::make_unique<QtControl>(kind, name, parentWidget, units_, bounds));
    controls_.back()->AfterMouseDown([this](QPoint at) { StartDrag(at); });
    // In a dialog Enter presses the focused button, as Space does anywhere.
    if (auto* button = qobject_cast<QPushButton*>(controls_.back()->widget()); button && spec_.dialog) {
        button->setAutoDefault(true);
    }
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
    } else if (spec_.maximized) {
        widget_->showMaximized();
    } else {
        // Centred, so that a dialog does not sit over another window's menus
        // where no window manager places it.
        if (spec_.dialog) {
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                QRect frame = widget_->frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                widget_->move(frame.topLeft());
            }
        }
        widget_->show();
    }
    toolkit_.WindowShown(widget_);
}

void QtWindow::BringToFront() {
    if (closed_ || !widget_) return;
    if (widget_->isMinimized()) widget_->showNormal();
    widget_->raise();
    widget_->activateWindow();
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
    if (const QSize size = reader.size(); size.isValid() && PictureTooLarge(size.width(), size.height())) {
        throw PictureTooLargeError(bitmapPath);
    }
    const QImage image = reader.read();
    if (image.isNull()) throw RuntimeError(error::kInvalidPicture, "Invalid picture: " + bitmapPath);
    if (!widget_) return;
    QPixmap picture = QPixmap::fromImage(image);
    // One picture pixel on one screen pixel, whatever the scaling.
    picture.setDevicePixelRatio(widget_->devicePixelRatioF());
    widget_->client()->SetPicture(picture);
}

void QtWindow::ClearPicture() {
    if (widget_) widget_->client()->ClearPicture();
}

void QtWindow::Refresh() {
    if (widget_ && widget_->isVisible()) widget_->repaint();
}

void QtWindow::OnKeyPress(std::function<void(int& code)> handler) {
    if (widget_ && !closed_) widget_->onKeyPress = std::move(handler);
}

void QtWindow::OnClick(std::function<void()> handler) {
    if (widget_ && !closed_) widget_->client()->onClick = std::move(handler);
}

void QtWindow::OnCloseRequest(std::function<void()> handler) {
    if (widget_ && !closed_) widget_->onCloseRequest = std::move(handler);
}

void QtWindow::SetMenuBar(const std::vector<ui::MenuDef>& menus) {
    if (!widget_) return;
    QPointer<WindowWidget> window = widget_;
    QMenuBar* bar = menus_.Build(widget_, menus, [this, window](ui::MenuId id) {
        // The window may be gone by the time a late menu event comes.
        if (!window || window->closed() || !onMenu_ || !menus_.Reachable(id)) return;
        auto handler = onMenu_;  // the handler may close or destroy the window
        handler(id);
    });
    widget_->SetMenuBar(bar);
    if (!spec_.fullScreen && !spec_.maximized) {
        // The client area keeps the size the form asked for.
        widget_->resize(units_.Pixels(spec_.clientWidth),
                        units_.Pixels(spec_.clientHeight) + bar->sizeHint().height());
    }
}

void QtWindow::SetMenuCaption(ui::MenuId id, const std::string& caption) { menus_.SetCaption(id, caption); }

std::string QtWindow::MenuCaption(ui::MenuId id) const { return menus_.Caption(id); }

void QtWindow::SetMenuEnabled(ui::MenuId id, bool enabled) { menus_.SetEnabled(id, enabled); }

bool QtWindow::MenuEnabled(ui::MenuId id) const { return menus_.Enabled(id); }

void QtWindow::OnMenu(std::function<void(ui::MenuId id)> handler) {
    if (!closed_) onMenu_ = std::move(handler);
}

ui::ChosenFile QtWindow::ShowOpenDialog(const ui::OpenFileRequest& request) {
    // A name is bytes on Linux: the settings file holds any of them.
    return {RunOpenDialog(widget_, request), true, {}};
}

ui::Font QtWindow::ShowFontDialog(const ui::Font& start) { return RunFontDialog(widget_, start); }

ui::Color QtWindow::ShowColorDialog(ui::Color start) { return RunColorDialog(widget_, start); }

ui::TimeAnswer QtWindow::ShowTimeDialog(const ui::TimeRequest& request) { return RunTimeDialog(widget_, request); }

void QtWindow::BeginDrag(ui::Control& control) {
    if (auto* qtControl = dynamic_cast<QtControl*>(&control)) dragging_ = qtControl->widget();
}

void QtWindow::StartDrag(QPoint hotSpot) {
    const QPointer<QWidget> source = std::exchange(dragging_, nullptr);
    // Without a button held there is no release left to end the drag.
    if (!source || closed_ || !widget_ || QGuiApplication::mouseButtons() == Qt::NoButton) return;
    // Owned by the control: the window may be destroyed while it runs.
    const QPointer<QDrag> drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setData(kControlDragFormat, QByteArray::fromStdString(source->objectName().toStdString()));
    drag->setMimeData(data);
    drag->setPixmap(source->grab());
    drag->setHotSpot(hotSpot);
    drag->exec(Qt::MoveAction);
    if (drag) drag->deleteLater();
}

void QtWindow::OnDragDrop(std::function<void(ui::Twips x, ui::Twips y)> handler) {
    if (!widget_ || closed_) return;
    if (!handler) {
        widget_->client()->onDrop = nullptr;
        return;
    }
    widget_->client()->onDrop = [handler = std::move(handler), units = units_](QPoint at) {
        handler(units.Twips(at.x()), units.Twips(at.y()));
    };
}

void QtWindow::TakeFocus() {
    // Far beyond any screen: the pointer stops in the bottom-right corner.
    constexpr int kFarCorner = 10000;
    toolkit_.SetCursorPos(kFarCorner, kFarCorner);
    toolkit_.InjectLeftClick();
}

}  // namespace tamrel::qt
