#include "platform/win32/Win32Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/RuntimeError.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Units.h"
#include "platform/win32/Win32Window.h"

namespace tamrel::win32 {

namespace {

// The form's default font, which every control starts with.
const ui::Font kDefaultFont{"MS Sans Serif", 8.25, false, false};

bool IsNative(ui::ControlKind kind) {
    return kind == ui::ControlKind::Button || kind == ui::ControlKind::TextBox || kind == ui::ControlKind::Line;
}

constexpr UINT_PTR kSubclassId = 1;
// Marks the native controls that are Tamrel's, with the object behind them.
constexpr const char* kControlProperty = "TamrelControl";

// A multi-line edit breaks lines only at CR LF; the text kept is the one set.
std::string NativeText(ui::ControlKind kind, const std::string& text) {
    if (kind != ui::ControlKind::TextBox) return text;
    std::string native;
    native.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) native += '\r';
        native += text[i];
    }
    return native;
}

COLORREF ToColorRef(ui::Color color) { return static_cast<COLORREF>(color) & 0xFFFFFF; }

}  // namespace

Win32Control::Win32Control(Win32Window& window, ui::ControlKind kind, std::string name, Win32Control* parent,
                           const ui::Rect& bounds)
    : window_(window), kind_(kind), name_(std::move(name)), parent_(parent), bounds_(bounds) {
    Create();
    SetFont(kDefaultFont);
}

Win32Control::~Win32Control() {
    if (handle_) ::DestroyWindow(handle_);
}

bool Win32Control::Painted() const { return !IsNative(kind_); }

void Win32Control::Create() {
    const Dpi& dpi = Dpi::OfScreen();
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    const char* className = "STATIC";
    switch (kind_) {
        case ui::ControlKind::Label:
            style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
            break;
        case ui::ControlKind::Frame:
            className = "BUTTON";
            style |= BS_GROUPBOX | WS_CLIPCHILDREN;
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case ui::ControlKind::Button:
            className = "BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ui::ControlKind::TextBox:
            className = "EDIT";
            style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ui::ControlKind::Line:
            style |= SS_BLACKRECT;
            break;
    }
    const HWND parent = parent_ ? parent_->handle() : window_.handle();
    const HWND created = ::CreateWindowExA(
        exStyle, className, NativeText(kind_, text_).c_str(), style, dpi.ToPixelsX(bounds_.left),
        dpi.ToPixelsY(bounds_.top), dpi.ToPixelsX(bounds_.width), dpi.ToPixelsY(bounds_.height), parent, nullptr,
        ::GetModuleHandleA(nullptr), nullptr);
    if (!created) throw LastError("control " + name_);
    handle_ = created;
    if (!::SetWindowSubclass(handle_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        ::DestroyWindow(std::exchange(handle_, nullptr));
        throw LastError("control " + name_);
    }
    ::SetPropA(handle_, kControlProperty, this);
    if (IsNative(kind_)) RaiseAboveLabels();
}

void Win32Control::RaiseAboveLabels() {
    // A control made later lies below the earlier ones, and a label would
    // clip a button or line it overlaps. Labels are drawn beneath the rest,
    // which keep their order of creation (the order Tab follows).
    HWND after = HWND_TOP;
    for (HWND sibling = ::GetWindow(handle_, GW_HWNDFIRST); sibling; sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == handle_) continue;
        const Win32Control* control = FromHandle(sibling);
        if (!control || !IsNative(control->kind_)) break;
        after = sibling;
    }
    ::SetWindowPos(handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

Win32Control* Win32Control::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Win32Control*>(::GetPropA(hwnd, kControlProperty)) : nullptr;
}

LRESULT CALLBACK Win32Control::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    return reinterpret_cast<Win32Control*>(self)->Handle(message, wParam, lParam, hwnd);
}

