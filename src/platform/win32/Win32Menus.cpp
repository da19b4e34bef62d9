// A form's menu bar, built from the menu table and changed by id.

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Units.h"
#include "platform/win32/Win32Window.h"

namespace tamrel::win32 {

namespace {

// The caption exactly as given: "&" would underline the next letter.
std::string MenuText(const std::string& caption) {
    std::string text;
    for (const char c : caption) {
        text += c;
        if (c == '&') text += '&';
    }
    return text;
}

}  // namespace

Menu Win32Window::BuildMenu(const std::vector<ui::MenuDef>& items, bool bar) {
    Menu menu(bar ? ::CreateMenu() : ::CreatePopupMenu());
    if (!menu) throw LastError("menu of " + spec_.name);
    UINT position = 0;
    for (const ui::MenuDef& item : items) {
        const std::string text = MenuText(item.caption);
        if (item.items.empty()) {
            if (!::AppendMenuA(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.id), text.c_str())) {
                throw LastError("menu item " + item.caption);
            }
        } else {
            Menu popup = BuildMenu(item.items, false);
            if (!::AppendMenuA(menu.get(), MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()),
                               text.c_str())) {
                throw LastError("menu " + item.caption);
            }
            popup.Release();  // the parent menu owns it now
        }
        menuItems_[item.id] = {menu.get(), position++, item.caption, true, item.items.empty()};
    }
    return menu;
}

void Win32Window::SetMenuBar(const std::vector<ui::MenuDef>& menus) {
    menuItems_.clear();
    Menu bar = BuildMenu(menus, true);
    if (!handle_) return;
    if (!::SetMenu(handle_, bar.get())) throw LastError("menu bar of " + spec_.name);
    menuBar_ = std::move(bar);
    if (spec_.fullScreen || spec_.maximized) return;
    // The client area keeps its size below the bar.
    const Dpi& dpi = Dpi::OfScreen();
    RECT outer{0, 0, dpi.ToPixelsX(spec_.clientWidth), dpi.ToPixelsY(spec_.clientHeight)};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrA(handle_, GWL_STYLE)), TRUE,
                         static_cast<DWORD>(::GetWindowLongPtrA(handle_, GWL_EXSTYLE)));
    ::SetWindowPos(handle_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const Win32Window::MenuItem* Win32Window::FindMenuItem(ui::MenuId id) const {
    const auto found = menuItems_.find(id);
    return found == menuItems_.end() ? nullptr : &found->second;
}

void Win32Window::SetMenuCaption(ui::MenuId id, const std::string& caption) {
    const auto found = menuItems_.find(id);
    if (found == menuItems_.end()) return;
    MenuItem& item = found->second;
    item.caption = caption;
    // The text alone: replacing a popup item would destroy its submenu.
    std::string text = MenuText(caption);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    ::SetMenuItemInfoA(item.menu, item.position, TRUE, &info);
    if (handle_ && item.menu == menuBar_.get()) ::DrawMenuBar(handle_);
}

std::string Win32Window::MenuCaption(ui::MenuId id) const {
    const MenuItem* item = FindMenuItem(id);
    return item ? item->caption : std::string();
}

void Win32Window::SetMenuEnabled(ui::MenuId id, bool enabled) {
    const auto found = menuItems_.find(id);
    if (found == menuItems_.end()) return;
    MenuItem& item = found->second;
    item.enabled = enabled;
    ::EnableMenuItem(item.menu, item.position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    if (handle_ && item.menu == menuBar_.get()) ::DrawMenuBar(handle_);
}

bool Win32Window::MenuEnabled(ui::MenuId id) const {
    const MenuItem* item = FindMenuItem(id);
    return item && item->enabled;
}

void Win32Window::MenuChosen(ui::MenuId id) {
    // Only a command of this table, chosen while the form is open.
    const MenuItem* item = FindMenuItem(id);
    if (!item || !item->command || !item->enabled || closed_ || !onMenu_) return;
    onMenu_(id);
}

}  // namespace tamrel::win32
