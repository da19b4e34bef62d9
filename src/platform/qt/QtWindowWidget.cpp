#include "platform/qt/QtWindowWidget.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

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

namespace {

QAccessibleInterface* WindowAccessible(const QString&, QObject* object) {
    auto* window = dynamic_cast<WindowWidget*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

}  // namespace

void ExposeWindowsAsFrames() { QAccessible::installFactory(WindowAccessible); }

ClientArea::ClientArea(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ClientArea"));
    setAcceptDrops(true);
}

void ClientArea::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void ClientArea::ClearPicture() {
    picture_ = QPixmap();
    update();
}

void ClientArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!picture_.isNull()) painter.drawPixmap(0, 0, picture_);
}

void ClientArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    event->accept();
}

void ClientArea::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const bool pressedHere = leftDown_;
    leftDown_ = false;
    if (!pressedHere || !rect().contains(event->position().toPoint()) || !onClick) return;
    auto handler = onClick;  // the handler may close or destroy its window
    handler();
}

bool ClientArea::OverBackground(const QDropEvent& event) const {
    const QPoint at = event.position().toPoint();
    if (!rect().contains(at)) return false;
    const auto* dragged = qobject_cast<const QWidget*>(event.source());
    for (const QObject* child : children()) {
        const auto* control = qobject_cast<const QWidget*>(child);
        if (control && control != dragged && control->isVisibleTo(this) && control->geometry().contains(at)) {
            return false;
        }
    }
    return true;
}

bool ClientArea::FromThisWindow(const QDropEvent& event) const {
    const auto* source = qobject_cast<const QWidget*>(event.source());
    return source && source->window() == window() && event.mimeData()->hasFormat(kControlDragFormat);
}

void ClientArea::dragEnterEvent(QDragEnterEvent* event) {
    if (FromThisWindow(*event)) event->acceptProposedAction();
}

void ClientArea::dragMoveEvent(QDragMoveEvent* event) {
    // Refused over a control, so the pointer shows that nothing would move.
    if (FromThisWindow(*event) && OverBackground(*event)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ClientArea::dropEvent(QDropEvent* event) {
    if (!FromThisWindow(*event) || !OverBackground(*event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (!onDrop) return;
    auto handler = onDrop;
    handler(event->position().toPoint());
}

WindowWidget::WindowWidget() : layout_(new QVBoxLayout(this)), client_(new ClientArea(this)) {
    setFocusPolicy(Qt::StrongFocus);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(client_);
}

void WindowWidget::SetMenuBar(QMenuBar* bar) {
    if (menuBar_) menuBar_->deleteLater();
    menuBar_ = bar;
    // Tab or a click never leaves the focus on the bar: the window's keys go
    // to the form unless the user is in the menus.
    bar->setFocusPolicy(Qt::NoFocus);
    layout_->setMenuBar(bar);
}

void WindowWidget::CloseForGood() {
    closed_ = true;
    onKeyPress = nullptr;
    onCloseRequest = nullptr;
    client_->onClick = nullptr;
    client_->onDrop = nullptr;
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

bool WindowWidget::OpenMenuBar() {
    if (!menuBar_ || !menuBar_->isVisible()) return false;
    for (QAction* action : menuBar_->actions()) {
        if (action->isEnabled() && action->isVisible()) {
            menuBar_->setActiveAction(action);
            return true;
        }
    }
    return false;
}

void WindowWidget::KeyPress(QKeyEvent& event) {
    event.accept();
    // F10 opens the menus, as in most desktops; Alt is the menu bar's own.
    if (event.key() == Qt::Key_F10 && event.modifiers() == Qt::NoModifier && OpenMenuBar()) return;
    if (dialogKeys && (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab)) {
        focusNextPrevChild(event.key() == Qt::Key_Tab && !(event.modifiers() & Qt::ShiftModifier));
        return;
    }
    int code = TypedCharacter(event);
    if (code == 0 || closed_ || !onKeyPress) return;
    // A copy, since the handler may close or even destroy its window.
    auto handler = onKeyPress;
    handler(code);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The forms decide when their windows close: without a handler a request
    // from the window manager (Alt+F4) would leave the program running
    // without a window, so it is refused.
    if (closed_) return;
    event->ignore();
    if (!onCloseRequest) return;
    auto handler = onCloseRequest;
    handler();
}

}  // namespace tamrel::qt
