#pragma once
// A form: a top-level window of Tamrel's own class, with its controls,
// timers, background picture and the form's key and click events.

#include <functional>
#include <memory>
#include <string>
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
    void Close() override;
    ui::Twips Width() const override;
    ui::Twips Height() const override;
    void SetPicture(const std::string& bitmapPath) override;
    void ClearPicture() override;
    void Refresh() override;
    void OnKeyPress(std::function<void(int& code)> handler) override { onKey_ = std::move(handler); }
    void OnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

    // Menus, dialogs, drag and close requests: not built on this backend yet.
    void OnCloseRequest(std::function<void()>) override {}
    void SetMenuBar(const std::vector<ui::MenuDef>&) override {}
    void SetMenuCaption(ui::MenuId, const std::string&) override {}
    std::string MenuCaption(ui::MenuId) const override { return {}; }
    void SetMenuEnabled(ui::MenuId, bool) override {}
    bool MenuEnabled(ui::MenuId) const override { return true; }
    void OnMenu(std::function<void(ui::MenuId)>) override {}
    std::string ShowOpenDialog(const ui::OpenFileRequest& request) override { return request.fileName; }
    ui::Font ShowFontDialog(const ui::Font& start) override { return start; }
    ui::Color ShowColorDialog(ui::Color start) override { return start; }
    void BeginDrag(ui::Control&) override {}
    void OnDragDrop(std::function<void(ui::Twips, ui::Twips)>) override {}

    HWND handle() const override { return handle_; }
    void PaintBackground(HDC dc, const RECT& area) override;

    const ui::WindowSpec& spec() const { return spec_; }
    bool closed() const { return closed_; }
    // The form's key event; returns the code it left (0: consumed).
    int KeyPress(int code);
    void SetToolTipFor(HWND control, const std::string& tip);

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, HWND hwnd);
    void Destroyed();
    void Invalidate();

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
    std::function<void(int&)> onKey_;
    std::function<void()> onClick_;
};

}  // namespace tamrel::win32
