#include "platform/win32/Win32Window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/RuntimeError.h"
#include "platform/PictureLimits.h"
#include "platform/win32/BitmapFile.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/win32/Win32Units.h"

namespace tamrel::win32 {

namespace {

bool Inside(HWND handle, LPARAM position) {
    const POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    RECT client{};
    ::GetClientRect(handle, &client);
    return ::PtInRect(&client, point) != 0;
}

bool IsButtonUp(UINT message) {
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

bool IsButton(HWND control) {
    char name[16] = "";
    ::GetClassNameA(control, name, sizeof name);
    return ::lstrcmpiA(name, "Button") == 0 &&
           (::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON;
}

// The bytes of a skin; a file too large to be one, or unreadable, gives
// nothing, which no bitmap is.
std::string ReadPictureFile(const std::string& path) {
    constexpr LONGLONG kLargest = LONGLONG{1} << 30;
    const FileHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargest) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) || got == 0) return {};
        done += got;
    }
    return bytes;
}

bool IsInput(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYFIRST && message <= WM_KEYLAST);
}

// The outline that follows the mouse during a drag, drawn inverted over the
// form and its controls, so drawing it again takes it away.
class DragOutline {
public:
    DragOutline(HWND window, SIZE size)
        : window_(window), dc_(::GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS)), size_(size) {}
    ~DragOutline() {
        Hide();
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    DragOutline(const DragOutline&) = delete;
    DragOutline& operator=(const DragOutline&) = delete;

    void MoveTo(POINT topLeft) {
        Hide();
        at_ = topLeft;
        Show();
    }
    void Show() {
        if (!shown_) Draw();
        shown_ = true;
    }
    void Hide() {
        if (shown_) Draw();
        shown_ = false;
    }

private:
    void Draw() {
        if (!dc_) return;
        const RECT box{at_.x, at_.y, at_.x + size_.cx, at_.y + size_.cy};
        ::DrawFocusRect(dc_, &box);
    }

    HWND window_;
    HDC dc_;
    SIZE size_;
    POINT at_{};
    bool shown_ = false;
};

}  // namespace

void Win32Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    const HWND handle = window_.handle();
    if (!enabled) {
        if (handle) ::KillTimer(handle, id_);
        enabled_ = false;
        return;
    }
    if (!handle || window_.closed()) return;
    if (!::SetTimer(handle, id_, static_cast<UINT>(interval_), nullptr)) throw LastError("timer");
    enabled_ = true;
}

void Win32Timer::Tick() {
    // A tick already queued when the timer was stopped is dropped.
    if (enabled_ && onTick_) onTick_();
}

Win32Window::Win32Window(Win32Toolkit& toolkit, const ui::WindowSpec& spec) : toolkit_(toolkit), spec_(spec) {
    const Dpi& dpi = Dpi::OfScreen();
    DWORD style = WS_CLIPCHILDREN | (spec.borderless || spec.fullScreen ? WS_POPUP : WS_OVERLAPPEDWINDOW);
    // A dialog's controls are laid out for one size: its frame is fixed.
    if (spec.dialog && !spec.borderless && !spec.fullScreen) style &= ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
    // Maximised from the start, so the form lays itself out for that size.
    if (spec.maximized && !spec.fullScreen) style |= WS_MAXIMIZE;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = 0;
    int height = 0;
    if (spec.fullScreen) {
        exStyle |= WS_EX_TOPMOST;
        x = 0;
        y = 0;
        width = ::GetSystemMetrics(SM_CXSCREEN);
        height = ::GetSystemMetrics(SM_CYSCREEN);
    } else {
        RECT outer{0, 0, dpi.ToPixelsX(spec.clientWidth), dpi.ToPixelsY(spec.clientHeight)};
        ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
        width = outer.right - outer.left;
        height = outer.bottom - outer.top;
        if (spec.dialog) {
            // Centred, clear of the menus of the window it helps with; a
            // topic that replaces another takes its place.
            RECT work{};
            if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
                x = work.left + std::max(0L, (work.right - work.left - width) / 2);
                y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
            }
        }
    }
    ::CreateWindowExA(exStyle, kWindowClass, spec.caption.c_str(), style, x, y, width, height, nullptr, nullptr,
                      toolkit.instance(), this);
    if (!handle_) throw LastError("window " + spec.name);
    toolkit_.Track(this);
}

