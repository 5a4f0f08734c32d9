// What each screen's window is: caption, fixed size, frame, menu bar, bricks and push buttons.

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include "QtGame.h"
#include "ui/qt/ClientArea.h"

namespace kostkolam::test {
namespace {

struct WindowCase {
    ScreenId id;
    const char* name;
    const char* caption;
    QSize client;
    bool menuBar;
};

const WindowCase kWindows[] = {
    {ScreenId::frmCihlolam, "frmCihlolam", "Kostkolam - the game", {327, 289}, true},
    {ScreenId::frmLevel1, "frmLevel1", "Kostkolam - Level 1", {327, 289}, true},
    {ScreenId::frmLevel2, "frmLevel2", "Kostkolam - Level 2", {327, 289}, true},
    {ScreenId::frmLevel3, "frmLevel3", "Kostkolam - Level 3", {327, 289}, true},
    {ScreenId::frmKonec, "frmKonec", "Kostkolam - End game", {258, 130}, false},
};

TEST(ScreenWindow, EachScreenIsAFixedCentredWindowWithItsCaption) {
    QtGame qt;
    qt.game.start();
    for (const WindowCase& c : kWindows) {
        SCOPED_TRACE(c.name);
        qt.game.load(c.id);
        qt.game.show(c.id);
        ScreenWindow* w = qt.window(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isWindow());
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->objectName(), QString::fromUtf8(c.name));
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(w->clientArea()->size(), c.client);

        // The player cannot resize it, and it has a close box but no minimize or maximize.
        EXPECT_EQ(w->minimumSize(), w->maximumSize());
        EXPECT_EQ(w->size(), w->minimumSize());
        const Qt::WindowFlags flags = w->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));

        const QRect desktop = w->screen()->availableGeometry();
        EXPECT_NEAR(w->frameGeometry().center().x(), desktop.center().x(), 1);
        EXPECT_NEAR(w->frameGeometry().center().y(), desktop.center().y(), 1);
        // The logic reads the frame's outer width in twips.
        EXPECT_EQ(qt.screen(c.id).outerWidthTwips(), float(w->frameGeometry().width() * 15));
        EXPECT_GE(w->frameGeometry().width(), c.client.width());

        auto* menuBar = w->findChild<QMenuBar*>();
        EXPECT_EQ(menuBar != nullptr, c.menuBar);
        if (menuBar) {
            EXPECT_EQ(w->height(), menuBar->height() + c.client.height());
        } else {
            EXPECT_EQ(w->size(), c.client);
        }
    }
}

struct MenuItemCase {
    const char* name;
    const char* caption;  // as Qt holds it: '&' before the mnemonic
    QKeySequence shortcut;
    const char* under;  // the top-level item, or nullptr on the menu bar
};

void expectMenu(const ScreenWindow& w, std::span<const MenuItemCase> expected) {
    auto* menuBar = w.findChild<QMenuBar*>();
    ASSERT_NE(menuBar, nullptr);
    std::vector<const QAction*> shown;
    for (const QAction* top : menuBar->actions()) {
        shown.push_back(top);
        for (const QAction* item : top->menu()->actions()) {
            shown.push_back(item);
        }
    }
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MenuItemCase& e = expected[i];
        const QAction* action = shown[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(action->objectName(), QString::fromUtf8(e.name));
        EXPECT_EQ(w.findChild<QAction*>(QString::fromUtf8(e.name)), action);
        if (QString::fromUtf8(e.caption) == QStringLiteral("-")) {
            EXPECT_TRUE(action->isSeparator());
            continue;
        }
        EXPECT_FALSE(action->isSeparator());
        EXPECT_EQ(action->text(), QString::fromUtf8(e.caption));
        EXPECT_EQ(action->shortcut(), e.shortcut);
        EXPECT_EQ(action->shortcutContext(), Qt::WindowShortcut);
        if (e.under) {
            const auto* menu = qobject_cast<const QMenu*>(action->parent());
            ASSERT_NE(menu, nullptr);
            EXPECT_EQ(menu->objectName(), QString::fromUtf8(e.under));
        } else {
            EXPECT_NE(action->menu(), nullptr);
        }
    }
}

