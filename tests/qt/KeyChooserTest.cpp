// The key chooser in the fonts Qt really uses: every text whole, on one
// line, inside the box, and the box inside the smallest screen setup serves.

#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>

#include "QtTestSupport.h"
#include "setup/KeyChooser.h"
#include "setup/SetupMenus.h"

namespace tamrel::qt::test {
namespace {

TEST_F(QtBackendTest, KeyChooserShowsEveryTextWholeOnA640By480Screen) {
    auto window = toolkit.NewWindow({"SetupWindow", "Setup", false, false, 13350, 9000, true});
    window->SetMenuBar(setup::SetupMenuBar(ui::Desktop::Session));
    ui::Control& restartHint = window->AddControl(ui::ControlKind::Label, "restartHint", nullptr, {0, 0, 15, 15});
    SetupState state;
    // "Left Mouse Click" is the widest key the box shows.
    state.cancelKey = -1;
    state.restartKey = -1;
    KeyChooser chooser(toolkit, [](const std::string&) {}, *window, state, restartHint);
    window->Show();
    auto* box = Find<QGroupBox>("keyChooser");
    auto* menuBar = FindWidget("SetupWindow")->findChild<QMenuBar*>();
    ASSERT_TRUE(box && menuBar);

    for (const KeyRole role : {KeyRole::Cancel, KeyRole::Restart}) {
        chooser.Open(role);
        chooser.OnClick();  // captured, so that the hint to OK shows
        ASSERT_TRUE(box->isVisible());
        const QRect screen(0, 0, 640, 480 - menuBar->sizeHint().height());
        EXPECT_TRUE(screen.contains(box->geometry())) << ::testing::PrintToString(box->geometry());
        EXPECT_LT(QFontMetricsF(box->font()).horizontalAdvance(box->title()), box->width() - 20);

        std::vector<QLabel*> shown;
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            const QString name = label->objectName();
            const QFontMetricsF metrics(label->font());
            EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << name.toStdString();
            // One line, and no more height than the label has: the whole text shows.
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name.toStdString();
            EXPECT_GE(label->height(), metrics.height()) << name.toStdString();
            EXPECT_TRUE(box->contentsRect().contains(label->geometry())) << name.toStdString();
            for (const QLabel* other : shown) {
                EXPECT_FALSE(other->geometry().intersects(label->geometry()))
                    << name.toStdString() << " covers " << other->objectName().toStdString();
            }
            shown.push_back(label);
        }
        EXPECT_GE(shown.size(), role == KeyRole::Restart ? 10u : 9u);
        chooser.Cancel();
    }
}

}  // namespace
}  // namespace tamrel::qt::test
