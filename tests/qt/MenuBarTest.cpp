// The menu bar built from a menu table: exact captions as the accessibility
// layer reads them, ids reported, disabled menus, and the keyboard alone on
// a bare X server.

#include <QAccessible>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

enum : ui::MenuId { kFile = 1, kOpen, kSub, kDeep, kOff, kNever, kLast };

const std::vector<ui::MenuDef> kTable = {
    {kFile, "Files & more", {{kOpen, "Open", {}}, {kSub, "Sub menu", {{kDeep, ">Deep  item", {}}}}}},
    {kOff, "Off", {{kNever, "Never", {}}}},
    {kLast, "Last", {}},
};

// What the accessibility layer reports for each item of a menu.
QStringList Names(QObject* menu) {
    QStringList names;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; face && i < face->childCount(); ++i) names << face->child(i)->text(QAccessible::Name);
    return names;
}

// (The end-to-end runs pin, through the accessibility layer, the captions
// and their changes, the ids chosen and disabled menus; on Wayland the
// keyboard from F10 and Alt.)
TEST_F(QtBackendTest, MenuBarShowsTheTableReportsIdsButNoneFromDisabledMenusAndWorksFromTheKeyboard) {
    auto window = toolkit.NewWindow({"Menus", "Menus", false, false, 6000, 4500});
    window->AddControl(ui::ControlKind::Label, "caption", nullptr, {0, 0, 1500, 300});
    window->SetMenuBar(kTable);
    std::vector<ui::MenuId> chosen;
    std::vector<int> codes;
    window->OnMenu([&](ui::MenuId id) { chosen.push_back(id); });
    window->OnKeyPress([&](int& code) { codes.push_back(code); });
    window->Show();
    QWidget* top = FindWidget("Menus");
    ASSERT_TRUE(Exposed(top));
    auto* bar = top->findChild<QMenuBar*>();
    ASSERT_TRUE(bar);
    auto menu = [&](int index) { return bar->actions().at(index)->menu(); };
    EXPECT_EQ(Names(bar), (QStringList{"Files & more", "Off", "Last"}));
    QMenu* sub = menu(0)->actions().at(1)->menu();
    ASSERT_TRUE(sub);
    window->SetMenuCaption(kDeep, "Deep & plain");
    EXPECT_EQ(Names(sub), QStringList{"Deep & plain"});
    // Positions are the client area's: the label starts just below the bar.
    EXPECT_EQ(Find<QWidget>("caption")->mapTo(top, QPoint(0, 0)), QPoint(0, bar->height()));

    menu(0)->actions().at(0)->trigger();
    sub->actions().at(0)->trigger();
    bar->actions().at(2)->trigger();
    EXPECT_EQ(chosen, (std::vector<ui::MenuId>{kOpen, kDeep, kLast}));

    // Items of a disabled menu, which assistive technologies reach without
    // opening the menus, report nothing.
    window->SetMenuEnabled(kOff, false);
    window->SetMenuEnabled(kSub, false);
    menu(1)->actions().at(0)->trigger();
    sub->actions().at(0)->trigger();
    EXPECT_EQ(chosen.size(), 3u);

    // The keyboard alone, on a bare X server: F10 opens the first menu; Down
    // twice reaches "Sub menu", Right opens it.
    window->SetMenuEnabled(kSub, true);
    toolkit.InjectLeftClick();
    ASSERT_TRUE(WaitFor([&] { return top->isActiveWindow(); }));
    if (!Xdotool({"key", "--delay", "60", "F10", "Down", "Down", "Right", "Return"})) {
        GTEST_SKIP() << "xdotool not found: keys from the X server not tried";
    }
    ASSERT_TRUE(WaitFor([&] { return chosen.size() == 4; }));
    EXPECT_EQ(chosen.back(), kDeep);
    // Escape leaves the menus without choosing; then the keys are the form's.
    Xdotool({"key", "--delay", "60", "F10", "Escape", "Escape", "a"});
    ASSERT_TRUE(WaitFor([&] { return !codes.empty(); }));
    EXPECT_EQ(chosen.size(), 4u);
    EXPECT_EQ(codes, std::vector<int>{'a'});
}

// Setup builds its bar again once the file has brought an item of its own.
TEST_F(QtBackendTest, ASecondMenuBarReplacesTheFirst) {
    auto window = toolkit.NewWindow({"Rebuilt", "Rebuilt", false, false, 6000, 4500});
    window->AddControl(ui::ControlKind::Label, "below", nullptr, {0, 0, 1500, 300});
    window->SetMenuBar(kTable);
    std::vector<ui::MenuDef> table = kTable;
    table[0].items.insert(table[0].items.begin() + 1, {kNever + 100, "From the file", {}});
    window->SetMenuBar(table);
    window->SetMenuCaption(kNever + 100, ">From the file");
    std::vector<ui::MenuId> chosen;
    window->OnMenu([&](ui::MenuId id) { chosen.push_back(id); });
    window->Show();
    QWidget* top = FindWidget("Rebuilt");
    ASSERT_TRUE(Exposed(top));
    // The first is deleted once the event loop runs; the window's is the new one.
    auto* bar = qobject_cast<QMenuBar*>(top->layout()->menuBar());
    ASSERT_TRUE(bar);
    EXPECT_EQ(Names(bar->actions().at(0)->menu()), (QStringList{"Open", ">From the file", "Sub menu"}));
    bar->actions().at(0)->menu()->actions().at(1)->trigger();
    EXPECT_EQ(chosen, std::vector<ui::MenuId>{kNever + 100});
    EXPECT_EQ(Find<QWidget>("below")->mapTo(top, QPoint(0, 0)), QPoint(0, bar->height()));
}

}  // namespace
}  // namespace tamrel::qt::test
