// The screen registry: load states, the no-op rules, handles, and screens unloaded while one of
// their own handlers runs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/Game.h"
#include "level/LevelLayouts.h"
#include "scenario/Formatter.h"
#include "table/ScreenTable.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam {
namespace {

using flow::LoadState;
using flow::ScreenId;

class FlowTest : public ::testing::Test {
  protected:
    FlowTest() { game.start(); }

    ui::Screen& loaded(ScreenId id) {
        ui::Screen* screen = game.screen(id);
        EXPECT_NE(screen, nullptr);
        return *screen;
    }

    void chooseMenu(ScreenId id, std::string_view item) {
        ui::Screen& screen = loaded(id);
        game.menuChosen(screen, screen.menuItem(item));
    }

    void newGameFromTitle() { chooseMenu(ScreenId::frmCihlolam, "mnuNovahra"); }

    std::vector<std::string> events;
    ui::headless::HeadlessWindowSystem windowSystem{
        [this](const ui::ShownEvent& event) { events.push_back(scenario::eventLine(event)); }};
    flow::Game game{windowSystem, table::screens()};
};

TEST_F(FlowTest, LoadingALoadedScreenRunsNoStartUpLogic) {
    newGameFromTitle();
    ui::Screen& level1 = loaded(ScreenId::frmLevel1);
    level1.label("lblZiv").setCaption("1");
    level1.timer("tmrMezihra").stop();

    game.load(ScreenId::frmLevel1);

    EXPECT_EQ(game.screen(ScreenId::frmLevel1), &level1);
    EXPECT_EQ(level1.label("lblZiv").caption(), "1");
    EXPECT_FALSE(level1.timer("tmrMezihra").enabled());
    EXPECT_EQ(game.state(ScreenId::frmLevel1), LoadState::Shown);
}

TEST_F(FlowTest, UnloadingAnUnloadedScreenChangesNothing) {
    const auto before = game.handle(ScreenId::frmLevel2);
    game.unload(ScreenId::frmLevel2);
    game.hide(ScreenId::frmLevel3);
    game.show(ScreenId::frmKonec);
    EXPECT_EQ(game.state(ScreenId::frmLevel2), LoadState::Unloaded);
    EXPECT_EQ(game.state(ScreenId::frmLevel3), LoadState::Unloaded);
    EXPECT_EQ(game.state(ScreenId::frmKonec), LoadState::Unloaded);
    EXPECT_EQ(game.handle(ScreenId::frmLevel2).generation, before.generation);
    EXPECT_EQ(game.activeScreen(), ScreenId::frmCihlolam);
    EXPECT_FALSE(game.ended());
}

TEST_F(FlowTest, HideKeepsAScreenLoadedWithItsRunningTimers) {
    newGameFromTitle();
    ui::Screen& level1 = loaded(ScreenId::frmLevel1);
    chooseMenu(ScreenId::frmLevel1, "mnuHelp");  // no command: a plain event
    game.hide(ScreenId::frmLevel1);
    EXPECT_EQ(game.state(ScreenId::frmLevel1), LoadState::Hidden);
    EXPECT_TRUE(level1.timer("tmrMezihra").enabled());
    EXPECT_EQ(game.activeScreen(), std::nullopt);
    game.show(ScreenId::frmLevel1);
    EXPECT_EQ(game.activeScreen(), ScreenId::frmLevel1);
}

TEST_F(FlowTest, AHandleOutlivesItsScreenOnlyAsStale) {
    newGameFromTitle();
    const flow::ScreenHandle first = game.handle(ScreenId::frmLevel1);
    EXPECT_TRUE(game.isCurrent(first));

    // The level menu's "Nová hra" unloads the very screen whose handler runs, then loads it anew.
    chooseMenu(ScreenId::frmLevel1, "mnuNovaHra");

    EXPECT_FALSE(game.isCurrent(first));
    EXPECT_TRUE(game.isCurrent(game.handle(ScreenId::frmLevel1)));
    EXPECT_EQ(loaded(ScreenId::frmLevel1).label("lblOdpocet").caption(), "3");
}

TEST_F(FlowTest, LevelOnesTickEndsWhereLevelTwoUnloadedItsScreen) {
    newGameFromTitle();
    windowSystem.advance(3000);  // the serve: the game tick runs
    ui::Screen& level1 = loaded(ScreenId::frmLevel1);
    chooseMenu(ScreenId::frmLevel1, "mnuPausa");
    for (ui::Button& brick : level1.bricks()) {
        brick.setVisible(false);
    }
    game.module1().KrokX = -1;
    game.module1().KrokY = -1;
    game.module1().Index = level::kBrickCount;

    game.timerTicked(level1.timer("tmrHra"));

    // Level 2 has started (steps set to 1, score carried over) and level 1 is gone; nothing of
    // level 1's loop, paddle steps or move ran after that.
    EXPECT_EQ(game.state(ScreenId::frmLevel1), LoadState::Unloaded);
    EXPECT_EQ(game.state(ScreenId::frmLevel2), LoadState::Shown);
    EXPECT_EQ(game.module1().KrokX, 1);
    EXPECT_EQ(game.module1().KrokY, 1);
    EXPECT_EQ(game.module1().Index, level::kBrickCount);
    EXPECT_EQ(loaded(ScreenId::frmLevel2).label("lblSko").caption(), "0");
    EXPECT_EQ(game.activeScreen(), ScreenId::frmLevel2);
}

TEST_F(FlowTest, EventsAfterTheEndReachNoScreen) {
    newGameFromTitle();
    chooseMenu(ScreenId::frmLevel1, "mnuKonec");
    EXPECT_TRUE(game.ended());
    EXPECT_EQ(events.back(), "@0 end");
    for (ScreenId id : flow::kAllScreens) {
        EXPECT_EQ(game.state(id), LoadState::Unloaded);
        EXPECT_EQ(game.screen(id), nullptr);
    }
    game.load(ScreenId::frmLevel1);
    EXPECT_EQ(game.state(ScreenId::frmLevel1), LoadState::Unloaded);
    windowSystem.advance(10000);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FlowTest, CloseBoxes) {
    newGameFromTitle();
    ui::Screen& level1 = loaded(ScreenId::frmLevel1);
    level1.label("lblZiv").setCaption("0");
    windowSystem.advance(3000);  // the countdown finds no life left: game over
    ASSERT_EQ(game.state(ScreenId::frmKonec), LoadState::Shown);

    game.closeRequested(loaded(ScreenId::frmKonec));
    EXPECT_EQ(game.state(ScreenId::frmKonec), LoadState::Unloaded);
    EXPECT_EQ(game.state(ScreenId::frmLevel1), LoadState::Shown);
    EXPECT_FALSE(game.ended());

    game.closeRequested(level1);
    EXPECT_TRUE(game.ended());
}

TEST_F(FlowTest, AnEventThatLeavesNoScreenShownEndsTheProgram) {
    newGameFromTitle();
    loaded(ScreenId::frmLevel1).label("lblZiv").setCaption("0");
    windowSystem.advance(3000);  // game over: the end screen over the frozen level 1
    ASSERT_EQ(game.state(ScreenId::frmKonec), LoadState::Shown);

    // Hiding level 1 is no event of its own: the rule waits for the end of the next one.
    game.hide(ScreenId::frmLevel1);
    EXPECT_FALSE(game.ended());
    EXPECT_EQ(game.activeScreen(), ScreenId::frmKonec);

    // The end screen's close box unloads it alone; nothing is shown afterwards.
    game.closeRequested(loaded(ScreenId::frmKonec));

    ASSERT_TRUE(game.ended());
    EXPECT_EQ(events, std::vector<std::string>{"@3000 end"});
    for (ScreenId id : flow::kAllScreens) {
        EXPECT_EQ(game.state(id), LoadState::Unloaded);
    }
}

}  // namespace
}  // namespace kostkolam
