#include "platform/headless/HeadlessToolkit.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "platform/PictureLimits.h"
#include "platform/RuntimeError.h"

namespace tamrel::headless {

namespace {

// Finds the item of that id in the tree, with the ids above it.
const ui::MenuDef* FindMenu(const std::vector<ui::MenuDef>& menus, ui::MenuId id, std::vector<ui::MenuId>* path) {
    for (const ui::MenuDef& item : menus) {
        if (path) path->push_back(item.id);
        if (item.id == id) return &item;
        if (const ui::MenuDef* found = FindMenu(item.items, id, path)) return found;
        if (path) path->pop_back();
    }
    return nullptr;
}

template <typename T>
T Next(std::deque<std::optional<T>>& answers, const T& start, const char* dialog) {
    if (answers.empty()) throw std::logic_error(std::string("no answer queued for the ") + dialog + " dialog");
    std::optional<T> answer = std::move(answers.front());
    answers.pop_front();
    return answer ? *answer : start;
}

const char* ButtonsName(ui::Buttons buttons) {
    switch (buttons) {
        case ui::Buttons::Ok: return "Ok";
        case ui::Buttons::OkCancel: return "OkCancel";
        case ui::Buttons::YesNo: return "YesNo";
    }
    return "?";
}

}  // namespace

HeadlessToolkit::HeadlessToolkit() = default;
HeadlessToolkit::~HeadlessToolkit() = default;

std::string HeadlessToolkit::CheckDisplay() {
    if (!displayRefused_.empty()) throw ui::DisplayRefused(displayRefused_);
    if (!displayMissing_.empty()) throw ui::DisplayUnavailable(displayMissing_);
    return displayLine_;
}

void HeadlessToolkit::HandOverScreen() {
    Record("HandOverScreen");
    if (handOverHook_) handOverHook_();
}

std::unique_ptr<ui::Window> HeadlessToolkit::NewWindow(const ui::WindowSpec& spec) {
    if (!displayMissing_.empty()) throw ui::DisplayUnavailable(displayMissing_);
    started_ = true;
    Record("NewWindow " + spec.name);
    auto window = std::make_unique<HeadlessWindow>(*this, spec);
    windows_.push_back(window.get());
    return window;
}

void HeadlessToolkit::Forget(HeadlessWindow* window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

int HeadlessToolkit::ShowMessageBox(const std::string& prompt, ui::Buttons buttons,
                                    const std::string& title, ui::Icon icon) {
    if (!displayMissing_.empty()) throw ui::DisplayUnavailable(displayMissing_);
    started_ = true;
    int answer = defaultAnswer_;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    MessageBoxCall call{prompt, buttons, title, icon, answer};
    Record("MessageBox " + title + " | " + prompt + " | " + ButtonsName(buttons));
    if (boxHook_) boxHook_(call);
    boxes_.push_back(call);
    if (answer == 0) throw std::logic_error("message box without an answer: " + prompt);
    return answer;
}

ui::ChosenFile HeadlessToolkit::AnswerOpen(const ui::OpenFileRequest& request) {
    Record("OpenDialog " + request.filter.description);
    openDialogs_.push_back(request);
    return Next(openAnswers_, ui::ChosenFile{request.fileName, true, {}}, "Open");
}

ui::Font HeadlessToolkit::AnswerFont(const ui::Font& start) {
    Record("FontDialog");
    fontDialogs_.push_back(start);
    return Next(fontAnswers_, start, "Font");
}

ui::Color HeadlessToolkit::AnswerColor(ui::Color start) {
    Record("ColorDialog");
    colorDialogs_.push_back(start);
    return Next(colorAnswers_, start, "Color");
}

ui::TimeAnswer HeadlessToolkit::AnswerTime(const ui::TimeRequest& request) {
    Record("TimeDialog " + request.title);
    timeDialogs_.push_back(request);
    if (timeAnswers_.empty()) throw std::logic_error("time dialog without an answer: " + request.title);
    const ui::TimeAnswer answer = timeAnswers_.front();
    timeAnswers_.pop_front();
    return answer;
}

void HeadlessToolkit::TakeFocus() {
    Record("TakeFocus");
    if (!injectedClickArrives_) return;
    // The click lands on the top-most open window, as a real one would.
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        HeadlessWindow* window = *it;
        if (window->shown() && !window->closed()) {
            const std::string name = window->spec().name;
            pending_.push_back([this, name] { ClickWindow(name); });
            return;
        }
    }
}

void HeadlessToolkit::ProcessPendingEvents() {
    Record("ProcessPendingEvents");
    while (!pending_.empty()) {
        auto event = std::move(pending_.front());
        pending_.pop_front();
        event();
    }
}

void HeadlessToolkit::Run() { Record("Run"); }

void HeadlessToolkit::Quit() {
    Record("Quit");
    quitRequested_ = true;
}

void HeadlessToolkit::Advance(int ms) {
    const long end = now_ + ms;
    for (;;) {
        HeadlessTimer* next = nullptr;
        for (HeadlessWindow* window : windows_) {
            for (HeadlessTimer* timer : window->timers()) {
                if (timer->Enabled() && timer->due() <= end && (!next || timer->due() < next->due())) {
                    next = timer;
                }
            }
        }
        if (!next) break;
        now_ = next->due();
        next->FireIfDue(now_);
    }
    now_ = end;
}

HeadlessWindow* HeadlessToolkit::FindWindow(const std::string& name) {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        if ((*it)->spec().name == name) return *it;
    }
    return nullptr;
}

