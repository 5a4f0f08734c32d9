// How long the rules take: one game tick on each level, and whole games with no input.

#include <benchmark/benchmark.h>

#include "flow/Game.h"
#include "level/LevelLayouts.h"
#include "table/ScreenTable.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam {
namespace {

using flow::ScreenId;

/// One tick of `tmrHra` through the whole event path, with all 35 bricks in play and the ball in
/// open space below them, moving up (the dearer branch on levels 2 and 3, where the paddle steps
/// and the cleared-field check run at every index). The ball is put back before each tick.
void BM_GameTick(benchmark::State& state) {
    const int level = int(state.range(0));
    const ScreenId id = flow::levelScreen(level);
    ui::headless::HeadlessWindowSystem windowSystem;
    flow::Game game(windowSystem, table::screens());
    game.start();
    game.load(id);
    game.show(id);
    ui::Screen& screen = *game.screen(id);
    ui::Timer& tick = screen.timer("tmrHra");
    ui::Shape& ball = screen.shape("shpKulicka");
    screen.timer("tmrMezihra").stop();

    for (auto _ : state) {
        ball.setLeft(40.0f);
        ball.setTop(100.0f);
        game.module1().KrokX = 1;
        game.module1().KrokY = -1;
        game.timerTicked(tick);
    }
    if (screen.label("lblSko").caption() != "0") {
        state.SkipWithError("a brick was hit: the ball was not in open space");
    }
}
BENCHMARK(BM_GameTick)->DenseRange(1, level::kLevelCount)->ArgName("level");

/// Forwards every event to the game and counts the timer ticks.
class CountingSink final : public ui::EventSink {
  public:
    explicit CountingSink(flow::Game& game) : m_game(game) {}
    std::int64_t ticks = 0;

    void menuChosen(ui::Screen& s, int item) override { m_game.menuChosen(s, item); }
    void buttonClicked(ui::Screen& s, int b) override { m_game.buttonClicked(s, b); }
    void keyTyped(ui::Screen& s, std::uint16_t code) override { m_game.keyTyped(s, code); }
    void closeRequested(ui::Screen& s) override { m_game.closeRequested(s); }
    void timerTicked(ui::Timer& timer) override {
        ++ticks;
        m_game.timerTicked(timer);
    }

  private:
    flow::Game& m_game;
};

/// A whole game from the title screen's "Nová hra" to the game over, nobody at the keys.
void BM_HeadlessGameNoInput(benchmark::State& state) {
    std::int64_t ticks = 0;
    for (auto _ : state) {
        ui::headless::HeadlessWindowSystem windowSystem;
        flow::Game game(windowSystem, table::screens());
        CountingSink counter(game);
        windowSystem.setEventSink(counter);
        game.start();
        ui::Screen& title = *game.screen(ScreenId::frmCihlolam);
        game.menuChosen(title, title.menuItem("mnuNovahra"));
        windowSystem.advance(3'600'000);
        if (game.state(ScreenId::frmKonec) != flow::LoadState::Shown) {
            state.SkipWithError("the game did not end");
        }
        ticks += counter.ticks;
    }
    state.counters["ticks_per_second"] =
        benchmark::Counter(double(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessGameNoInput)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kostkolam

BENCHMARK_MAIN();
