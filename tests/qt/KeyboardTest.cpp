// Every command within reach of the keyboard alone: the menus opened with Alt and their
// mnemonic, their items chosen by letter or by the arrow keys and Enter, and the help box closed
// with Enter or Space. (Function keys and the end screen's buttons: InputTest.cpp.)

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QWindow>
#include <functional>
#include <vector>

#include "QtGame.h"

namespace kostkolam::test {
namespace {

struct KeyPress {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

const KeyPress kAltH{Qt::Key_H, Qt::AltModifier};
const KeyPress kAltE{Qt::Key_E, Qt::AltModifier};

/// Types the keys into the window, as the desktop does: an open drop-down list gets them first.
void type(QWindow* window, const std::vector<KeyPress>& keys) {
    for (const KeyPress& k : keys) {
        QTest::keyClick(window, k.key, k.modifiers);
    }
}

/// Closes every help box with a key into the box, and counts them. A box the key leaves open is
/// closed with its button, so that the test fails instead of waiting for ever.
void closeHelpWith(QtGame& qt, Qt::Key key, int& boxes) {
    qt.windows.setMessageBoxHook([key, &boxes](QMessageBox& box) {
        ++boxes;
        // The box takes the keyboard once the desktop has made it the active window.
        EXPECT_TRUE(QTest::qWaitFor([&box] { return QApplication::activeWindow() == &box; }));
        QTest::keyClick(box.windowHandle(), key);
        if (box.isVisible()) {
            ADD_FAILURE() << "the key left the help box open";
            box.button(QMessageBox::Ok)->click();
        }
    });
}

TEST(Keyboard, AltAndTheMnemonicOpenEachMenuOfTitleAndLevel) {
    struct Case {
        ScreenId id;
        KeyPress alt;
        const char* menu;
    };
    const Case cases[] = {
        {ScreenId::frmCihlolam, kAltH, "mnuHra"},
        {ScreenId::frmCihlolam, kAltE, "mnuHelp"},
        {ScreenId::frmLevel1, kAltH, "mnuHra"},
        {ScreenId::frmLevel1, kAltE, "mnuHelp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(table::screenName(c.id)) + " " + c.menu);
        QtGame qt;
        ScreenWindow* window = qt.openActive(c.id);
        ASSERT_NE(window, nullptr);
        type(window->windowHandle(), {c.alt});
        QWidget* open = QApplication::activePopupWidget();
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->objectName(), QString::fromUtf8(c.menu));
        // Escape closes the list again without choosing anything.
        type(window->windowHandle(), {{Qt::Key_Escape}});
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(qt.game.state(c.id), LoadState::Shown);
    }
}

TEST(Keyboard, LevelMenuItemsAreChosenByTheirLetters) {
    QtGame qt;
    int boxes = 0;
    closeHelpWith(qt, Qt::Key_Return, boxes);
    ScreenWindow* level = qt.openActive(ScreenId::frmLevel1);
    ASSERT_NE(level, nullptr);
    const ui::Timer& tick = qt.screen(ScreenId::frmLevel1).timer("tmrHra");

    // "Pausa" starts and stops the game tick.
    const bool running = tick.enabled();
    type(level->windowHandle(), {kAltH, {Qt::Key_P}});
    EXPECT_EQ(tick.enabled(), !running);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    type(level->windowHandle(), {kAltH, {Qt::Key_P}});
    EXPECT_EQ(tick.enabled(), running);

    // "Nápověda" shows the help box, and Enter closes it.
    type(level->windowHandle(), {kAltE, {Qt::Key_N}});
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);

    // "Nová hra" deals a fresh level 1.
    const auto before = qt.game.handle(ScreenId::frmLevel1);
    type(level->windowHandle(), {kAltH, {Qt::Key_N}});
    EXPECT_FALSE(qt.game.isCurrent(before));
    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);

    // "Konec" ends the program.
    level = qt.activeWindow(ScreenId::frmLevel1);
    ASSERT_NE(level, nullptr);
    type(level->windowHandle(), {kAltH, {Qt::Key_K}});
    EXPECT_TRUE(qt.game.ended());
    EXPECT_TRUE(qt.windows.quitRequested());
}

TEST(Keyboard, TitleMenuItemsWithoutLettersAreReachedWithArrowsAndEnter) {
    struct Case {
        const char* what;
        std::vector<KeyPress> keys;
        std::function<void(QtGame&, int boxes)> check;
    };
    const Case cases[] = {
        {"Nová hra, the first item of Hra",
         {kAltH, {Qt::Key_Return}},
         [](QtGame& qt, int) {
             EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);
             EXPECT_EQ(qt.game.state(ScreenId::frmCihlolam), LoadState::Unloaded);
         }},
        {"Konec, below the separator",
         {kAltH, {Qt::Key_Down}, {Qt::Key_Return}},
         [](QtGame& qt, int) { EXPECT_TRUE(qt.game.ended()); }},
        {"Nápověda, the only item of Help",
         {kAltE, {Qt::Key_Enter}},
         [](QtGame& qt, int boxes) {
             EXPECT_EQ(boxes, 1);
             EXPECT_EQ(qt.game.state(ScreenId::frmCihlolam), LoadState::Shown);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtGame qt;
        int boxes = 0;
        closeHelpWith(qt, Qt::Key_Return, boxes);
        ScreenWindow* title = qt.openActive(ScreenId::frmCihlolam);
        ASSERT_NE(title, nullptr);
        type(title->windowHandle(), c.keys);
        c.check(qt, boxes);
    }
}

TEST(Keyboard, HelpBoxClosesWithEnterReturnOrSpace) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        SCOPED_TRACE(int(key));
        QtGame qt;
        int boxes = 0;
        closeHelpWith(qt, key, boxes);
        ScreenWindow* level = qt.openActive(ScreenId::frmLevel1);
        ASSERT_NE(level, nullptr);
        type(level->windowHandle(), {{Qt::Key_F1}});
        EXPECT_EQ(boxes, 1);
        // The level has the keyboard again: "d" moves the paddle.
        const ui::Shape& paddle = qt.screen(ScreenId::frmLevel1).shape("shpPosuvnik");
        const float start = paddle.left();
        type(level->windowHandle(), {{Qt::Key_D}});
        EXPECT_EQ(paddle.left(), float(double(start) + 3.0));
    }
}

}  // namespace
}  // namespace kostkolam::test