std::vector<HeadlessWindow*> HeadlessToolkit::OpenWindows() const {
    std::vector<HeadlessWindow*> open;
    for (HeadlessWindow* window : windows_) {
        if (window->shown() && !window->closed()) open.push_back(window);
    }
    return open;
}

HeadlessWindow& HeadlessToolkit::Window(const std::string& name) {
    HeadlessWindow* window = FindWindow(name);
    if (!window) throw std::logic_error("no window " + name);
    return *window;
}

ui::Control& HeadlessToolkit::ControlOf(const std::string& window, const std::string& control) {
    HeadlessControl* found = Window(window).FindControl(control);
    if (!found) throw std::logic_error("no control " + control + " in " + window);
    return *found;
}

int HeadlessToolkit::PressKey(const std::string& window, int code) { return Window(window).PressKey(code); }

void HeadlessToolkit::ClickWindow(const std::string& window) { Window(window).Click(); }

void HeadlessToolkit::ClickControl(const std::string& window, const std::string& control) {
    HeadlessWindow& target = Window(window);
    HeadlessControl* found = target.FindControl(control);
    if (!found) throw std::logic_error("no control " + control + " in " + window);
    if (!target.closed() && found->Showing()) found->Click();
}

void HeadlessTimer::SetEnabled(bool enabled) {
    if (enabled && !enabled_) due_ = toolkit_.now() + interval_;
    enabled_ = enabled;
}

bool HeadlessTimer::FireIfDue(long now) {
    if (!enabled_ || due_ > now) return false;
    due_ += interval_;
    if (onTick_) onTick_();
    return true;
}

bool HeadlessToolkit::ChooseMenu(const std::string& window, ui::MenuId id) { return Window(window).ChooseMenu(id); }

void HeadlessToolkit::PressMouse(const std::string& window, const std::string& control, int buttons, ui::Twips x,
                                 ui::Twips y) {
    HeadlessWindow& target = Window(window);
    HeadlessControl* found = target.FindControl(control);
    if (!found) throw std::logic_error("no control " + control + " in " + window);
    target.PressMouse(*found, buttons, x, y);
}

void HeadlessToolkit::DragTo(const std::string& window, const std::string& dropTarget, ui::Twips dropX,
                             ui::Twips dropY) {
    HeadlessWindow& target = Window(window);
    HeadlessControl* over = nullptr;
    if (!dropTarget.empty()) {
        over = target.FindControl(dropTarget);
        if (!over) throw std::logic_error("no control " + dropTarget + " in " + window);
    }
    target.DragTo(over, dropX, dropY);
}

void HeadlessToolkit::RequestClose(const std::string& window) { Window(window).RequestClose(); }

namespace {

class HeadlessJoystickListener : public ui::JoystickListener {
public:
    HeadlessJoystickListener(HeadlessToolkit& ui, ui::JoystickHandlers handlers)
        : ui_(ui), handlers_(std::move(handlers)) {}
    ~HeadlessJoystickListener() override { ui_.StopListening(&handlers_); }
    const ui::JoystickHandlers& handlers() const { return handlers_; }

private:
    HeadlessToolkit& ui_;
    ui::JoystickHandlers handlers_;
};

}  // namespace

