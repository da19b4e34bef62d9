#pragma once
// The one shape every help window shares: a small modeless window of
// labels and buttons that works without a mouse (Tab between the buttons,
// Enter or Space presses one, Escape closes the window) and tells the
// program when it has closed.

#include <memory>
#include <string>

#include "platform/Navigator.h"
#include "platform/Platform.h"
#include "platform/ProgramWindow.h"

namespace tamrel {

class HelpWindow : public ProgramWindow {
public:
    bool IsOpen() const override { return open_; }
    void BringToFront() override;
    void Close();

protected:
    HelpWindow(Platform& platform, Navigator& navigator, const std::string& name, const std::string& title, ui::Twips width,
               ui::Twips height);
    ~HelpWindow() override;

    ui::Control& AddLabel(const std::string& name, const std::string& text, const ui::Rect& bounds);
    ui::Control& AddButton(const std::string& name, const std::string& caption, const ui::Rect& bounds,
                           std::function<void()> onClick);
    void Show();

    Platform& platform_;
    Navigator& navigator_;
    std::unique_ptr<ui::Window> window_;

private:
    bool open_ = false;
};

}  // namespace tamrel
