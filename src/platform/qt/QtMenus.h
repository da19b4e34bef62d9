#pragma once
// A window's menu bar, built from the menu table by one function and then
// changed by id: a QMenu for every item with items, a QAction for every
// command.

#include <QPointer>
#include <functional>
#include <map>
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

private:
    struct Entry {
        QPointer<QAction> action;  // a submenu's own action
        std::string caption;
    };
    void Add(QWidget* parent, const ui::MenuDef& item, const std::function<void(ui::MenuId)>& chosen);

    std::map<ui::MenuId, Entry> entries_;
};

// The caption as a menu shows it: an ampersand is a character, not a
// mnemonic.
QString MenuText(const std::string& caption);

}  // namespace tamrel::qt
