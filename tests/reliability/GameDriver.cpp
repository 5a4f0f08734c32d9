#include "GameDriver.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "level/Autoplayer.h"
#include "ui/Screen.h"

namespace kostkolam::reliability {

namespace {

/// Game time between two looks at the playfield: one game tick of level 1.
constexpr std::int64_t kStepMs = 50;
/// A game of three levels with three lives each is over in well under four minutes of game time.
constexpr int kMaxStepsPerGame = 4'000;
/// Enough keys to take the paddle from one edge of the playfield to the other.
constexpr int kMaxKeysPerMove = 40;

bool ballInPlay(ui::Screen& level) {
    return level.timer("tmrHra").enabled();
}

void knockOutEveryBrick(ui::Screen& level) {
    for (ui::Button& brick : level.bricks()) {
        if (brick.visible()) {
            brick.setVisible(false);
        }
    }
}

/// Types the autoplayer's keys until the paddle is under where the ball comes down.
void catchBall(GameDriver& driver, ScreenId id) {
    const level::Autoplayer player(*driver.game().screen(id), driver.game().module1());
    for (int key = 0; key < kMaxKeysPerMove; ++key) {
        const std::uint16_t code = player.key();
        if (code == 0) {
            return;
        }
        driver.typeKey(id, char(code));
    }
}

/// Takes the paddle to the wall away from the ball, so that the ball is lost: types the key
/// towards that wall until the paddle moves no further.
void missBall(GameDriver& driver, ScreenId id) {
    ui::Screen& level = *driver.game().screen(id);
    const ui::Shape& ball = level.shape("shpKulicka");
    const ui::Shape& paddle = level.shape("shpPosuvnik");
    const bool ballOnRight = ball.left() + ball.width() / 2 > level.scaleWidth() / 2;
    for (int key = 0; key < kMaxKeysPerMove; ++key) {
        const float before = paddle.left();
        driver.typeKey(id, ballOnRight ? 'a' : 'd');
        if (paddle.left() == before) {
            return;
        }
    }
}

std::optional<ScreenId> shownLevel(const flow::Game& game) {
    const auto active = game.activeScreen();
    if (active && flow::levelNumber(*active) != 0) {
        return active;
    }
    return std::nullopt;
}

}  // namespace

void playGame(GameDriver& driver, int levelsToClear, bool askForHelp) {
    flow::Game& game = driver.game();
    ASSERT_EQ(game.state(ScreenId::frmLevel1), LoadState::Shown);
    bool paused = false;
    int steps = 0;
    for (; steps < kMaxStepsPerGame && game.state(ScreenId::frmKonec) != LoadState::Shown;
         ++steps) {
        const auto id = shownLevel(game);
        ASSERT_TRUE(id.has_value()) << "no level on the desktop during play";
        ui::Screen& level = *game.screen(*id);
        if (ballInPlay(level)) {
            if (!paused) {
                // Once a game, "Pausa" stops the game tick and brings it back.
                paused = true;
                driver.chooseMenu(*id, "mnuPausa");
                driver.chooseMenu(*id, "mnuPausa");
            }
            if (flow::levelNumber(*id) <= levelsToClear) {
                knockOutEveryBrick(level);
                catchBall(driver, *id);
            } else {
                missBall(driver, *id);
            }
        }
        driver.advance(kStepMs);
    }
    ASSERT_EQ(game.state(ScreenId::frmKonec), LoadState::Shown)
        << "no game over after " << steps << " steps";
    // The game ended where the plan said: on the first level not cleared, or on level 3 cleared.
    const int lastLevel = std::min(levelsToClear + 1, level::kLevelCount);
    EXPECT_EQ(game.screen(ScreenId::frmKonec)->label("lblLev").caption(),
              std::to_string(lastLevel) + ". levelu");

    if (askForHelp) {
        const ScreenId behind = flow::levelScreen(lastLevel);
        ASSERT_EQ(game.state(behind), LoadState::Shown);
        driver.chooseMenu(behind, "mnuNapoveda");
        ASSERT_EQ(game.state(ScreenId::frmKonec), LoadState::Shown);
    }
}

void visitEveryScreen(GameDriver& driver) {
    flow::Game& game = driver.game();
    ASSERT_EQ(game.state(ScreenId::frmCihlolam), LoadState::Shown);
    driver.chooseMenu(ScreenId::frmCihlolam, "mnuNovahra");
    ASSERT_EQ(game.state(ScreenId::frmCihlolam), LoadState::Unloaded);
    for (const ScreenId id : flow::kLevelScreens) {
        ASSERT_EQ(game.state(id), LoadState::Shown);
        ui::Screen& level = *game.screen(id);
        // "Pausa" during the countdown starts the game tick at once; with every brick gone and
        // the ball on its way up, the next tick finds the field cleared.
        driver.chooseMenu(id, "mnuPausa");
        ASSERT_TRUE(ballInPlay(level));
        knockOutEveryBrick(level);
        game.module1().KrokY = -1;
        driver.advance(ui::timerPeriodMs(level.timer("tmrHra").interval()));
    }
    // Level 1 went with level 2's start, level 2 waits hidden, level 3 stays frozen behind the end
    // screen.
    ASSERT_EQ(game.state(ScreenId::frmLevel1), LoadState::Unloaded);
    ASSERT_EQ(game.state(ScreenId::frmLevel2), LoadState::Hidden);
    ASSERT_EQ(game.state(ScreenId::frmLevel3), LoadState::Shown);
    ASSERT_EQ(game.state(ScreenId::frmKonec), LoadState::Shown);
    driver.clickButton(ScreenId::frmKonec, "cmdKonec");
    for (const ScreenId id : flow::kAllScreens) {
        EXPECT_EQ(game.state(id),
                  id == ScreenId::frmCihlolam ? LoadState::Shown : LoadState::Unloaded)
            << table::screenName(id);
    }
}

}  // namespace kostkolam::reliability
