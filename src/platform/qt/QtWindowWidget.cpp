#include "platform/qt/QtWindowWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tamrel::qt {

int TypedCharacter(const QKeyEvent& key) {
    // Delete types DEL on X but no character on Windows.
    if (key.key() == Qt::Key_Delete) return 0;
    const QString text = key.text();
    if (text.size() == 1) {
        const char16_t code = text.at(0).unicode();
        return code >= 1 && code <= 255 ? code : 0;
    }
    if (!text.isEmpty()) return 0;
    // Some sources give the control keys without their text.
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return 9;
        default: return 0;
    }
}

WindowWidget::WindowWidget() {
    setFocusPolicy(Qt::StrongFocus);
}

void WindowWidget::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void WindowWidget::ClearPicture() {
    picture_ = QPixmap();
    update();
}

void WindowWidget::CloseForGood() {
    closed_ = true;
    onKeyPress = nullptr;
    onClick = nullptr;
    hide();
}

bool WindowWidget::event(QEvent* event) {
    // Taken before QWidget::event, which would spend Tab on moving the focus.
    if (event->type() == QEvent::KeyPress) {
        KeyPress(static_cast<QKeyEvent&>(*event));
        return true;
    }
    return QWidget::event(event);
}

void WindowWidget::KeyPress(QKeyEvent& event) {
    event.accept();
    int code = TypedCharacter(event);
    if (code == 0 || closed_ || !onKeyPress) return;
    // A copy, since the handler may close or even destroy its window.
    auto handler = onKeyPress;
    handler(code);
}

void WindowWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!picture_.isNull()) painter.drawPixmap(0, 0, picture_);
}

void WindowWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    event->accept();
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const bool pressedHere = leftDown_;
    leftDown_ = false;
    if (!pressedHere || !rect().contains(event->position().toPoint())) return;
    if (closed_ || !onClick) return;
    auto handler = onClick;
    handler();
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The forms decide when their windows close; a request from the window
    // manager (Alt+F4) would leave the program running without a window.
    if (!closed_) event->ignore();
}

}  // namespace tamrel::qt
