#pragma once
// The setup window opened on the headless backend, as the start-up opens
// it, with the menus and controls reached by their role names.

#include "TestPlatform.h"
#include "setup/SetupMenus.h"
#include "setup/SetupWindow.h"

namespace tamrel::test {

class SetupTest : public PlatformTest {
protected:
    // Without settings the window starts from the defaults.
    void Open(const Lines& settings = {}) {
        if (!settings.empty()) t.WriteSettings(settings);
        t.app.ShowSetup();
    }
    headless::HeadlessWindow& Window() { return *t.ui.FindWindow("SetupWindow"); }
    std::string Caption(ui::MenuId id) { return Window().MenuCaption(id); }
    bool Enabled(ui::MenuId id) { return Window().MenuEnabled(id); }
    bool Choose(ui::MenuId id) { return t.ui.ChooseMenu("SetupWindow", id); }
    ui::Control& Control(const std::string& name) { return t.ui.ControlOf("SetupWindow", name); }
    std::string Control(const std::string& window, const std::string& name) {
        return t.ui.ControlOf(window, name).Text();
    }
    bool Showing(const std::string& name) { return Window().FindControl(name)->Showing(); }
    void Click(const std::string& control) { t.ui.ClickControl("SetupWindow", control); }
    const SetupState& State() { return t.app.setupWindow()->state(); }
    const headless::MessageBoxCall& LastBox() { return t.ui.messageBoxes().at(t.ui.messageBoxes().size() - 1); }
};

}  // namespace tamrel::test
