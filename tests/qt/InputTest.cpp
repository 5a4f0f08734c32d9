// The player's input reaching the game: function keys, typed characters, the help box, the close
// box and the end screen's buttons; and screens unloaded from inside their own windows' handlers.

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>

#include "QtGame.h"
#include "screens/HelpBox.h"

namespace kostkolam::test {
namespace {

/// Runs `onKeyPress` when a key press reaches the watched control.
class KeyPressWatcher final : public QObject {
  public:
    explicit KeyPressWatcher(std::function<void()> onKeyPress)
        : m_onKeyPress(std::move(onKeyPress)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            m_onKeyPress();
        }
        return false;
    }

  private:
    std::function<void()> m_onKeyPress;
};

/// What a help box showed the player.
struct SeenBox {
    int count = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int buttonCount = 0;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget* parent = nullptr;
    bool visible = false;
};

void recordAndAnswer(QMessageBox& box, SeenBox& seen) {
    ++seen.count;
    seen.title = box.windowTitle();
    seen.text = box.text();
    seen.icon = box.icon();
    seen.buttons = box.standardButtons();
    seen.buttonCount = int(box.buttons().size());
    seen.modality = box.windowModality();
    seen.parent = box.parentWidget();
    seen.visible = box.isVisible();
    box.button(QMessageBox::Ok)->click();
}

TEST(Input, F2OnTheTitleOpensLevel1AndUnloadsTheTitle) {
    QtGame qt;
    ScreenWindow* title = qt.openActive(ScreenId::frmCihlolam);
    ASSERT_NE(title, nullptr);
    QTest::keyClick(title->windowHandle(), Qt::Key_F2);
    EXPECT_EQ(qt.game.state(ScreenId::frmCihlolam), LoadState::Unloaded);
    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);
    ASSERT_NE(qt.window(ScreenId::frmLevel1), nullptr);
    EXPECT_TRUE(qt.window(ScreenId::frmLevel1)->isVisible());
}

TEST(Input, F1ShowsTheHelpBoxOnTitleAndLevel) {
    const QString helpText =
        QString::fromUtf8(screens::kHelpBox.text.data(), qsizetype(screens::kHelpBox.text.size()));
    for (ScreenId id : {ScreenId::frmCihlolam, ScreenId::frmLevel1}) {
        SCOPED_TRACE(table::screenName(id));
        QtGame qt;
        SeenBox seen;
        qt.windows.setMessageBoxHook([&seen](QMessageBox& box) { recordAndAnswer(box, seen); });
        ScreenWindow* owner = qt.openActive(id);
        ASSERT_NE(owner, nullptr);
        QTest::keyClick(owner->windowHandle(), Qt::Key_F1);
        ASSERT_EQ(seen.count, 1);
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.title, QStringLiteral("Nápověda"));
        EXPECT_EQ(seen.text, helpText);
        EXPECT_EQ(seen.icon, QMessageBox::Information);
        EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(seen.buttonCount, 1);
        EXPECT_EQ(seen.modality, Qt::ApplicationModal);
        EXPECT_EQ(seen.parent, owner);
        EXPECT_EQ(qt.game.state(id), LoadState::Shown);
    }
}

TEST(Input, LevelFunctionKeysPauseRestartAndEnd) {
    QtGame qt;
    ScreenWindow* level = qt.openActive(ScreenId::frmLevel1);
    ASSERT_NE(level, nullptr);
    ui::Timer& tick = qt.screen(ScreenId::frmLevel1).timer("tmrHra");

    // F5 toggles the game tick.
    const bool running = tick.enabled();
    QTest::keyClick(level->windowHandle(), Qt::Key_F5);
    EXPECT_EQ(tick.enabled(), !running);
    QTest::keyClick(level->windowHandle(), Qt::Key_F5);
    EXPECT_EQ(tick.enabled(), running);

    // F2 starts a new game: a fresh level 1 in a fresh window.
    const auto before = qt.game.handle(ScreenId::frmLevel1);
    QTest::keyClick(level->windowHandle(), Qt::Key_F2);
    EXPECT_FALSE(qt.game.isCurrent(before));
    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);
    level = qt.activeWindow(ScreenId::frmLevel1);
    ASSERT_NE(level, nullptr);

    // F4 ends the program.
    QTest::keyClick(level->windowHandle(), Qt::Key_F4);
    EXPECT_TRUE(qt.game.ended());
    EXPECT_TRUE(qt.windows.quitRequested());
    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Unloaded);
}

TEST(Input, TypedCharacterReachesTheLevelBeforeTheFocusedBrick) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow* level = qt.window(ScreenId::frmLevel1);
    ui::Shape& paddle = qt.screen(ScreenId::frmLevel1).shape("shpPosuvnik");
    auto* brick = level->findChild<QAbstractButton*>(QStringLiteral("cmdBod(3)"));
    ASSERT_NE(brick, nullptr);
    brick->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(level->focusWidget(), brick);

    float seenByBrick = -1;
    KeyPressWatcher watcher([&] { seenByBrick = paddle.left(); });
    brick->installEventFilter(&watcher);

    const float start = paddle.left();
    EXPECT_NEAR(start, 28.287533, 1e-5);
    QTest::keyClick(level->windowHandle(), 'd');
    const float moved = float(double(start) + 3.0);
    EXPECT_EQ(paddle.left(), moved);
    // The brick still gets the key, and by then the paddle has already moved.
    EXPECT_EQ(seenByBrick, moved);

    QTest::keyClick(level->windowHandle(), 'a');
    EXPECT_EQ(paddle.left(), float(double(moved) - 3.0));
}

