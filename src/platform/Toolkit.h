#pragma once
// The window toolkit the forms are built with. Positions and sizes are in
// twips (1440 per inch) and converted by the backend with the display's
// resolution. Native events come in through the callbacks a form registers;
// the forms call out through these interfaces only.
//
// A backend starts its native toolkit lazily, when the first window or
// message box needs it, so nothing of it is loaded during the long wait for
// the launched program.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileFilter.h"

namespace tamrel::ui {

using Twips = double;

struct Rect {
    Twips left = 0;
    Twips top = 0;
    Twips width = 0;
    Twips height = 0;
};

struct Font {
    std::string name;
    double size = 0;  // points
    bool bold = false;
    bool italic = false;
};

// A Windows colour value: red + 256 * green + 65536 * blue. Backends use the
// low 24 bits.
using Color = std::int32_t;

enum class ControlKind {
    Label,  // text only; transparent background, text from the top-left
    Frame,  // a bordered panel that holds other controls
    Button,
    TextBox,  // multi-line, read-only
    Line,     // a thin bar in the text colour filling its bounds
};

// Mouse buttons, as a set: a press reports every button held.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// Menus are data: a table of role ids and captions, from which a backend
// builds a window's menu bar with one function. An item with items of its
// own is a submenu; any other item is a command reported by its id. No
// mnemonics, separators, shortcuts or check marks: the caption is the text
// shown, exactly.
using MenuId = int;
struct MenuDef {
    MenuId id = 0;
    std::string caption;
    std::vector<MenuDef> items;
};

// The Open dialog: the chosen file must exist.
struct OpenFileRequest {
    std::string initialFolder;
    std::string fileName;  // the name field's starting text
    FileFilter filter;
};

// The file an Open dialog gave. Paths are 8-bit text in the system code
// page; where the file's path has characters outside it, `exact` is false,
// `path` only shows it ("?" for those characters), and `shortPath` is the
// system's short (8.3) form of it when there is one the code page can hold.
struct ChosenFile {
    std::string path;
    bool exact = true;
    std::string shortPath;
};

// The time entry: hours and minutes on the 24-hour clock, with OK, Cancel
// and "None". Times are minutes after midnight.
inline constexpr int kNoTime = -1;
struct TimeRequest {
    std::string title;
    std::string prompt;  // what the time is for, and what it is now; "\n" breaks lines
    int start = 0;       // the time the entry shows first
};
// The time chosen, kNoTime after "None", or nullopt after Cancel.
using TimeAnswer = std::optional<int>;

// Nothing can be shown: the display cannot be opened. Raised by any call
// that needs the display; no window's handler can go on without it, so it
// is not a RuntimeError and ends the program.
class DisplayUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// There is a screen, but this user may not use it: the text, whole, says
// what to do about it.
class DisplayRefused : public DisplayUnavailable {
public:
    using DisplayUnavailable::DisplayUnavailable;
};

// The title of every message box that has none of its own.
inline constexpr const char* kAppTitle = "tamrel";

enum class Buttons { Ok, OkCancel, YesNo };
enum class Icon { None, Critical };

// Button numbers a message box answers with.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct TextSize {
    Twips width = 0;
    Twips height = 0;
};

class Control {
public:
    virtual ~Control() = default;
    virtual const std::string& Name() const = 0;

    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetBounds(const Rect& bounds) = 0;
    virtual Rect Bounds() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool Visible() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    // The backend may adjust the size to one the font offers; GetFont tells
    // what the control actually received.
    virtual void SetFont(const Font& font) = 0;
    virtual Font GetFont() const = 0;
    virtual void SetForeColor(Color color) = 0;
    virtual Color ForeColor() const = 0;
    virtual void SetToolTip(const std::string& tip) = 0;
    // The width and height `text` takes in the control's current font.
    // Backends that cannot measure say 0 by 0.
    virtual TextSize MeasureText(const std::string& text) const {
        (void)text;
        return {};
    }

