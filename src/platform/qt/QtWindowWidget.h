#pragma once
// The widgets of a window. The top-level WindowWidget turns key presses into
// typed character codes, answers close requests and holds an optional menu
// bar above the ClientArea, which holds the controls, paints the background
// picture and reports left clicks and drops on its own background. Control
// positions are relative to the client area, so they mean the same with or
// without a menu bar. Once closed the window stays hidden and reports nothing.

#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>

class QKeyEvent;
class QVBoxLayout;

namespace tamrel::qt {

// The code 1 to 255 of the character a key types, or 0 for a key that types
// none (or one beyond 255).
int TypedCharacter(const QKeyEvent& key);

// The data a dragged control carries; only drops of this window's own
// controls are taken.
inline constexpr const char* kControlDragFormat = "application/x-tamrel-control";

class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget* parent);

    void SetPicture(const QPixmap& picture);
    void ClearPicture();

    std::function<void()> onClick;
    std::function<void(QPoint at)> onDrop;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Qt hands drags over a control that takes no drops to its parent, so
    // the point itself tells background from control. The dragged control
    // is leaving its place and does not count: a short move ends over it.
    bool OverBackground(const QDropEvent& event) const;
    bool FromThisWindow(const QDropEvent& event) const;

    QPixmap picture_;
    bool leftDown_ = false;
};

// Makes assistive technologies see a window as a window (a frame named by
// its caption) rather than as a plain pane.
void ExposeWindowsAsFrames();

class WindowWidget : public QWidget {
public:
    WindowWidget();

    ClientArea* client() const { return client_; }
    // Placed above the client area; the window owns it.
    void SetMenuBar(QMenuBar* bar);
    QMenuBar* menuBar() const { return menuBar_; }
    void CloseForGood();
    bool closed() const { return closed_; }

    std::function<void(int& code)> onKeyPress;
    std::function<void()> onCloseRequest;
    // Keys as a dialog takes them: Tab moves the focus between the controls,
    // Enter and Space press the focused button; other characters still go
    // to onKeyPress.
    bool dialogKeys = false;

protected:
    bool event(QEvent* event) override;
    // Elsewhere Tab is a key like any other: a form may choose it as its
    // cancel key.
    bool focusNextPrevChild(bool next) override { return dialogKeys && QWidget::focusNextPrevChild(next); }
    void closeEvent(QCloseEvent* event) override;

private:
    void KeyPress(QKeyEvent& event);
    bool OpenMenuBar();

    QVBoxLayout* layout_;
    ClientArea* client_;
    QPointer<QMenuBar> menuBar_;
    bool closed_ = false;
};

}  // namespace tamrel::qt
