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
    for (const ui::MenuDef& item : menus) Add(bar, item, chosen);
    return bar;
}

void MenuTable::Add(QWidget* parent, const ui::MenuDef& item, const std::function<void(ui::MenuId)>& chosen) {
    QAction* action = nullptr;
    if (!item.items.empty()) {
        auto* menu = new QMenu(MenuText(item.caption), parent);
        for (const ui::MenuDef& child : item.items) Add(menu, child, chosen);
        action = menu->menuAction();
    } else {
        action = new QAction(MenuText(item.caption), parent);
        QObject::connect(action, &QAction::triggered, action, [chosen, id = item.id] { chosen(id); });
    }
    parent->addAction(action);
    entries_[item.id] = {action, item.caption};
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

bool MenuTable::Enabled(ui::MenuId id) const {
    const auto found = entries_.find(id);
    return found != entries_.end() && found->second.action && found->second.action->isEnabled();
}

}  // namespace tamrel::qt