TEST(ScreenWindow, TitleMenuHasCommandsWithoutMnemonics) {
    QtGame qt;
    qt.game.start();
    const MenuItemCase expected[] = {
        {"mnuHra", "&Hra", {}, nullptr},
        {"mnuNovahra", "Nová hra", QKeySequence(Qt::Key_F2), "mnuHra"},
        {"mnuHrapomlka", "-", {}, "mnuHra"},
        {"mnuKonec", "Konec", QKeySequence(Qt::Key_F4), "mnuHra"},
        {"mnuHelp", "H&elp", {}, nullptr},
        {"mnuNapoveda", "Nápověda", QKeySequence(Qt::Key_F1), "mnuHelp"},
    };
    expectMenu(*qt.window(ScreenId::frmCihlolam), expected);
}

TEST(ScreenWindow, LevelMenusHaveMnemonicsAndPause) {
    QtGame qt;
    const MenuItemCase expected[] = {
        {"mnuHra", "&Hra", {}, nullptr},
        {"mnuNovaHra", "&Nová hra", QKeySequence(Qt::Key_F2), "mnuHra"},
        {"mnuPausa", "&Pausa", QKeySequence(Qt::Key_F5), "mnuHra"},
        {"mnuOddelovacHra", "-", {}, "mnuHra"},
        {"mnuKonec", "&Konec", QKeySequence(Qt::Key_F4), "mnuHra"},
        {"mnuHelp", "H&elp", {}, nullptr},
        {"mnuNapoveda", "&Nápověda", QKeySequence(Qt::Key_F1), "mnuHelp"},
    };
    qt.game.start();
    for (ScreenId id : flow::kLevelScreens) {
        SCOPED_TRACE(table::screenName(id));
        qt.game.load(id);
        qt.game.show(id);
        expectMenu(*qt.window(id), expected);
    }
}

TEST(ScreenWindow, BricksAreClickFocusButtonsAtTheirLayoutPlaces) {
    QtGame qt;
    // Places in twips from the level layouts, including a brick that reaches past the right edge
    // (level 1's column 6) and one that starts above the client area (level 2's top row).
    struct Case {
        ScreenId level;
        int index;
        QRect twips;
    };
    const Case cases[] = {
        {ScreenId::frmLevel1, 0, {0, 0, 720, 255}},
        {ScreenId::frmLevel1, 34, {4320, 960, 720, 255}},
        {ScreenId::frmLevel2, 24, {660, -30, 720, 255}},
        {ScreenId::frmLevel2, 14, {2070, 930, 720, 255}},
        {ScreenId::frmLevel3, 34, {4290, 1680, 720, 255}},
        {ScreenId::frmLevel3, 26, {3570, 1440, 720, 255}},
    };
    qt.game.start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(levelNumber(c.level)) + "/" + std::to_string(c.index));
        qt.game.load(c.level);
        qt.game.show(c.level);
        const QString name = QStringLiteral("cmdBod(%1)").arg(c.index);
        auto* brick = qt.window(c.level)->findChild<QAbstractButton*>(name);
        ASSERT_NE(brick, nullptr);
        EXPECT_EQ(brick->parentWidget(), qt.window(c.level)->clientArea());
        EXPECT_EQ(brick->geometry(),
                  twipsToPixels(c.twips.x(), c.twips.y(), c.twips.width(), c.twips.height()));
        EXPECT_TRUE(brick->isVisible());
        EXPECT_TRUE(brick->text().isEmpty());
        EXPECT_EQ(brick->focusPolicy(), Qt::ClickFocus);
    }
    // The bricks are the client area's only controls.
    EXPECT_EQ(qt.window(ScreenId::frmLevel3)
                  ->clientArea()
                  ->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)
                  .size(),
              qsizetype(level::kBrickCount));
}

TEST(ScreenWindow, EndScreenButtonsTakeTheFocusInTabOrder) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openEndScreen());
    ScreenWindow* end = qt.window(ScreenId::frmKonec);
    auto* newGame = end->findChild<QPushButton*>(QStringLiteral("cmdNovahra"));
    auto* quit = end->findChild<QPushButton*>(QStringLiteral("cmdKonec"));
    ASSERT_NE(newGame, nullptr);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(newGame->text(), QStringLiteral("Nová hra"));
    EXPECT_EQ(quit->text(), QStringLiteral("Konec"));
    EXPECT_EQ(newGame->geometry(), twipsToPixels(540, 1440, 1275, 375));
    EXPECT_EQ(quit->geometry(), twipsToPixels(2220, 1440, 1275, 375));
    EXPECT_EQ(newGame->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(quit->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(end->focusWidget(), newGame);
    EXPECT_EQ(newGame->nextInFocusChain(), quit);
}

}  // namespace
}  // namespace kostkolam::test