std::unique_ptr<ui::JoystickListener> HeadlessToolkit::ListenToJoysticks(ui::JoystickHandlers handlers) {
    Record("ListenToJoysticks");
    auto listener = std::make_unique<HeadlessJoystickListener>(*this, std::move(handlers));
    const ui::JoystickHandlers& own = listener->handlers();
    if (unavailable_) {
        if (own.onUnavailable) own.onUnavailable(unavailable_->first, unavailable_->second);
        return listener;
    }
    listeners_.push_back(&own);
    for (const auto& [device, why] : refused_) {
        if (refusalsReported_.insert(device).second && own.onRefused) own.onRefused(device, why);
    }
    for (int button : heldButtons_) {
        if (own.onButton) own.onButton(button, ui::ButtonChange::HeldAtOpen);
    }
    return listener;
}

void HeadlessToolkit::StopListening(const ui::JoystickHandlers* handlers) {
    Record("StopJoysticks");
    std::erase(listeners_, handlers);
}

void HeadlessToolkit::PressButton(int button) {
    heldButtons_.insert(button);
    ReportButton(button, ui::ButtonChange::Pressed);
}

void HeadlessToolkit::ReleaseButton(int button) {
    heldButtons_.erase(button);
    ReportButton(button, ui::ButtonChange::Released);
}

// A handler may end its own listener, or another.
void HeadlessToolkit::ReportButton(int button, ui::ButtonChange change) {
    const std::vector<const ui::JoystickHandlers*> listeners = listeners_;
    for (const ui::JoystickHandlers* listener : listeners) {
        if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) continue;
        // A copy: the handler may end the listener that holds it.
        const auto onButton = listener->onButton;
        if (onButton) onButton(button, change);
    }
}

void HeadlessToolkit::RequestStop(int number) {
    Record("RequestStop " + std::to_string(number));
    if (onStop_) {
        onStop_(number);
    } else {
        quitRequested_ = true;  // stands for the end of the program
    }
}

HeadlessWindow::HeadlessWindow(HeadlessToolkit& toolkit, const ui::WindowSpec& spec)
    : toolkit_(toolkit), spec_(spec) {}

HeadlessWindow::~HeadlessWindow() { toolkit_.Forget(this); }

ui::Control& HeadlessWindow::AddControl(ui::ControlKind kind, const std::string& name, ui::Control* parent,
                                        const ui::Rect& bounds) {
    controls_.push_back(
        std::make_unique<HeadlessControl>(name, kind, static_cast<HeadlessControl*>(parent), bounds));
    return *controls_.back();
}

ui::Timer& HeadlessWindow::AddTimer(int intervalMs) {
    timers_.push_back(std::make_unique<HeadlessTimer>(toolkit_, intervalMs));
    return *timers_.back();
}

void HeadlessWindow::Show() {
    toolkit_.Record("Show " + spec_.name);
    shown_ = true;
}

void HeadlessWindow::Close() {
    toolkit_.Record("Close " + spec_.name);
    closed_ = true;
    for (auto& timer : timers_) timer->SetEnabled(false);
}

ui::Twips HeadlessWindow::Width() const {
    return spec_.fullScreen || spec_.maximized ? toolkit_.ScreenWidth() : spec_.clientWidth;
}

ui::Twips HeadlessWindow::Height() const {
    return spec_.fullScreen || spec_.maximized ? toolkit_.ScreenHeight() : spec_.clientHeight;
}

void HeadlessWindow::SetPicture(const std::string& bitmapPath) {
    toolkit_.Record("SetPicture " + bitmapPath);
    std::ifstream file(bitmapPath, std::ios::binary);
    if (!file) throw RuntimeError(error::kFileNotFound, "File not found: " + bitmapPath);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (BitmapDeclaresTooLarge(bytes)) throw PictureTooLargeError(bitmapPath);
    // Any file that begins as a bitmap does: tests need no real pictures.
    if (bytes.rfind("BM", 0) != 0) throw RuntimeError(error::kInvalidPicture, "Invalid picture: " + bitmapPath);
    picture_ = bitmapPath;
}

void HeadlessWindow::ClearPicture() { picture_.clear(); }

void HeadlessWindow::Refresh() { toolkit_.Record("Refresh " + spec_.name); }

