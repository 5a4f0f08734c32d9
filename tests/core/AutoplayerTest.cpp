// The autoplayer: which paddle key it types for a ball and a paddle placed by hand, and whole
// minutes of each level played by it from the serve without a lost ball.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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

/// Passes every event on to the game; after each tick of `tmrHra` on a level that is still shown,
/// types the autoplayer's key into it, as a player at the keyboard would between two ticks.
class AutoplaySink final : public ui::EventSink {
  public:
    AutoplaySink(flow::Game& game, bool playing) : m_game(game), m_playing(playing) {}

    int keys = 0;

    void menuChosen(ui::Screen& s, int item) override { m_game.menuChosen(s, item); }
    void buttonClicked(ui::Screen& s, int b) override { m_game.buttonClicked(s, b); }
    void keyTyped(ui::Screen& s, std::uint16_t code) override { m_game.keyTyped(s, code); }
    void closeRequested(ui::Screen& s) override { m_game.closeRequested(s); }
    void timerTicked(ui::Timer& timer) override {
        const auto id = ScreenId(timer.screen().tag());
        const bool gameTick = timer.layout().name == "tmrHra";
        m_game.timerTicked(timer);
        if (!m_playing || !gameTick || m_game.state(id) != flow::LoadState::Shown) {
            return;
        }
        ui::Screen& level = *m_game.screen(id);
        if (const std::uint16_t key = level::Autoplayer(level, m_game.module1()).key()) {
            m_game.keyTyped(level, key);
            ++keys;
        }
    }

  private:
    flow::Game& m_game;
    bool m_playing;
};

TEST(AutoplayerPlay, KeepsEveryBallOfAMinuteInPlayOnEveryLevel) {
    struct Case {
        int level;
        bool playing;
    };
    // Nobody at the keys loses a ball within the minute: the check can fail.
    const Case cases[] = {{1, true}, {2, true}, {3, true}, {1, false}, {3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + (c.playing ? ", autoplayed" : ", alone"));
        ui::headless::HeadlessWindowSystem windowSystem;
        flow::Game game(windowSystem, table::screens());
        AutoplaySink sink(game, c.playing);
        windowSystem.setEventSink(sink);
        const ScreenId id = flow::levelScreen(c.level);
        game.load(id);
        game.show(id);

        windowSystem.advance(60'000);

        ASSERT_EQ(game.state(id), flow::LoadState::Shown);
        EXPECT_EQ(game.screen(id)->label("lblZiv").caption() == "3", c.playing);
        EXPECT_EQ(sink.keys > 0, c.playing);
    }
}

}  // namespace
}  // namespace kostkolam
