#include "platform/qt/QtMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace tamrel::qt {

QString MenuText(const std::string& caption) {
    return QString::fromLocal8Bit(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QMenuBar* MenuTable::Build(QWidget* window, const std::vector<ui::MenuDef>& menus,
                           std::function<void(ui::MenuId)> chosen) {
    entries_.clear();
    auto* bar = new QMenuBar(window);
    // On desktops with a global menu the bar would leave the window.
    bar->setNativeMenuBar(false);
    for (const ui::MenuDef& item : menus) Add(bar, std::nullopt, item, chosen);
    return bar;
}

void MenuTable::Add(QWidget* parent, std::optional<ui::MenuId> menu, const ui::MenuDef& item,
                    const std::function<void(ui::MenuId)>& chosen) {
    QAction* action = nullptr;
    if (!item.items.empty()) {
        auto* submenu = new QMenu(MenuText(item.caption), parent);
        for (const ui::MenuDef& child : item.items) Add(submenu, item.id, child, chosen);
        action = submenu->menuAction();
    } else {
        action = new QAction(MenuText(item.caption), parent);
        QObject::connect(action, &QAction::triggered, action, [chosen, id = item.id] { chosen(id); });
    }
    parent->addAction(action);
    entries_[item.id] = {action, item.caption, menu};
}

void MenuTable::SetCaption(ui::MenuId id, const std::string& caption) {
    const auto found = entries_.find(id);
    if (found == entries_.end()) return;
    found->second.caption = caption;
    if (found->second.action) found->second.action->setText(MenuText(caption));
}

std::string MenuTable::Caption(ui::MenuId id) const {
    const auto found = entries_.find(id);
    return found == entries_.end() ? std::string() : found->second.caption;
}

void MenuTable::SetEnabled(ui::MenuId id, bool enabled) {
    const auto found = entries_.find(id);
    if (found != entries_.end() && found->second.action) found->second.action->setEnabled(enabled);
}

bool MenuTable::Reachable(ui::MenuId id) const {
    for (std::optional<ui::MenuId> step = id; step;) {
        const auto found = entries_.find(*step);
        if (found == entries_.end() || !found->second.action || !found->second.action->isEnabled()) return false;
        step = found->second.menu;
    }
    return true;
}

bool MenuTable::Enabled(ui::MenuId id) const {
    const auto found = entries_.find(id);
    return found != entries_.end() && found->second.action && found->second.action->isEnabled();
}

}  // namespace tamrel::qt
