#pragma once
// A form: a top-level window of Tamrel's own class, with its controls,
// timers, background picture and the form's key and click events.

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/win32/Win32Controls.h"
#include "platform/win32/Win32Handle.h"

namespace tamrel::win32 {

class Win32Toolkit;
class Win32Window;

class Win32Timer : public ui::Timer {
public:
    Win32Timer(Win32Window& window, UINT_PTR id, int intervalMs)
        : window_(window), id_(id), interval_(intervalMs) {}
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    void OnTick(std::function<void()> handler) override { onTick_ = std::move(handler); }

    UINT_PTR id() const { return id_; }
    void Tick();

private:
    Win32Window& window_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

class Win32Window : public ui::Window, public Surface {
public:
    Win32Window(Win32Toolkit& toolkit, const ui::WindowSpec& spec);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    ui::Control& AddControl(ui::ControlKind kind, const std::string& name, ui::Control* parent,
                            const ui::Rect& bounds) override;
    ui::Timer& AddTimer(int intervalMs) override;
    void SetCaption(const std::string& caption) override;
    void Show() override;
    void BringToFront() override;
    void Close() override;
    ui::Twips Width() const override;
    ui::Twips Height() const override;
    void SetPicture(const std::string& bitmapPath) override;
    void ClearPicture() override;
    void Refresh() override;
    void TakeFocus() override;
    void OnKeyPress(std::function<void(int& code)> handler) override { onKey_ = std::move(handler); }
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

    void OnCloseRequest(std::function<void()> handler) override { onCloseRequest_ = std::move(handler); }

    // Win32Menus.cpp
    void SetMenuBar(const std::vector<ui::MenuDef>& menus) override;
    void SetMenuCaption(ui::MenuId id, const std::string& caption) override;
    std::string MenuCaption(ui::MenuId id) const override;
    void SetMenuEnabled(ui::MenuId id, bool enabled) override;
    bool MenuEnabled(ui::MenuId id) const override;
    void OnMenu(std::function<void(ui::MenuId)> handler) override { onMenu_ = std::move(handler); }

    // Win32Dialogs.cpp
    ui::ChosenFile ShowOpenDialog(const ui::OpenFileRequest& request) override;
    ui::Font ShowFontDialog(const ui::Font& start) override;
    ui::Color ShowColorDialog(ui::Color start) override;
    ui::TimeAnswer ShowTimeDialog(const ui::TimeRequest& request) override;

    void BeginDrag(ui::Control& control) override { dragRequest_ = static_cast<Win32Control*>(&control); }
    void OnDragDrop(std::function<void(ui::Twips, ui::Twips)> handler) override { onDrop_ = std::move(handler); }

    HWND handle() const override { return handle_; }
    void PaintBackground(HDC dc, const RECT& area) override;

    const ui::WindowSpec& spec() const { return spec_; }
    bool closed() const { return closed_; }
    // The form's key event; returns the code it left (0: consumed).
    int KeyPress(int code);
    void SetToolTipFor(HWND control, const std::string& tip);
    // A dialog's keys, before the focused control sees them: Tab and
    // Shift+Tab move between the buttons, Enter presses the focused one.
    // True when the key was taken.
    bool DialogKey(const MSG& message);
    // The control a mouse-down handler asked to drag, once; null for none.
    Win32Control* TakeDragRequest() { return std::exchange(dragRequest_, nullptr); }
    // Drags the control grabbed at `grab` (its client pixels) until the
    // button goes up; a left press must first move past the drag distance.
    void Drag(Win32Control& control, POINT grab, bool detect);

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd);
    void Destroyed();
    void Invalidate();
    void MenuChosen(ui::MenuId id);
    void Dropped(POINT screen, HWND dragged);
    // A dialog gives the focus back to the control that had it, or else to
    // its first button.
    void FocusControl();

    // Where a menu item sits: the system addresses popups by position.
    struct MenuItem {
        HMENU menu = nullptr;
        UINT position = 0;
        std::string caption;
        bool enabled = true;
        bool command = true;  // not a submenu
    };
    Menu BuildMenu(const std::vector<ui::MenuDef>& items, bool bar);
    const MenuItem* FindMenuItem(ui::MenuId id) const;

    Win32Toolkit& toolkit_;
    ui::WindowSpec spec_;
    HWND handle_ = nullptr;
    HWND toolTips_ = nullptr;
    std::vector<std::unique_ptr<Win32Control>> controls_;
    std::vector<std::unique_ptr<Win32Timer>> timers_;
    Bitmap picture_;
    SIZE pictureSize_{};
    bool closed_ = false;
    bool pressed_ = false;
    HWND lastFocus_ = nullptr;
    std::function<void(int&)> onKey_;
    std::function<void()> onClick_;
    std::function<void()> onCloseRequest_;
    Menu menuBar_;
    std::map<ui::MenuId, MenuItem> menuItems_;
    std::function<void(ui::MenuId)> onMenu_;
    // The colour dialog's sixteen custom colours, kept while the window lives.
    std::array<COLORREF, 16> customColors_{};
    Win32Control* dragRequest_ = nullptr;
    std::function<void(ui::Twips, ui::Twips)> onDrop_;
};

}  // namespace tamrel::win32