LRESULT Win32Control::Handle(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
            if (MouseDown(wParam, lParam, left)) return 0;
            if (!Painted()) break;
            // A click is a press and a release over the control, as on the
            // form; a quick second click counts as one more.
            if (left) {
                ::SetCapture(hwnd);
                pressed_ = true;
            }
            return 0;
        }
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, Subclass, kSubclassId);
            ::RemovePropA(hwnd, kControlProperty);
            handle_ = nullptr;
            return ::DefSubclassProc(hwnd, message, wParam, lParam);
        default:
            break;
    }
    if (!Painted()) return ::DefSubclassProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_LBUTTONUP:
            if (pressed_) {
                pressed_ = false;
                ::ReleaseCapture();
                const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                RECT client{};
                ::GetClientRect(hwnd, &client);
                if (::PtInRect(&client, point)) Clicked();
            }
            return 0;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            return 0;
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        case WM_NCHITTEST:
            // A group box would let clicks through to the form behind it.
            return HTCLIENT;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(hwnd, &paint);
            RECT client{};
            ::GetClientRect(hwnd, &client);
            if (kind_ == ui::ControlKind::Label) {
                PaintLabel(dc, client);
            } else {
                PaintBackground(dc, paint.rcPaint);
            }
            ::EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            // The system's classes would draw the new text at once, in their
            // own look; the text is stored as any window's and painted here.
            // A subclass sees the Unicode form of the message.
            const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
            Invalidate();
            return result;
        }
        case WM_ENABLE:
            Invalidate();
            return 0;
        case WM_UPDATEUISTATE: {
            const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
            Invalidate();
            return result;
        }
        default: {
            // A frame passes its labels' notifications on.
            LRESULT result = 0;
            if (RouteFromChild(message, wParam, lParam, result)) return result;
        }
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

bool Win32Control::MouseDown(WPARAM keys, LPARAM position, bool left) {
    if (!enabled_ || window_.closed()) return false;
    window_.TakeDragRequest();
    const POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (onMouseDown_) {
        const int buttons = ((keys & MK_LBUTTON) ? ui::kLeftButton : 0) | ((keys & MK_RBUTTON) ? ui::kRightButton : 0) |
                            ((keys & MK_MBUTTON) ? ui::kMiddleButton : 0);
        const Dpi& dpi = Dpi::OfScreen();
        onMouseDown_(buttons, dpi.ToTwipsX(point.x), dpi.ToTwipsY(point.y));
    }
    if (window_.TakeDragRequest() != this || !handle_) return false;
    window_.Drag(*this, point, left);
    return true;
}

bool Win32Control::RouteFromChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            // BN_CLICKED from a button, STN_CLICKED from a label (as
            // automation clicks one).
            Win32Control* child = FromHandle(reinterpret_cast<HWND>(lParam));
            if (!child || HIWORD(wParam) != BN_CLICKED) return false;
            if (child->kind_ != ui::ControlKind::Button && child->kind_ != ui::ControlKind::Label) return false;
            child->Clicked();
            result = 0;
            return true;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            // A read-only text box asks as a static control would.
            Win32Control* child = FromHandle(reinterpret_cast<HWND>(lParam));
            if (!child || child->kind_ != ui::ControlKind::TextBox) return false;
            const HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ToColorRef(child->color_));
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
            return true;
        }
        default:
            return false;
    }
}

void Win32Control::Clicked() {
    if (enabled_ && !window_.closed() && onClick_) onClick_();
}

Surface& Win32Control::ParentSurface() {
    if (parent_) return *parent_;
    return window_;
}

