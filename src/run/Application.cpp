#include "run/Application.h"

#include "run/Form1.h"
#include "setup/Form2.h"
#include "shutdown/Form3.h"

namespace tamrel {

Application::Application(Platform& platform)
    : platform_(platform), module_(platform.files, platform.clock) {}

Application::~Application() = default;

void Application::Start() {
    Form1 runWindow(*this);
    runWindow.Form_Load();
}

void Application::Run() {
    Start();
    if (HasOpenWindows()) platform_.ui.Run();
}

void Application::ShowSetupWindow() {
    form2_ = std::make_unique<Form2>(*this);
    form2_->Show();
}

void Application::ShowShutdownScreen() {
    form3_ = std::make_unique<Form3>(*this);
    form3_->Show();
}

void Application::WindowClosed() {
    if (!HasOpenWindows()) platform_.ui.Quit();
}

bool Application::HasOpenWindows() const {
    return (form2_ && form2_->IsOpen()) || (form3_ && form3_->IsOpen());
}

}  // namespace tamrel
