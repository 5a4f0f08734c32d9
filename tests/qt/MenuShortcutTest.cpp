// Function keys choose their items while one of their window's drop-down lists is open: the list
// closes and the item's command runs, on every screen with a menu.

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QWindow>

#include "QtGame.h"
#include "table/ScreenTable.h"

namespace kostkolam::test {
namespace {

enum class Effect { HelpBox, NewGame, Ended, Paused };

struct Case {
    ScreenId screen;
    Qt::Key key;
    Effect effect;
};

std::string describe(const Case& c, Qt::Key alt) {
    return std::string(table::screenName(c.screen)) + " menu " +
           (alt == Qt::Key_H ? "Hra" : "Help") + " key F" +
           std::to_string(int(c.key) - int(Qt::Key_F1) + 1);
}

TEST(MenuShortcuts, FunctionKeysChooseTheirItemsOverAnOpenList) {
    const Case cases[] = {
        {ScreenId::frmCihlolam, Qt::Key_F1, Effect::HelpBox},
        {ScreenId::frmCihlolam, Qt::Key_F2, Effect::NewGame},
        {ScreenId::frmCihlolam, Qt::Key_F4, Effect::Ended},
        {ScreenId::frmLevel1, Qt::Key_F1, Effect::HelpBox},
        {ScreenId::frmLevel1, Qt::Key_F2, Effect::NewGame},
        {ScreenId::frmLevel1, Qt::Key_F4, Effect::Ended},
        {ScreenId::frmLevel1, Qt::Key_F5, Effect::Paused},
        {ScreenId::frmLevel2, Qt::Key_F5, Effect::Paused},
        {ScreenId::frmLevel2, Qt::Key_F1, Effect::HelpBox},
        {ScreenId::frmLevel3, Qt::Key_F2, Effect::NewGame},
        {ScreenId::frmLevel3, Qt::Key_F5, Effect::Paused},
    };
    for (const Case& c : cases) {
        // Over each of the two lists: the item's own and the other one.
        for (Qt::Key alt : {Qt::Key_H, Qt::Key_E}) {
            SCOPED_TRACE(describe(c, alt));
            QtGame qt;
            int boxes = 0;
            bool listClosedForBox = false;
            qt.windows.setMessageBoxHook([&](QMessageBox& box) {
                ++boxes;
                listClosedForBox = QApplication::activePopupWidget() == nullptr;
                box.button(QMessageBox::Ok)->click();
            });
            if (c.screen == ScreenId::frmCihlolam) {
                qt.game.start();
            } else {
                qt.openScreen(c.screen);
            }
            ScreenWindow* window = qt.window(c.screen);
            ASSERT_TRUE(QTest::qWaitForWindowActive(window));
            const auto before = qt.game.handle(c.screen);
            const bool ticking =
                c.screen != ScreenId::frmCihlolam && qt.screen(c.screen).timer("tmrHra").enabled();

            QTest::keyClick(window->windowHandle(), alt, Qt::AltModifier);
            ASSERT_NE(qobject_cast<QMenu*>(QApplication::activePopupWidget()), nullptr);
            QTest::keyClick(window->windowHandle(), c.key);

            EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
            switch (c.effect) {
                case Effect::HelpBox:
                    EXPECT_EQ(boxes, 1);
                    EXPECT_TRUE(listClosedForBox);
                    EXPECT_TRUE(qt.game.isCurrent(before));
                    break;
                case Effect::NewGame:
                    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);
                    EXPECT_FALSE(qt.game.isCurrent(before));
                    break;
                case Effect::Ended:
                    EXPECT_TRUE(qt.game.ended());
                    EXPECT_TRUE(qt.windows.quitRequested());
                    break;
                case Effect::Paused:
                    EXPECT_NE(qt.screen(c.screen).timer("tmrHra").enabled(), ticking);
                    break;
            }
            if (c.effect != Effect::HelpBox) {
                EXPECT_EQ(boxes, 0);
            }
        }
    }
}

}  // namespace
}  // namespace kostkolam::test
