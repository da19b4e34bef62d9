#pragma once
// The window toolkit on Qt Widgets. QApplication is created by the first
// call that needs it, so the long wait for the launched program runs without
// any of Qt started. Windows must be destroyed before the toolkit.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/qt/DisplayProbe.h"
#include "platform/qt/QtJoysticks.h"
#include "platform/qt/QtSystemEvents.h"
#include "platform/qt/QtUnits.h"

class QApplication;

namespace tamrel::qt {

class QtToolkit : public ui::Toolkit {
public:
    // The arguments are kept for QApplication, which needs them for its
    // whole life.
    QtToolkit(int argc, char** argv);
    QtToolkit();
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    std::string CheckDisplay() override;
    void HandOverScreen() override;
    std::unique_ptr<ui::Window> NewWindow(const ui::WindowSpec& spec) override;
    int ShowMessageBox(const std::string& prompt, ui::Buttons buttons, const std::string& title,
                       ui::Icon icon) override;
    // Pixels, clamped to the screen. Neither is possible on Wayland, where
    // both do nothing.
    void SetCursorPos(int x, int y);
    // Gives the focus to the window under the pointer: no click is made.
    void InjectLeftClick();
    void ProcessPendingEvents() override;
    ui::Twips ScreenWidth() override;
    ui::Twips ScreenHeight() override;
    int ScreenPixelWidth() override;
    int ScreenPixelHeight() override;
    ui::Desktop desktop() const override { return console_ ? ui::Desktop::Console : ui::Desktop::Session; }
    void OnStopRequest(std::function<void(int)> handler) override { stopRequests_.handler = std::move(handler); }
    void OnDisplayLost(std::function<void(const std::string&)> handler) override { displayLost_ = std::move(handler); }
    std::unique_ptr<ui::JoystickListener> ListenToJoysticks(ui::JoystickHandlers handlers) override;
    void Run() override;
    void Quit() override;

    // Used by the windows.
    const Units& units();
    void WindowShown(QWidget* window);
    void WindowClosed(QWidget* window);

private:
    QApplication& Started();
    // A start the display hangs; the program ends right after.
    void GiveUp(const std::string& why);
    void PointArgv();
    // Logical pixels, which Qt's geometry is given in.
    QRect ScreenPixels();
    double DevicePixelRatio();
    QWidget* MostRecentOpenWindow();

    std::vector<std::string> arguments_;
    std::vector<char*> argv_;
    int argc_ = 0;
    std::function<void(const std::string&)> displayLost_;
    HeldDisplay heldX_;
    StopRequests stopRequests_;
    std::unique_ptr<QApplication> app_;
    Units units_;
    std::vector<QPointer<QWidget>> shown_;  // oldest first
    bool running_ = false;
    bool console_ = false;  // drawing on the Linux console's DRM card
    QtJoysticks joysticks_;
};

}  // namespace tamrel::qt
