#pragma once
// The top-level widget of a window: paints the background picture, turns
// key presses into typed character codes and reports left clicks on its own
// background. Once closed it stays hidden and reports nothing.

#include <QPixmap>
#include <QWidget>
#include <functional>

class QKeyEvent;

namespace tamrel::qt {

// The code 1 to 255 of the character a key types, or 0 for a key that types
// none (or one beyond 255).
int TypedCharacter(const QKeyEvent& key);

class WindowWidget : public QWidget {
public:
    WindowWidget();

    void SetPicture(const QPixmap& picture);
    void ClearPicture();
    void CloseForGood();
    bool closed() const { return closed_; }

    std::function<void(int& code)> onKeyPress;
    std::function<void()> onClick;

protected:
    bool event(QEvent* event) override;
    // Tab is a key like any other: a form may choose it as its cancel key.
    bool focusNextPrevChild(bool) override { return false; }
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void KeyPress(QKeyEvent& event);

    QPixmap picture_;
    bool leftDown_ = false;
    bool closed_ = false;
};

}  // namespace tamrel::qt
