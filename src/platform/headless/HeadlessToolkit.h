#pragma once
// A toolkit without a screen, for tests: windows and controls keep their
// state in memory, every call is recorded, message-box answers are queued
// by the test, the clock only moves when the test advances it, and keys and
// clicks are injected by the test.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Toolkit.h"

namespace tamrel::headless {

class HeadlessWindow;

struct MessageBoxCall {
    std::string prompt;
    ui::Buttons buttons;
    std::string title;
    ui::Icon icon;
    int answer;
};

class HeadlessToolkit : public ui::Toolkit {
public:
    HeadlessToolkit();
    ~HeadlessToolkit() override;

    // --- Set-up by the test ---
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // Used when no answer is queued; without it an unexpected box fails.
    void SetDefaultAnswer(int answer) { defaultAnswer_ = answer; }
    // Where a click is injected, it arrives like a user's click (Windows).
    void SetInjectedClickArrives(bool arrives) { injectedClickArrives_ = arrives; }
    void SetScreenPixels(int width, int height) { screenWidth_ = width, screenHeight_ = height; }
    // A scaled display: device pixels other than the screen's pixels above.
    void SetScreenDevicePixels(int width, int height) { devicePixels_ = {width, height}; }
    // 15 at 96 dots per inch.
    void SetTwipsPerPixel(double twips) { twipsPerPixel_ = twips; }
    // Runs inside a message box, before it answers (a test may act there).
    void OnMessageBox(std::function<void(const MessageBoxCall&)> hook) { boxHook_ = std::move(hook); }
    // Dialog answers, in the order the dialogs open; nullopt is Cancel. A
    // dialog without a queued answer fails the test.
    void QueueOpenAnswer(std::optional<std::string> path) {
        openAnswers_.push_back(path ? std::optional(ui::ChosenFile{*path, true, {}}) : std::nullopt);
    }
    // A file whose path the settings file's code page cannot hold as it is.
    void QueueOpenAnswer(ui::ChosenFile file) { openAnswers_.push_back(std::move(file)); }
    void QueueFontAnswer(std::optional<ui::Font> font) { fontAnswers_.push_back(std::move(font)); }
    void QueueColorAnswer(std::optional<ui::Color> color) { colorAnswers_.push_back(color); }
    // A time, ui::kNoTime for "None", nullopt for Cancel.
    void QueueTimeAnswer(ui::TimeAnswer time) { timeAnswers_.push_back(time); }
    void SetDesktop(ui::Desktop desktop) { desktop_ = desktop; }
    // Nothing can be shown from now on, for this reason.
    void SetDisplayMissing(std::string why) { displayMissing_ = std::move(why); }
    // The user may not use the screen there is; the text is the whole message.
    void SetDisplayRefused(std::string text) { displayRefused_ = std::move(text); }
    // What the display check tells the log.
    void SetDisplayLine(std::string line) { displayLine_ = std::move(line); }
    // Runs when the screen is handed over (a test may look around there).
    void OnHandOver(std::function<void()> hook) { handOverHook_ = std::move(hook); }

    // --- Driving ---
    // Moves the clock, firing every timer that falls due, in order.
    void Advance(int ms);
    // The code the window's handler left (0 when it consumed the key).
    int PressKey(const std::string& window, int code);
    void ClickWindow(const std::string& window);
    void ClickControl(const std::string& window, const std::string& control);
    // Chooses a command item as a user can: only while it and every menu
    // above it are enabled. Returns whether it was chosen.
    bool ChooseMenu(const std::string& window, ui::MenuId id);
    // A mouse press over a control, then, when the handler began a drag, a
    // release over `dropTarget`: a control's name, or "" for the window's
    // background at (dropX, dropY).
    void PressMouse(const std::string& window, const std::string& control, int buttons, ui::Twips x, ui::Twips y);
    void DragTo(const std::string& window, const std::string& dropTarget, ui::Twips dropX, ui::Twips dropY);
    void RequestClose(const std::string& window);
    // A stop request from outside, as a signal would give it.
    void RequestStop(int number);
    // The display going away under the program, as a system going down does.
    void LoseDisplay(const std::string& why) {
        if (onDisplayLost_) onDisplayLost_(why);
    }
    // The joystick's buttons: reported while a listener lives, and those
    // held when one starts reported as held.
    void PressButton(int button);
    void ReleaseButton(int button);
    // A joystick the next listeners may not open.
    void RefuseJoystick(const std::string& device, const std::string& why) { refused_.push_back({device, why}); }
    // No joystick can be had at all: listeners hear nothing but this.
    void LackJoysticks(const std::string& need, const std::string& why) { unavailable_.emplace(need, why); }

