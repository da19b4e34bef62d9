// The menu bar built from a menu table: exact captions as the accessibility
// layer reads them, ids reported, disabled menus, changes by id, and the
// keyboard alone on a bare X server.

#define QTEST_QPA_MOUSE_HANDLING

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "QtTestSupport.h"

namespace tamrel::qt::test {
namespace {

enum : ui::MenuId { kFile = 1, kOpen, kSub, kDeep, kOff, kNever, kLast };

const std::vector<ui::MenuDef> kTable = {
    {kFile, "Files & more", {{kOpen, "Open", {}}, {kSub, "Sub menu", {{kDeep, ">Deep  item", {}}}}}},
    {kOff, "Off", {{kNever, "Never", {}}}},
    {kLast, "Last", {}},
};

struct MenuWindow {
    explicit MenuWindow(QtToolkit& toolkit) : window(toolkit.NewWindow({"Menus", "Menus", false, false, 6000, 4500})) {
        window->AddControl(ui::ControlKind::Label, "caption", nullptr, {0, 0, 1500, 300});
        window->SetMenuBar(kTable);
        window->OnMenu([this](ui::MenuId id) { chosen.push_back(id); });
        window->Show();
        top = FindWidget("Menus");
        bar = top ? top->findChild<QMenuBar*>() : nullptr;
    }
    // What the accessibility layer reports for each item of a menu.
    static QStringList Names(QObject* menu) {
        QStringList names;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(menu);
        for (int i = 0; face && i < face->childCount(); ++i) names << face->child(i)->text(QAccessible::Name);
        return names;
    }
    QMenu* Menu(int index) const { return bar->actions().at(index)->menu(); }

    std::unique_ptr<ui::Window> window;
    QWidget* top = nullptr;
    QMenuBar* bar = nullptr;
    std::vector<ui::MenuId> chosen;
};

TEST_F(QtBackendTest, MenuBarShowsTheTableAndReportsIdsWhileControlsStayBelowIt) {
    MenuWindow menus(toolkit);
    ASSERT_TRUE(menus.bar);
    ASSERT_TRUE(WaitFor([&] { return menus.bar->isVisible(); }));
    EXPECT_EQ(MenuWindow::Names(menus.bar), (QStringList{"Files & more", "Off", "Last"}));
    EXPECT_EQ(MenuWindow::Names(menus.Menu(0)), (QStringList{"Open", "Sub menu"}));
    QMenu* sub = menus.Menu(0)->actions().at(1)->menu();
    ASSERT_TRUE(sub);
    EXPECT_EQ(MenuWindow::Names(sub), QStringList{">Deep  item"});
    for (QAction* action : menus.Menu(0)->actions()) EXPECT_TRUE(action->shortcut().isEmpty());

    // Positions are the client area's: the label starts just below the bar.
    EXPECT_EQ(Find<QWidget>("caption")->mapTo(menus.top, QPoint(0, 0)), QPoint(0, menus.bar->height()));

    menus.Menu(0)->actions().at(0)->trigger();
    sub->actions().at(0)->trigger();
    menus.bar->actions().at(2)->trigger();
    EXPECT_EQ(menus.chosen, (std::vector<ui::MenuId>{kOpen, kDeep, kLast}));

    menus.window->SetMenuCaption(kDeep, "Deep & plain");
    menus.window->SetMenuCaption(kOff, ">Off");
    EXPECT_EQ(menus.window->MenuCaption(kDeep), "Deep & plain");
    EXPECT_EQ(MenuWindow::Names(sub), QStringList{"Deep & plain"});
    EXPECT_EQ(MenuWindow::Names(menus.bar).at(1), ">Off");
}

TEST_F(QtBackendTest, DisabledMenusShowGreyAndCannotBeOpened) {
    MenuWindow menus(toolkit);
    ASSERT_TRUE(menus.bar);
    menus.window->SetMenuEnabled(kOff, false);
    menus.window->SetMenuEnabled(kSub, false);
    EXPECT_FALSE(menus.window->MenuEnabled(kOff));
    EXPECT_TRUE(menus.window->MenuEnabled(kOpen));
    ASSERT_TRUE(WaitFor([&] { return menus.top->windowHandle() && menus.top->windowHandle()->isExposed(); }));

    const QRect off = menus.bar->actionGeometry(menus.bar->actions().at(1));
    QTest::mouseClick(menus.bar, Qt::LeftButton, {}, off.center());
    DrainEvents();
    EXPECT_FALSE(QApplication::activePopupWidget());
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(menus.bar)->child(1);
    EXPECT_TRUE(item->state().disabled);
    // Assistive technologies reach an item without opening its menus.
    menus.Menu(1)->actions().at(0)->trigger();
    menus.Menu(0)->actions().at(1)->menu()->actions().at(0)->trigger();

    menus.window->SetMenuEnabled(kOff, true);
    QTest::mouseClick(menus.bar, Qt::LeftButton, {}, off.center());
    EXPECT_TRUE(WaitFor([&] { return QApplication::activePopupWidget() == menus.Menu(1); }));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_TRUE(menus.chosen.empty());
}

TEST_F(QtBackendTest, MenusWorkWithTheKeyboardAloneAndKeysStillReachTheForm) {
    MenuWindow menus(toolkit);
    std::vector<int> codes;
    menus.window->OnKeyPress([&](int& code) { codes.push_back(code); });
    menus.window->SetMenuEnabled(kOff, false);
    toolkit.InjectLeftClick();
    ASSERT_TRUE(WaitFor([&] { return menus.top->isActiveWindow(); }));
    // Alt, then arrows: the disabled menu is passed over; Enter chooses.
    if (!Xdotool({"key", "--delay", "60", "alt", "Right", "Down", "Return"})) {
        GTEST_SKIP() << "xdotool not found: keys from the X server not tried";
    }
    ASSERT_TRUE(WaitFor([&] { return !menus.chosen.empty(); }));
    EXPECT_EQ(menus.chosen, std::vector<ui::MenuId>{kLast});
    // F10 opens the first menu; Down twice reaches "Sub menu", Right opens it.
    Xdotool({"key", "--delay", "60", "F10", "Down", "Down", "Right", "Return"});
    ASSERT_TRUE(WaitFor([&] { return menus.chosen.size() == 2; }));
    EXPECT_EQ(menus.chosen.back(), kDeep);
    // Escape leaves the menus without choosing; then the keys are the form's.
    Xdotool({"key", "--delay", "60", "F10", "Escape", "Escape", "a"});
    ASSERT_TRUE(WaitFor([&] { return !codes.empty(); }));
    EXPECT_EQ(menus.chosen.size(), 2u);
    EXPECT_EQ(codes.back(), 'a');
}

}  // namespace
}  // namespace tamrel::qt::test
