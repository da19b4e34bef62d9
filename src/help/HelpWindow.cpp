#include "help/HelpWindow.h"


namespace tamrel {

namespace {

const ui::Font kHelpFont{"MS Sans Serif", 9.75, true, false};
constexpr int kEscape = 27;

}  // namespace

HelpWindow::HelpWindow(Platform& platform, Navigator& navigator, const std::string& name, const std::string& title, ui::Twips width,
                       ui::Twips height)
    : platform_(platform), navigator_(navigator) {
    ui::WindowSpec spec;
    spec.name = name;
    spec.caption = title;
    spec.clientWidth = width;
    spec.clientHeight = height;
    spec.dialog = true;
    window_ = platform.ui.NewWindow(spec);
    window_->OnKeyPress([this](int& code) {
        if (code == kEscape) Close();
    });
    window_->OnCloseRequest([this] { Close(); });
}

HelpWindow::~HelpWindow() = default;

ui::Control& HelpWindow::AddLabel(const std::string& name, const std::string& text, const ui::Rect& bounds) {
    ui::Control& label = window_->AddControl(ui::ControlKind::Label, name, nullptr, bounds);
    label.SetFont(kHelpFont);
    label.SetText(text);
    return label;
}

ui::Control& HelpWindow::AddButton(const std::string& name, const std::string& caption, const ui::Rect& bounds,
                                   std::function<void()> onClick) {
    ui::Control& button = window_->AddControl(ui::ControlKind::Button, name, nullptr, bounds);
    button.SetText(caption);
    button.OnClick(std::move(onClick));
    return button;
}

void HelpWindow::Show() {
    window_->Show();
    open_ = true;
}

void HelpWindow::BringToFront() {
    if (open_) window_->BringToFront();
}

void HelpWindow::Close() {
    if (!open_) return;
    open_ = false;
    window_->Close();
    navigator_.WindowClosed();
}

}  // namespace tamrel
