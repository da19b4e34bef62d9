#pragma once
// The one control helper. Every control is the system's own (a label a
// STATIC, a frame a group box, a button, an edit), so its caption is its
// window text for screen readers and automation. Labels and frames are
// painted by Tamrel through a subclass, so a label shows what lies behind it
// without flicker. Every control keeps its own state, and the native window
// follows it.

#include <functional>
#include <string>

#include "platform/Toolkit.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel::win32 {

class Win32Window;

// What a transparent control shows through: its parent's background.
class Surface {
public:
    virtual HWND handle() const = 0;
    // Paints the background of `area`, given in this surface's client
    // coordinates, into `dc`.
    virtual void PaintBackground(HDC dc, const RECT& area) = 0;

protected:
    ~Surface() = default;
};

class Win32Control : public ui::Control, public Surface {
public:
    Win32Control(Win32Window& window, ui::ControlKind kind, std::string name, Win32Control* parent,
                 const ui::Rect& bounds);
    ~Win32Control() override;
    Win32Control(const Win32Control&) = delete;
    Win32Control& operator=(const Win32Control&) = delete;

    const std::string& Name() const override { return name_; }
    void SetText(const std::string& text) override;
    std::string Text() const override { return text_; }
    void SetBounds(const ui::Rect& bounds) override;
    ui::Rect Bounds() const override { return bounds_; }
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    void SetFont(const ui::Font& font) override;
    ui::Font GetFont() const override { return font_; }
    void SetForeColor(ui::Color color) override;
    ui::Color ForeColor() const override { return color_; }
    void SetToolTip(const std::string& tip) override;
    ui::TextSize MeasureText(const std::string& text) const override;
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
    void OnMouseDown(std::function<void(int, ui::Twips, ui::Twips)> handler) override {
        onMouseDown_ = std::move(handler);
    }

    HWND handle() const override { return handle_; }
    void PaintBackground(HDC dc, const RECT& area) override;

    // The control's native window went with its parent's.
    void Detach() { handle_ = nullptr; }
    // The control whose native window this is, or null.
    static Win32Control* FromHandle(HWND hwnd);
    // Notifications and colour requests that native controls send to their
    // parent, whether that is the form or a frame. True when handled.
    static bool RouteFromChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd);
    // Labels and frames: the native control, painted and clicked by Tamrel.
    bool Painted() const;
    // Reports a button press; true when it started a drag, which took it.
    bool MouseDown(WPARAM keys, LPARAM position, bool left);
    void Create();
    void RaiseAboveLabels();
    void PaintLabel(HDC dc, const RECT& client);
    void PaintFrame(HDC dc, const RECT& area);
    void DrawLabelText(HDC dc, const RECT& client);
    // Paints what the parent shows behind this control.
    void PaintThrough(HDC dc, const RECT& area);
    Surface& ParentSurface();
    void Clicked();
    void Invalidate();

    Win32Window& window_;
    ui::ControlKind kind_;
    std::string name_;
    Win32Control* parent_;
    ui::Rect bounds_;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    ui::Font font_;
    ui::Color color_ = 0;
    std::string tip_;
    std::function<void()> onClick_;
    std::function<void(int, ui::Twips, ui::Twips)> onMouseDown_;
    Font nativeFont_;
    HWND handle_ = nullptr;
    bool pressed_ = false;
};

}  // namespace tamrel::win32