    // A click on this control; it never reaches the window's own OnClick.
    virtual void OnClick(std::function<void()> handler) = 0;
    // A mouse button went down over the control: the set of buttons held
    // (kLeftButton...) and the point inside the control.
    virtual void OnMouseDown(std::function<void(int buttons, Twips x, Twips y)> handler) = 0;
};

class Timer {
public:
    virtual ~Timer() = default;
    // Ticks come every interval after enabling, without drifting.
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void OnTick(std::function<void()> handler) = 0;
};

struct WindowSpec {
    std::string name;  // the form's name, for tests and diagnostics
    std::string caption;
    bool borderless = false;
    bool fullScreen = false;  // covers the whole screen, above everything
    Twips clientWidth = 0;
    Twips clientHeight = 0;
    bool maximized = false;  // a normal window, shown maximised
    // Keys as a dialog takes them: Tab moves between the buttons, Enter or
    // Space presses one; typed characters (Escape) still reach OnKeyPress.
    bool dialog = false;
};

enum class Desktop {
    Windows,
    Session,  // a desktop session of any other system
    Console,  // no desktop: Tamrel draws on the Linux console itself
};

// The desktop as the texts name it.
inline std::string DesktopName(Desktop desktop) {
    return desktop == Desktop::Windows ? "Windows" : desktop == Desktop::Console ? "the console" : "the desktop";
}

class Window {
public:
    virtual ~Window() = default;

    // Controls belong to the window; `parent` is a frame or null for the
    // window itself. Bounds are relative to the parent.
    virtual Control& AddControl(ControlKind kind, const std::string& name, Control* parent,
                                const Rect& bounds) = 0;
    virtual Timer& AddTimer(int intervalMs) = 0;

    virtual void SetCaption(const std::string& caption) = 0;
    virtual void Show() = 0;
    // An open window asked for again comes to the front with the focus.
    virtual void BringToFront() {}
    // Hides the window for good and stops its timers and events; safe to
    // call from inside one of its own handlers.
    virtual void Close() = 0;
    // Outer size; a maximised window has its maximised size from the start,
    // so that a form can lay itself out before it is shown.
    virtual Twips Width() const = 0;
    virtual Twips Height() const = 0;

    // Draws the bitmap unscaled from the top-left corner; a missing or
    // unreadable file raises a RuntimeError.
    virtual void SetPicture(const std::string& bitmapPath) = 0;
    virtual void ClearPicture() = 0;
    // Repaints at once.
    virtual void Refresh() = 0;
    // Makes the window the one that receives the keys, with the pointer out
    // of sight in the bottom-right corner. Where a platform does it with a
    // real click, the click arrives as an event like any other, during
    // ProcessPendingEvents.
    virtual void TakeFocus() = 0;

    // A typed character, 1 to 255; setting the code to 0 consumes it.
    virtual void OnKeyPress(std::function<void(int& code)> handler) = 0;
    // A left click on the window's own background.
    virtual void OnClick(std::function<void()> handler) = 0;

    // The window's close button or the window manager's close request.
    // Without a handler the request is refused: a form closes itself.
    virtual void OnCloseRequest(std::function<void()> handler) = 0;

    // --- Menus: built once from the table, then changed by id. Positions
    // of controls stay relative to the client area below the menu bar.
    virtual void SetMenuBar(const std::vector<MenuDef>& menus) = 0;
    virtual void SetMenuCaption(MenuId id, const std::string& caption) = 0;
    virtual std::string MenuCaption(MenuId id) const = 0;
    // A disabled menu shows grey and cannot be opened or chosen.
    virtual void SetMenuEnabled(MenuId id, bool enabled) = 0;
    virtual bool MenuEnabled(MenuId id) const = 0;
    // A command item was chosen, by mouse or keyboard.
    virtual void OnMenu(std::function<void(MenuId id)> handler) = 0;