Win32Window::~Win32Window() {
    toolkit_.Forget(this);
    if (handle_) ::DestroyWindow(handle_);
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win32::AttachedObject<Win32Window>(hwnd, message, lParam);
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCCREATE) self->handle_ = hwnd;
    if (message == WM_NCDESTROY) self->Destroyed();
    return self->Handle(message, wParam, lParam, hwnd);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(hwnd, &paint);
            PaintBackground(dc, paint.rcPaint);
            ::EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painted with the picture, without flicker
        case WM_CHAR: {
            const int code = KeyPress(static_cast<int>(wParam & 0xFF));
            if (code == 0) return 0;
            wParam = static_cast<WPARAM>(code);
            break;
        }
        case WM_LBUTTONDOWN:
            ::SetCapture(hwnd);
            pressed_ = true;
            return 0;
        case WM_LBUTTONUP:
            if (pressed_) {
                pressed_ = false;
                ::ReleaseCapture();
                if (Inside(hwnd, lParam) && !closed_ && onClick_) onClick_();
            }
            return 0;
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        case WM_TIMER:
            for (const auto& timer : timers_) {
                if (timer->id() == wParam) {
                    timer->Tick();
                    break;
                }
            }
            return 0;
        case WM_CLOSE:
            // A form closes only when its own code closes it.
            if (!closed_ && onCloseRequest_) onCloseRequest_();
            return 0;
        case WM_COMMAND:
            if (lParam == 0 && HIWORD(wParam) == 0) {
                MenuChosen(static_cast<ui::MenuId>(LOWORD(wParam)));
                return 0;
            }
            break;
        case WM_ACTIVATE:
            if (spec_.dialog && LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = ::GetFocus();
                if (focus && ::IsChild(hwnd, focus)) lastFocus_ = focus;
            }
            break;
        case WM_SETFOCUS:
            if (!spec_.dialog) break;
            FocusControl();
            return 0;
        case WM_DESTROY:
            // The menu bar stays the form's to destroy, not the system's.
            if (menuBar_) ::SetMenu(hwnd, nullptr);
            break;
        default:
            break;
    }
    LRESULT result = 0;
    if (Win32Control::RouteFromChild(message, wParam, lParam, result)) return result;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void Win32Window::Destroyed() {
    ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    handle_ = nullptr;
    toolTips_ = nullptr;  // owned by the window, gone with it
    closed_ = true;
    for (const auto& control : controls_) control->Detach();
}

ui::Control& Win32Window::AddControl(ui::ControlKind kind, const std::string& name, ui::Control* parent,
                                     const ui::Rect& bounds) {
    controls_.push_back(
        std::make_unique<Win32Control>(*this, kind, name, static_cast<Win32Control*>(parent), bounds));
    return *controls_.back();
}

ui::Timer& Win32Window::AddTimer(int intervalMs) {
    timers_.push_back(std::make_unique<Win32Timer>(*this, timers_.size() + 1, intervalMs));
    return *timers_.back();
}

void Win32Window::SetCaption(const std::string& caption) {
    spec_.caption = caption;
    if (handle_) ::SetWindowTextA(handle_, caption.c_str());
}

