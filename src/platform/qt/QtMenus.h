#pragma once
// A window's menu bar, built from the menu table by one function and then
// changed by id: a QMenu for every item with items, a QAction for every
// command.

#include <QPointer>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Toolkit.h"

class QAction;
class QMenuBar;
class QWidget;

namespace tamrel::qt {

class MenuTable {
public:
    // A new bar for `window`, whose commands report their ids to `chosen`.
    QMenuBar* Build(QWidget* window, const std::vector<ui::MenuDef>& menus,
                    std::function<void(ui::MenuId)> chosen);

    // Unknown ids are ignored.
    void SetCaption(ui::MenuId id, const std::string& caption);
    std::string Caption(ui::MenuId id) const;
    void SetEnabled(ui::MenuId id, bool enabled);
    bool Enabled(ui::MenuId id) const;
    // The item and every menu above it are enabled. An item of a disabled
    // menu can still be triggered by assistive technologies, which reach it
    // without opening the menu.
    bool Reachable(ui::MenuId id) const;

private:
    struct Entry {
        QPointer<QAction> action;  // a submenu's own action
        std::string caption;
        std::optional<ui::MenuId> menu;  // the menu it is in; none for the bar's own
    };
    void Add(QWidget* parent, std::optional<ui::MenuId> menu, const ui::MenuDef& item,
             const std::function<void(ui::MenuId)>& chosen);

    std::map<ui::MenuId, Entry> entries_;
};

// The caption as a menu shows it: an ampersand is a character, not a
// mnemonic.
QString MenuText(const std::string& caption);

}  // namespace tamrel::qt