TEST(Input, KeysGoToTheHelpBoxWhileItIsOpen) {
    QtGame qt;
    ScreenWindow* level = qt.openActive(ScreenId::frmLevel1);
    ASSERT_NE(level, nullptr);
    ui::Shape& paddle = qt.screen(ScreenId::frmLevel1).shape("shpPosuvnik");
    const float start = paddle.left();
    float duringBox = -1;
    qt.windows.setMessageBoxHook([&](QMessageBox& box) {
        QTest::keyClick(level->windowHandle(), 'd');
        duringBox = paddle.left();
        box.button(QMessageBox::Ok)->click();
    });
    QTest::keyClick(level->windowHandle(), Qt::Key_F1);
    EXPECT_EQ(duringBox, start);
    QTest::keyClick(level->windowHandle(), 'd');
    EXPECT_EQ(paddle.left(), float(double(start) + 3.0));
}

TEST(Input, CloseBoxEndsTheGameExceptOnTheEndScreen) {
    struct Case {
        ScreenId closed;
        bool endsGame;
    };
    const Case cases[] = {
        {ScreenId::frmKonec, false},
        {ScreenId::frmLevel1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(table::screenName(c.closed));
        QtGame qt;
        ASSERT_NO_FATAL_FAILURE(qt.openEndScreen());
        ScreenWindow* closing = qt.window(c.closed);
        ScreenWindow* level = qt.window(ScreenId::frmLevel1);

        // As the window manager's close box does it.
        closing->windowHandle()->close();

        EXPECT_EQ(qt.game.ended(), c.endsGame);
        EXPECT_EQ(qt.windows.quitRequested(), c.endsGame);
        EXPECT_EQ(qt.game.state(ScreenId::frmKonec), LoadState::Unloaded);
        EXPECT_FALSE(closing->isVisible());
        if (c.endsGame) {
            EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Unloaded);
            EXPECT_FALSE(level->isVisible());
        } else {
            EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);
            EXPECT_TRUE(level->isVisible());
        }
    }
}

TEST(Input, EndScreenButtonsAnswerClicksAndKeys) {
    struct Case {
        const char* what;
        std::function<void(ScreenWindow&)> press;
        ScreenId opened;
    };
    auto button = [](ScreenWindow& end, const char* name) {
        return end.findChild<QPushButton*>(QString::fromUtf8(name));
    };
    const Case cases[] = {
        {"click on Nová hra",
         [&](ScreenWindow& end) { QTest::mouseClick(button(end, "cmdNovahra"), Qt::LeftButton); },
         ScreenId::frmLevel1},
        {"click on Konec",
         [&](ScreenWindow& end) { QTest::mouseClick(button(end, "cmdKonec"), Qt::LeftButton); },
         ScreenId::frmCihlolam},
        {"Return on the focused Nová hra",
         [](ScreenWindow& end) { QTest::keyClick(end.windowHandle(), Qt::Key_Return); },
         ScreenId::frmLevel1},
        {"Enter on the focused Nová hra",
         [](ScreenWindow& end) { QTest::keyClick(end.windowHandle(), Qt::Key_Enter); },
         ScreenId::frmLevel1},
        {"Tab, then Space on Konec",
         [](ScreenWindow& end) {
             QTest::keyClick(end.windowHandle(), Qt::Key_Tab);
             QTest::keyClick(end.windowHandle(), Qt::Key_Space);
         },
         ScreenId::frmCihlolam},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtGame qt;
        ScreenWindow* end = qt.openActive(ScreenId::frmKonec);
        ASSERT_NE(end, nullptr);
        const auto level = qt.game.handle(ScreenId::frmLevel1);

        c.press(*end);

        EXPECT_EQ(qt.game.state(ScreenId::frmKonec), LoadState::Unloaded);
        EXPECT_EQ(qt.game.state(c.opened), LoadState::Shown);
        // Either way the old level is gone: a new game builds a fresh one.
        EXPECT_FALSE(qt.game.isCurrent(level));
    }
}

TEST(Input, ScreenUnloadedFromItsOwnHandlerLeavesItsWindowSafely) {
    QtGame qt;
    // "Nová hra" on level 1 unloads level 1 from inside its own menu's handler and loads a fresh
    // one; the old window must survive until its handler has returned, then go.
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    QPointer<ScreenWindow> old = qt.window(ScreenId::frmLevel1);
    old->findChild<QAction*>(QStringLiteral("mnuNovaHra"))->trigger();

    ScreenWindow* fresh = qt.window(ScreenId::frmLevel1);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old.data());
    EXPECT_TRUE(fresh->isVisible());
    // Not deleted inside its own handler, only taken off the desktop and off the model.
    ASSERT_FALSE(old.isNull());
    EXPECT_FALSE(old->isVisible());
    EXPECT_EQ(old->model(), nullptr);
    // Back in the event loop the detached window is deleted.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(old.isNull());
}

}  // namespace
}  // namespace kostkolam::test