    // --- Modal dialogs owned by the window.
    // An existing file by its full path, or the request's fileName after
    // Cancel.
    virtual ChosenFile ShowOpenDialog(const OpenFileRequest& request) = 0;
    // Lists screen and printer fonts, without effects (underline, colour).
    // After Cancel the starting font comes back.
    virtual Font ShowFontDialog(const Font& start) = 0;
    // Opens in full, with `start` selected. After Cancel `start` comes back.
    virtual Color ShowColorDialog(Color start) = 0;
    virtual TimeAnswer ShowTimeDialog(const TimeRequest& request) = 0;

    // --- Dragging a control within the window. The drag starts once the
    // mouse-down handler that asks for it has returned; an outline (or an
    // image of the control) follows the mouse until the button is released.
    virtual void BeginDrag(Control& control) = 0;
    // The drag ended over the window's own background (its picture too), at
    // this point of the client area. A drop over another control is not
    // reported and moves nothing; the dragged control is leaving its place,
    // so a drop over where it stands is the background's.
    virtual void OnDragDrop(std::function<void(Twips x, Twips y)> handler) = 0;
};

// A joystick button's change, any joystick's, the buttons numbered from 1
// as the joystick numbers them.
enum class ButtonChange {
    Pressed,
    Released,
    HeldAtOpen,  // already down when its joystick was opened
};

struct JoystickHandlers {
    std::function<void(int button, ButtonChange change)> onButton;
    // A joystick that is there but may not be opened (no permission); each
    // device is reported once.
    std::function<void(const std::string& device, const std::string& why)> onRefused;
    // No joystick can be listened to at all: `need` tells the user what to
    // install, `why` is the system's reason. Said at every listen.
    std::function<void(const std::string& need, const std::string& why)> onUnavailable;
};

// While it lives the joysticks are open, joysticks plugged in meanwhile
// too, and their buttons are reported; without one none is open.
class JoystickListener {
public:
    virtual ~JoystickListener() = default;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Raises DisplayUnavailable when nothing could be shown. Asked before
    // the program is launched, so that a display that fails is told at
    // once rather than hours later; where there is always a screen, nothing
    // is asked. Returns a line for the log where the choice of display is
    // worth telling, else "".
    virtual std::string CheckDisplay() { return {}; }

    // The windows are closed and another instance is about to start the
    // program: the screen is given up now where only one program at a
    // time may drive it (the console), rather than when this one ends.
    virtual void HandOverScreen() {}

    // Every window must be destroyed before the toolkit that made it.
    virtual std::unique_ptr<Window> NewWindow(const WindowSpec& spec) = 0;
    // Modal; a carriage return alone breaks the prompt into lines. Returns
    // one of the kAnswer numbers.
    virtual int ShowMessageBox(const std::string& prompt, Buttons buttons,
                               const std::string& title, Icon icon) = 0;

    virtual void ProcessPendingEvents() = 0;

    virtual Twips ScreenWidth() = 0;
    virtual Twips ScreenHeight() = 0;
    // The screen in device pixels, which a picture is shown in one for one
    // however the display is scaled.
    virtual int ScreenPixelWidth() = 0;
    virtual int ScreenPixelHeight() = 0;

    // What the user is back at when Tamrel ends without shutting down;
    // known once a window was made.
    virtual Desktop desktop() const = 0;

    // A request from outside to stop Tamrel (a signal), delivered as an
    // event with its number. Without a handler the program ends at once, as
    // it always would have. Platforms without such requests ignore this.
    virtual void OnStopRequest(std::function<void(int number)> handler) { (void)handler; }
    // The display went away while windows were shown, or hung their start;
    // the program ends right after the handler, which can only leave its
    // last words.
    virtual void OnDisplayLost(std::function<void(const std::string& why)> handler) { (void)handler; }

    virtual std::unique_ptr<JoystickListener> ListenToJoysticks(JoystickHandlers handlers) = 0;

    // Runs the event loop until Quit.
    virtual void Run() = 0;
    virtual void Quit() = 0;
};

}  // namespace tamrel::ui