    // --- Inspection ---
    const std::vector<std::string>& calls() const { return calls_; }
    const std::vector<MessageBoxCall>& messageBoxes() const { return boxes_; }
    const std::vector<ui::OpenFileRequest>& openDialogs() const { return openDialogs_; }
    const std::vector<ui::Font>& fontDialogs() const { return fontDialogs_; }
    const std::vector<ui::Color>& colorDialogs() const { return colorDialogs_; }
    const std::vector<ui::TimeRequest>& timeDialogs() const { return timeDialogs_; }
    // The most recent window of that name, or null.
    HeadlessWindow* FindWindow(const std::string& name);
    // The windows shown and not closed, oldest first.
    std::vector<HeadlessWindow*> OpenWindows() const;
    ui::Control& ControlOf(const std::string& window, const std::string& control);
    bool quitRequested() const { return quitRequested_; }
    bool joysticksOpen() const { return !listeners_.empty(); }
    bool started() const { return started_; }
    long now() const { return now_; }

    // --- ui::Toolkit ---
    std::string CheckDisplay() override;
    void HandOverScreen() override;
    std::unique_ptr<ui::Window> NewWindow(const ui::WindowSpec& spec) override;
    int ShowMessageBox(const std::string& prompt, ui::Buttons buttons, const std::string& title,
                       ui::Icon icon) override;
    void ProcessPendingEvents() override;
    ui::Twips ScreenWidth() override { return screenWidth_ * twipsPerPixel_; }
    ui::Twips ScreenHeight() override { return screenHeight_ * twipsPerPixel_; }
    int ScreenPixelWidth() override { return devicePixels_ ? devicePixels_->first : screenWidth_; }
    int ScreenPixelHeight() override { return devicePixels_ ? devicePixels_->second : screenHeight_; }
    ui::Desktop desktop() const override { return desktop_; }
    void OnStopRequest(std::function<void(int)> handler) override { onStop_ = std::move(handler); }
    void OnDisplayLost(std::function<void(const std::string&)> handler) override {
        onDisplayLost_ = std::move(handler);
    }
    std::unique_ptr<ui::JoystickListener> ListenToJoysticks(ui::JoystickHandlers handlers) override;
    void Run() override;
    void Quit() override;

    static constexpr int kTwipsPerPixel = 15;

    // Used by the windows.
    void Record(std::string call) { calls_.push_back(std::move(call)); }
    void Forget(HeadlessWindow* window);
    ui::ChosenFile AnswerOpen(const ui::OpenFileRequest& request);
    // The focus taken as a click on the top-most open window, when such a
    // click arrives.
    void TakeFocus();
    ui::Font AnswerFont(const ui::Font& start);
    ui::Color AnswerColor(ui::Color start);
    ui::TimeAnswer AnswerTime(const ui::TimeRequest& request);

    // Used by the joystick listeners.
    void StopListening(const ui::JoystickHandlers* handlers);

private:
    HeadlessWindow& Window(const std::string& name);
    void ReportButton(int button, ui::ButtonChange change);

