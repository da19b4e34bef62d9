#include "platform/win32/Win32Controls.h"

#include <algorithm>

#include "platform/RuntimeError.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Toolkit.h"
#include "platform/win32/Win32Units.h"
#include "platform/win32/Win32Window.h"

namespace tamrel::win32 {

namespace {

// The form's default font, which every control starts with.
const ui::Font kDefaultFont{"MS Sans Serif", 8.25, false, false};

bool IsNative(ui::ControlKind kind) { return kind == ui::ControlKind::Button || kind == ui::ControlKind::TextBox; }

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

void Win32Control::Create() {
    const Dpi& dpi = Dpi::OfScreen();
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    const char* className = kControlClass;
    switch (kind_) {
        case ui::ControlKind::Label:
            break;
        case ui::ControlKind::Frame:
            style |= WS_CLIPCHILDREN;
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
    }
    const HWND parent = parent_ ? parent_->handle() : window_.handle();
    const HWND created = ::CreateWindowExA(exStyle, className, text_.c_str(), style, dpi.ToPixelsX(bounds_.left),
                                           dpi.ToPixelsY(bounds_.top), dpi.ToPixelsX(bounds_.width),
                                           dpi.ToPixelsY(bounds_.height), parent, nullptr,
                                           ::GetModuleHandleA(nullptr), this);
    if (!created) throw LastError("control " + name_);
    handle_ = created;
    if (IsNative(kind_)) ::SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Control* Win32Control::FromHandle(HWND hwnd) {
    return hwnd ? reinterpret_cast<Win32Control*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

LRESULT CALLBACK Win32Control::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win32::AttachedObject<Win32Control>(hwnd, message, lParam);
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCCREATE) self->handle_ = hwnd;
    return self->Handle(message, wParam, lParam, hwnd);
}

LRESULT Win32Control::Handle(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd) {
    switch (message) {
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
        case WM_LBUTTONDOWN:
            ::SetCapture(hwnd);
            pressed_ = true;
            return 0;
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
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            handle_ = nullptr;
            break;
        default: {
            LRESULT result = 0;
            if (RouteFromChild(message, wParam, lParam, result)) return result;
        }
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Win32Control::RouteFromChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            Win32Control* child = FromHandle(reinterpret_cast<HWND>(lParam));
            if (!child || child->kind_ != ui::ControlKind::Button || HIWORD(wParam) != BN_CLICKED) return false;
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
        case ui::ControlKind::Frame: {
            ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
            RECT client{};
            ::GetClientRect(handle_, &client);
            ::DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
            return;
        }
        default:
            ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
            return;
    }
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

void Win32Control::Invalidate() {
    if (handle_) ::InvalidateRect(handle_, nullptr, FALSE);
}

void Win32Control::SetText(const std::string& text) {
    text_ = text;
    if (IsNative(kind_)) {
        if (handle_) ::SetWindowTextA(handle_, text_.c_str());
    } else {
        Invalidate();
    }
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
    if (IsNative(kind_) && handle_) ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(nativeFont_.get()), TRUE);
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