void Win32Window::Show() {
    if (!handle_ || closed_) return;
    if (spec_.fullScreen) {
        // Placed and shown explicitly: a first ShowWindow would take the
        // show state this program was started with, such as minimised.
        ::SetWindowPos(handle_, HWND_TOPMOST, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                       ::GetSystemMetrics(SM_CYSCREEN), SWP_SHOWWINDOW);
        ::SetForegroundWindow(handle_);
    } else {
        ::ShowWindow(handle_, spec_.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        ::SetForegroundWindow(handle_);
    }
    ::UpdateWindow(handle_);
}

void Win32Window::BringToFront() {
    if (!handle_ || closed_) return;
    if (::IsIconic(handle_)) ::ShowWindow(handle_, SW_RESTORE);
    ::SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(handle_);
    // Already active, it would get no new focus from being activated.
    if (::GetActiveWindow() == handle_ && !::IsChild(handle_, ::GetFocus())) ::SetFocus(handle_);
}

void Win32Window::FocusControl() {
    HWND target = lastFocus_;
    if (!target || !::IsChild(handle_, target) || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) {
        target = nullptr;
        for (const auto& control : controls_) {
            const HWND child = control->handle();
            if (child && control->Visible() && control->Enabled() &&
                (::GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) && IsButton(child)) {
                target = child;
                break;
            }
        }
    }
    if (target) ::SetFocus(target);
}

bool Win32Window::DialogKey(const MSG& message) {
    if (!spec_.dialog || closed_ || message.message != WM_KEYDOWN) return false;
    const HWND focus = ::GetFocus();
    if (message.wParam == VK_TAB) {
        const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
        const HWND from = focus && ::IsChild(handle_, focus) ? focus : nullptr;
        if (const HWND next = ::GetNextDlgTabItem(handle_, from, back ? TRUE : FALSE)) ::SetFocus(next);
        // The focus shows from now on, as it does once the keyboard is used.
        ::SendMessageA(handle_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return true;
    }
    if (message.wParam == VK_RETURN && focus && ::IsChild(handle_, focus) && IsButton(focus)) {
        // As the dialog manager does: the button's own click notification.
        ::SendMessageA(::GetParent(focus), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED),
                       reinterpret_cast<LPARAM>(focus));
        return true;
    }
    return false;
}

void Win32Window::Close() {
    if (closed_) return;
    closed_ = true;
    for (const auto& timer : timers_) timer->SetEnabled(false);
    if (!handle_) return;
    // Hidden first, so nothing of it is seen while it is taken down; safe
    // from inside its own handlers, which then see it closed.
    ::ShowWindow(handle_, SW_HIDE);
    ::DestroyWindow(handle_);
}

ui::Twips Win32Window::Width() const {
    RECT outer{};
    if (!handle_ || !::GetWindowRect(handle_, &outer)) return 0;
    return Dpi::OfScreen().ToTwipsX(outer.right - outer.left);
}

ui::Twips Win32Window::Height() const {
    RECT outer{};
    if (!handle_ || !::GetWindowRect(handle_, &outer)) return 0;
    return Dpi::OfScreen().ToTwipsY(outer.bottom - outer.top);
}

void Win32Window::SetPicture(const std::string& bitmapPath) {
    const DWORD attributes = ::GetFileAttributesW(Wide(bitmapPath).c_str());
    if (bitmapPath.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw RuntimeError(error::kFileNotFound, "File not found: " + bitmapPath);
    }
    const RuntimeError invalid(error::kInvalidPicture, "Invalid picture: " + bitmapPath);
    const std::string file = ReadPictureFile(bitmapPath);
    const std::optional<bitmap::Pixels> pixels = bitmap::Decode(file);
    if (!pixels) throw BitmapDeclaresTooLarge(file) ? PictureTooLargeError(bitmapPath) : invalid;
    // Our own checked pixels go into a 32-bit top-down section; the system
    // never parses the file itself.
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = pixels->width;
    header.bmiHeader.biHeight = -pixels->height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap loaded(::CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!loaded || !bits) throw invalid;
    std::memcpy(bits, pixels->rows.data(), pixels->rows.size() * sizeof pixels->rows[0]);
    picture_ = std::move(loaded);
    pictureSize_ = {pixels->width, pixels->height};
    Invalidate();
}

void Win32Window::ClearPicture() {
    picture_.Reset();
    pictureSize_ = {};
    Invalidate();
}

void Win32Window::Refresh() {
    if (handle_) ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32Window::Invalidate() {
    if (handle_) ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Win32Window::PaintBackground(HDC dc, const RECT& area) {
    const HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    if (!picture_) {
        ::FillRect(dc, &area, face);
        return;
    }
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, 0, 0, pictureSize_.cx, pictureSize_.cy);
    ::FillRect(dc, &area, face);
    ::RestoreDC(dc, saved);

    const RECT whole{0, 0, pictureSize_.cx, pictureSize_.cy};
    RECT part{};
    if (!::IntersectRect(&part, &area, &whole)) return;
    const MemoryDc source(::CreateCompatibleDC(dc));
    if (!source) return;
    const Selection picked(source.get(), picture_.get());
    ::BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, source.get(), part.left,
             part.top, SRCCOPY);
}

int Win32Window::KeyPress(int code) {
    if (closed_ || !onKey_) return code;
    onKey_(code);
    return code;
}

void Win32Window::SetToolTipFor(HWND control, const std::string& tip) {
    if (!handle_ || !control) return;
    if (!toolTips_) {
        toolTips_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                                      toolkit_.instance(), nullptr);
        if (!toolTips_) return;  // a missing tip is no failure of the form
    }
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(tip.c_str());
    ::SendMessageA(toolTips_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (!tip.empty()) ::SendMessageA(toolTips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Window::Drag(Win32Control& control, POINT grab, bool detect) {
    const HWND source = control.handle();
    POINT start = grab;
    ::ClientToScreen(source, &start);
    if (detect && !::DragDetect(source, start)) return;
    RECT bounds{};
    ::GetWindowRect(source, &bounds);
    DragOutline outline(handle_, {bounds.right - bounds.left, bounds.bottom - bounds.top});
    const auto follow = [&](POINT screen) {
        ::ScreenToClient(handle_, &screen);
        outline.MoveTo({screen.x - grab.x, screen.y - grab.y});
    };
    follow(start);
    ::SetCapture(handle_);
    bool dropped = false;
    POINT drop{};
    MSG message{};
    while (!closed_ && ::GetCapture() == handle_) {
        if (::GetMessageA(&message, nullptr, 0, 0) <= 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that waits for it
            break;
        }
        if (message.message == WM_MOUSEMOVE) {
            follow(message.pt);
        } else if (IsButtonUp(message.message)) {
            dropped = true;
            drop = message.pt;
            break;
        } else if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            break;
        } else if (!IsInput(message.message)) {
            // Whatever repaints meanwhile does so without the outline on it.
            outline.Hide();
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
            outline.Show();
        }
    }
    outline.Hide();
    if (handle_ && ::GetCapture() == handle_) ::ReleaseCapture();
    if (dropped) Dropped(drop, source);
}

void Win32Window::Dropped(POINT screen, HWND dragged) {
    if (!handle_ || closed_ || !onDrop_) return;
    POINT point = screen;
    ::ScreenToClient(handle_, &point);
    RECT client{};
    ::GetClientRect(handle_, &client);
    if (!::PtInRect(&client, point)) return;
    // Over another control the drop is that control's. The picture is no
    // window, and the dragged control is leaving its place.
    for (HWND child = ::GetWindow(handle_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT area{};
        if (child != dragged && ::IsWindowVisible(child) && ::GetWindowRect(child, &area) &&
            ::PtInRect(&area, screen)) {
            return;
        }
    }
    const Dpi& dpi = Dpi::OfScreen();
    onDrop_(dpi.ToTwipsX(point.x), dpi.ToTwipsY(point.y));
}

void Win32Window::TakeFocus() {
    // Far beyond any screen: the pointer stops in the bottom-right corner.
    constexpr int kFarCorner = 10000;
    toolkit_.SetCursorPos(kFarCorner, kFarCorner);
    toolkit_.InjectLeftClick();
}

}  // namespace tamrel::win32