    std::vector<std::string> calls_;
    std::vector<MessageBoxCall> boxes_;
    std::deque<int> answers_;
    int defaultAnswer_ = 0;
    std::deque<std::optional<ui::ChosenFile>> openAnswers_;
    std::deque<std::optional<ui::Font>> fontAnswers_;
    std::deque<std::optional<ui::Color>> colorAnswers_;
    std::vector<ui::OpenFileRequest> openDialogs_;
    std::vector<ui::Font> fontDialogs_;
    std::vector<ui::Color> colorDialogs_;
    std::deque<ui::TimeAnswer> timeAnswers_;
    std::vector<ui::TimeRequest> timeDialogs_;
    ui::Desktop desktop_ = ui::Desktop::Windows;
    std::string displayRefused_;
    std::string displayLine_;
    std::function<void()> handOverHook_;
    std::function<void(int)> onStop_;
    std::function<void(const std::string&)> onDisplayLost_;
    bool injectedClickArrives_ = true;
    std::function<void(const MessageBoxCall&)> boxHook_;
    std::vector<HeadlessWindow*> windows_;  // owned by the forms
    std::deque<std::function<void()>> pending_;
    int screenWidth_ = 1024;
    int screenHeight_ = 768;
    double twipsPerPixel_ = kTwipsPerPixel;
    std::optional<std::pair<int, int>> devicePixels_;
    std::set<int> heldButtons_;
    std::vector<std::pair<std::string, std::string>> refused_;
    std::set<std::string> refusalsReported_;
    std::optional<std::pair<std::string, std::string>> unavailable_;
    std::vector<const ui::JoystickHandlers*> listeners_;
    long now_ = 0;
    bool started_ = false;
    std::string displayMissing_;
    bool quitRequested_ = false;
};

class HeadlessControl : public ui::Control {
public:
    HeadlessControl(std::string name, ui::ControlKind kind, HeadlessControl* parent, const ui::Rect& bounds)
        : name_(std::move(name)), kind_(kind), parent_(parent), bounds_(bounds) {}