void Win32Control::PaintThrough(HDC dc, const RECT& area) {
    Surface& parent = ParentSurface();
    POINT origin{0, 0};
    ::MapWindowPoints(handle_, parent.handle(), &origin, 1);
    POINT previous{};
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    RECT shifted = area;
    ::OffsetRect(&shifted, origin.x, origin.y);
    parent.PaintBackground(dc, shifted);
    ::SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

void Win32Control::PaintBackground(HDC dc, const RECT& area) {
    switch (kind_) {
        case ui::ControlKind::Label:
            PaintThrough(dc, area);
            return;
        case ui::ControlKind::Frame:
            PaintFrame(dc, area);
            return;
        default:
            ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
            return;
    }
}

void Win32Control::PaintFrame(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT edge{};
    ::GetClientRect(handle_, &edge);
    if (text_.empty()) {
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        return;
    }
    // A titled frame looks like the system's group box: the title sits in
    // a gap of the top edge.
    const Selection font(dc, nativeFont_.get());
    SIZE title{};
    ::GetTextExtentPoint32A(dc, text_.c_str(), static_cast<int>(text_.size()), &title);
    edge.top += title.cy / 2;
    ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    RECT gap{6, 0, 6 + title.cx + 4, title.cy};
    ::FillRect(dc, &gap, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled_ ? ToColorRef(color_) : ::GetSysColor(COLOR_GRAYTEXT));
    ::TextOutA(dc, gap.left + 2, 0, text_.c_str(), static_cast<int>(text_.size()));
}

void Win32Control::PaintLabel(HDC dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    // Drawn off screen first, so the number never flickers over the picture.
    const MemoryDc canvas(::CreateCompatibleDC(dc));
    const Bitmap buffer(::CreateCompatibleBitmap(dc, width, height));
    if (!canvas || !buffer) {
        PaintThrough(dc, client);
        DrawLabelText(dc, client);
        return;
    }
    const Selection target(canvas.get(), buffer.get());
    PaintThrough(canvas.get(), client);
    DrawLabelText(canvas.get(), client);
    ::BitBlt(dc, 0, 0, width, height, canvas.get(), 0, 0, SRCCOPY);
}

void Win32Control::DrawLabelText(HDC dc, const RECT& client) {
    const Selection font(dc, nativeFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, enabled_ ? ToColorRef(color_) : ::GetSysColor(COLOR_GRAYTEXT));
    RECT box = client;
    ::DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &box,
                DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
}

ui::TextSize Win32Control::MeasureText(const std::string& text) const {
    // The screen's DC serves where the control has no window (any more).
    const WindowDc dc(handle_);
    if (!dc.get()) return {};
    const Selection font(dc.get(), nativeFont_.get());
    SIZE size{};
    if (!::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) return {};
    const Dpi& dpi = Dpi::OfScreen();
    return {dpi.ToTwipsX(size.cx), dpi.ToTwipsY(size.cy)};
}

void Win32Control::Invalidate() {
    if (handle_) ::InvalidateRect(handle_, nullptr, FALSE);
}

void Win32Control::SetText(const std::string& text) {
    text_ = text;
    if (handle_) ::SetWindowTextA(handle_, NativeText(kind_, text_).c_str());
}

void Win32Control::SetBounds(const ui::Rect& bounds) {
    bounds_ = bounds;
    if (!handle_) return;
    const Dpi& dpi = Dpi::OfScreen();
    ::MoveWindow(handle_, dpi.ToPixelsX(bounds.left), dpi.ToPixelsY(bounds.top), dpi.ToPixelsX(bounds.width),
                 dpi.ToPixelsY(bounds.height), TRUE);
}

void Win32Control::SetVisible(bool visible) {
    visible_ = visible;
    if (handle_) ::ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (handle_) ::EnableWindow(handle_, enabled ? TRUE : FALSE);
    Invalidate();
}

void Win32Control::SetFont(const ui::Font& font) {
    const Dpi& dpi = Dpi::OfScreen();
    const int pixels = std::max(1, dpi.PointsToPixels(font.size));
    LOGFONTA logical{};
    logical.lfHeight = -pixels;
    logical.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    logical.lfItalic = font.italic ? TRUE : FALSE;
    logical.lfCharSet = DEFAULT_CHARSET;
    logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logical.lfQuality = DEFAULT_QUALITY;
    font.name.copy(logical.lfFaceName, LF_FACESIZE - 1);
    Font created(::CreateFontIndirectA(&logical));
    if (!created) throw RuntimeError(error::kInvalidPropertyValue, "Invalid property value");
    // The size the font was made with, whole pixels on this display.
    font_ = font;
    font_.size = dpi.PixelsToPoints(pixels);
    // The control lets go of the old font before it is deleted.
    Font previous = std::move(nativeFont_);
    nativeFont_ = std::move(created);
    if (handle_) {
        ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(nativeFont_.get()), IsNative(kind_) ? TRUE : FALSE);
    }
    Invalidate();
}

void Win32Control::SetForeColor(ui::Color color) {
    color_ = color;
    Invalidate();
}

void Win32Control::SetToolTip(const std::string& tip) {
    tip_ = tip;
    window_.SetToolTipFor(handle_, tip_);
}

}  // namespace tamrel::win32
