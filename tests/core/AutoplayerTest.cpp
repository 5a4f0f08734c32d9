// The autoplayer: which paddle key it types for a ball and a paddle placed by hand, and whole
// minutes of each level played by it from the serve without a lost ball.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "flow/Game.h"
#include "level/Autoplayer.h"
#include "table/ScreenTable.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam {
namespace {

using flow::ScreenId;

/// Level 1 loaded and shown, its countdown stopped: the objects stand where a case puts them.
ui::Screen& stillLevel1(flow::Game& game) {
    game.load(ScreenId::frmLevel1);
    game.show(ScreenId::frmLevel1);
    ui::Screen& level = *game.screen(ScreenId::frmLevel1);
    level.timer("tmrMezihra").stop();
    return level;
}

class AutoplayerTest : public ::testing::Test {
  protected:
    ui::headless::HeadlessWindowSystem windowSystem;
    flow::Game game{windowSystem, table::screens()};
    ui::Screen& level = stillLevel1(game);
    ui::Shape& ball = level.shape("shpKulicka");
    ui::Shape& paddle = level.shape("shpPosuvnik");
};

TEST_F(AutoplayerTest, TypesTowardsWhereTheBallComesDown) {
    const float width = level.scaleWidth();
    const float ballWidth = ball.width();
    // The paddle on its serving row; `ticksToRow` is how many ticks a falling ball still needs to
    // reach it, and the paddle's centre is put `paddleOffset` from the ball's centre.
    const float paddleTop = 130;
    struct Case {
        const char* what;
        float ballLeft;
        int ticksToRow;
        std::int16_t krokX, krokY;
        float paddleOffset;
        bool ballShown;
        char key;
    };
    const Case cases[] = {
        {"rising, paddle under it", 30, 60, 1, -1, 0, true, 0},
        {"rising, paddle to its right", 20, 60, 1, -1, 20, true, 'a'},
        {"falling right, paddle under it now", 20, 30, 1, 1, 0, true, 'd'},
        // Five units from the right wall, it turns and comes down some twenty units to the left:
        // a player who followed the ball would stay where it is.
        {"falling right off the right wall", width - 5 - ballWidth, 30, 1, 1, 0, true, 'a'},
        {"falling left off the left wall", 5, 30, -1, 1, 0, true, 'd'},
        // At the left wall already: "a" leaves the paddle where it is.
        {"paddle at the left wall, ball further left", 0, 2, -1, 1, -100, true, 0},
        {"ball lost, its countdown running", 30, 30, 1, 1, 30, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ball.setLeft(c.ballLeft);
        ball.setTop(paddleTop - ball.height() - float(c.ticksToRow));
        ball.setVisible(c.ballShown);
        paddle.setTop(paddleTop);
        const float paddleLeft = c.ballLeft + ballWidth / 2 + c.paddleOffset - paddle.width() / 2;
        paddle.setLeft(std::clamp(paddleLeft, 0.0f, width - paddle.width()));
        paddle.setVisible(true);
        game.module1().KrokX = c.krokX;
        game.module1().KrokY = c.krokY;

        EXPECT_EQ(level::Autoplayer(level, game.module1()).key(), std::uint16_t(c.key));
    }
}

TEST(AutoplayerPlay, KeepsEveryBallOfAMinuteInPlayOnEveryLevel) {
    // A look at the playfield as often as level 3 ticks; nobody at the keys loses a ball within
    // the minute, so the check can fail.
    constexpr std::int64_t kLookEveryMs = 16;
    for (const auto& [number, playing] : {std::pair{1, true}, {2, true}, {3, true}, {1, false}}) {
        SCOPED_TRACE("level " + std::to_string(number) + (playing ? ", autoplayed" : ", alone"));
        ui::headless::HeadlessWindowSystem windowSystem;
        flow::Game game(windowSystem, table::screens());
        const ScreenId id = flow::levelScreen(number);
        game.load(id);
        game.show(id);
        ui::Screen& level = *game.screen(id);
        const level::Autoplayer player(level, game.module1());
        int keys = 0;
        for (std::int64_t ms = 0; ms < 60'000; ms += kLookEveryMs) {
            windowSystem.advance(kLookEveryMs);
            ASSERT_EQ(game.state(id), flow::LoadState::Shown);
            if (const std::uint16_t key = player.key(); playing && key != 0) {
                game.keyTyped(level, key);
                ++keys;
            }
        }
        EXPECT_EQ(level.label("lblZiv").caption() == "3", playing);
        EXPECT_EQ(keys > 0, playing);
    }
}

}  // namespace
}  // namespace kostkolam