    const std::string& Name() const override { return name_; }
    void SetText(const std::string& text) override { text_ = text; }
    std::string Text() const override { return text_; }
    void SetBounds(const ui::Rect& bounds) override { bounds_ = bounds; }
    ui::Rect Bounds() const override { return bounds_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    bool Visible() const override { return visible_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    void SetFont(const ui::Font& font) override { font_ = font; }
    ui::Font GetFont() const override { return font_; }
    void SetForeColor(ui::Color color) override { color_ = color; }
    ui::Color ForeColor() const override { return color_; }
    void SetToolTip(const std::string& tip) override { tip_ = tip; }
    // A font without a screen: every character 0.6 of the size wide, lines
    // 1.2 of it high (20 twips a point).
    ui::TextSize MeasureText(const std::string& text) const override {
        return {static_cast<ui::Twips>(text.size()) * font_.size * 12, font_.size * 24};
    }
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
    void OnMouseDown(std::function<void(int, ui::Twips, ui::Twips)> handler) override {
        onMouseDown_ = std::move(handler);
    }

    ui::ControlKind kind() const { return kind_; }
    HeadlessControl* parent() const { return parent_; }
    const std::string& toolTip() const { return tip_; }
    // Shown on screen: its own flag and every parent's.
    bool Showing() const { return visible_ && (!parent_ || parent_->Showing()); }
    void Click() {
        if (onClick_ && enabled_) onClick_();
    }
    void MouseDown(int buttons, ui::Twips x, ui::Twips y) {
        if (onMouseDown_ && enabled_) onMouseDown_(buttons, x, y);
    }

private:
    std::string name_;
    ui::ControlKind kind_;
    HeadlessControl* parent_;
    ui::Rect bounds_;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    ui::Font font_;
    ui::Color color_ = 0;
    std::string tip_;
    std::function<void()> onClick_;
    std::function<void(int, ui::Twips, ui::Twips)> onMouseDown_;
};

class HeadlessTimer : public ui::Timer {
public:
    HeadlessTimer(HeadlessToolkit& toolkit, int interval) : toolkit_(toolkit), interval_(interval) {}
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    void OnTick(std::function<void()> handler) override { onTick_ = std::move(handler); }

    long due() const { return due_; }
    // Fires when due; returns whether it did.
    bool FireIfDue(long now);

private:
    HeadlessToolkit& toolkit_;
    int interval_;
    bool enabled_ = false;
    long due_ = 0;
    std::function<void()> onTick_;
};

class HeadlessWindow : public ui::Window {
public:
    HeadlessWindow(HeadlessToolkit& toolkit, const ui::WindowSpec& spec);
    ~HeadlessWindow() override;

    ui::Control& AddControl(ui::ControlKind kind, const std::string& name, ui::Control* parent,
                            const ui::Rect& bounds) override;
    ui::Timer& AddTimer(int intervalMs) override;
    void SetCaption(const std::string& caption) override { spec_.caption = caption; }
    void Show() override;
    void BringToFront() override { toolkit_.Record("BringToFront " + spec_.caption); }
    void Close() override;
    ui::Twips Width() const override;
    ui::Twips Height() const override;
    void SetPicture(const std::string& bitmapPath) override;
    void ClearPicture() override;
    void Refresh() override;
    void TakeFocus() override { toolkit_.TakeFocus(); }
    void OnKeyPress(std::function<void(int& code)> handler) override { onKey_ = std::move(handler); }
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
    void OnCloseRequest(std::function<void()> handler) override { onCloseRequest_ = std::move(handler); }
    void SetMenuBar(const std::vector<ui::MenuDef>& menus) override;
    void SetMenuCaption(ui::MenuId id, const std::string& caption) override;
    std::string MenuCaption(ui::MenuId id) const override;
    void SetMenuEnabled(ui::MenuId id, bool enabled) override;
    bool MenuEnabled(ui::MenuId id) const override;
    void OnMenu(std::function<void(ui::MenuId)> handler) override { onMenu_ = std::move(handler); }
    ui::ChosenFile ShowOpenDialog(const ui::OpenFileRequest& request) override;
    ui::Font ShowFontDialog(const ui::Font& start) override;
    ui::Color ShowColorDialog(ui::Color start) override;
    ui::TimeAnswer ShowTimeDialog(const ui::TimeRequest& request) override;
    void BeginDrag(ui::Control& control) override;
    void OnDragDrop(std::function<void(ui::Twips, ui::Twips)> handler) override { onDrop_ = std::move(handler); }

    const ui::WindowSpec& spec() const { return spec_; }
    // The menu bar as built, with its current captions.
    const std::vector<ui::MenuDef>& menuBar() const { return menus_; }
    // The item's place in the menu bar: its ids from the top menu down.
    std::vector<ui::MenuId> MenuPath(ui::MenuId id) const;
    bool ChooseMenu(ui::MenuId id);
    void PressMouse(HeadlessControl& control, int buttons, ui::Twips x, ui::Twips y);
    void DragTo(HeadlessControl* dropTarget, ui::Twips x, ui::Twips y);
    void RequestClose();
    // The control being dragged, between a press that began it and its drop.
    HeadlessControl* dragging() const { return dragging_; }
    bool shown() const { return shown_; }
    bool closed() const { return closed_; }
    const std::string& picture() const { return picture_; }
    HeadlessControl* FindControl(const std::string& name);
    std::vector<HeadlessTimer*> timers();

    int PressKey(int code);
    void Click();

private:
    HeadlessToolkit& toolkit_;
    ui::WindowSpec spec_;
    std::vector<std::unique_ptr<HeadlessControl>> controls_;
    std::vector<std::unique_ptr<HeadlessTimer>> timers_;
    std::string picture_;
    bool shown_ = false;
    bool closed_ = false;
    std::function<void(int&)> onKey_;
    std::function<void()> onClick_;
    std::function<void()> onCloseRequest_;
    std::vector<ui::MenuDef> menus_;
    std::map<ui::MenuId, bool> menuEnabled_;
    std::function<void(ui::MenuId)> onMenu_;
    HeadlessControl* dragging_ = nullptr;
    std::function<void(ui::Twips, ui::Twips)> onDrop_;
};

}  // namespace tamrel::headless