HeadlessControl* HeadlessWindow::FindControl(const std::string& name) {
    for (auto& control : controls_) {
        if (control->Name() == name) return control.get();
    }
    return nullptr;
}

std::vector<HeadlessTimer*> HeadlessWindow::timers() {
    std::vector<HeadlessTimer*> out;
    for (auto& timer : timers_) out.push_back(timer.get());
    return out;
}

int HeadlessWindow::PressKey(int code) {
    if (closed_ || !shown_ || !onKey_) return code;
    onKey_(code);
    return code;
}

void HeadlessWindow::Click() {
    if (!closed_ && shown_ && onClick_) onClick_();
}

}  // namespace tamrel::headless

namespace tamrel::headless {

void HeadlessWindow::SetMenuBar(const std::vector<ui::MenuDef>& menus) {
    toolkit_.Record("SetMenuBar " + spec_.name);
    menus_ = menus;
    menuEnabled_.clear();
}

std::vector<ui::MenuId> HeadlessWindow::MenuPath(ui::MenuId id) const {
    std::vector<ui::MenuId> path;
    if (!FindMenu(menus_, id, &path)) throw std::logic_error("no menu item " + std::to_string(id));
    return path;
}

void HeadlessWindow::SetMenuCaption(ui::MenuId id, const std::string& caption) {
    // The tree is only read through FindMenu, so a cast back is safe here.
    auto* item = const_cast<ui::MenuDef*>(FindMenu(menus_, id, nullptr));
    if (!item) throw std::logic_error("no menu item " + std::to_string(id));
    item->caption = caption;
}

std::string HeadlessWindow::MenuCaption(ui::MenuId id) const {
    const ui::MenuDef* item = FindMenu(menus_, id, nullptr);
    if (!item) throw std::logic_error("no menu item " + std::to_string(id));
    return item->caption;
}

void HeadlessWindow::SetMenuEnabled(ui::MenuId id, bool enabled) {
    MenuPath(id);
    menuEnabled_[id] = enabled;
}

bool HeadlessWindow::MenuEnabled(ui::MenuId id) const {
    MenuPath(id);
    const auto found = menuEnabled_.find(id);
    return found == menuEnabled_.end() || found->second;
}

bool HeadlessWindow::ChooseMenu(ui::MenuId id) {
    if (closed_ || !shown_) return false;
    for (ui::MenuId step : MenuPath(id)) {
        if (!MenuEnabled(step)) return false;
    }
    if (!FindMenu(menus_, id, nullptr)->items.empty()) return false;  // a submenu only opens
    toolkit_.Record("Menu " + MenuCaption(id));
    if (onMenu_) onMenu_(id);
    return true;
}

ui::ChosenFile HeadlessWindow::ShowOpenDialog(const ui::OpenFileRequest& request) { return toolkit_.AnswerOpen(request); }

ui::Font HeadlessWindow::ShowFontDialog(const ui::Font& start) { return toolkit_.AnswerFont(start); }

ui::Color HeadlessWindow::ShowColorDialog(ui::Color start) { return toolkit_.AnswerColor(start); }

ui::TimeAnswer HeadlessWindow::ShowTimeDialog(const ui::TimeRequest& request) { return toolkit_.AnswerTime(request); }

void HeadlessWindow::BeginDrag(ui::Control& control) {
    toolkit_.Record("BeginDrag " + control.Name());
    dragging_ = static_cast<HeadlessControl*>(&control);
}

void HeadlessWindow::PressMouse(HeadlessControl& control, int buttons, ui::Twips x, ui::Twips y) {
    if (closed_ || !shown_ || !control.Showing()) return;
    dragging_ = nullptr;
    control.MouseDown(buttons, x, y);
}

void HeadlessWindow::DragTo(HeadlessControl* dropTarget, ui::Twips x, ui::Twips y) {
    HeadlessControl* dragged = std::exchange(dragging_, nullptr);
    if (!dragged || closed_) return;
    // Over another showing control the drop is that control's, and nothing
    // moves; the dragged one does not count.
    if (dropTarget && dropTarget != dragged && dropTarget->Showing()) return;
    if (onDrop_) onDrop_(x, y);
}

void HeadlessWindow::RequestClose() {
    toolkit_.Record("RequestClose " + spec_.name);
    if (!closed_ && onCloseRequest_) onCloseRequest_();
}

}  // namespace tamrel::headless
