#pragma once

#include "GameDriver.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam::reliability {

/// The game on the headless window system: events go straight to the game, and time passes on
/// the virtual clock.
class HeadlessDriver final : public GameDriver {
  public:
    HeadlessDriver();

    flow::Game& game() override { return m_game; }
    void chooseMenu(ScreenId id, std::string_view item) override;
    void clickButton(ScreenId id, std::string_view button) override;
    void typeKey(ScreenId id, char key) override;
    void advance(std::int64_t ms) override { m_windows.advance(ms); }
    /// The timers running on the virtual clock.
    std::size_t objectCount() override;
    ::testing::AssertionResult holdsOnlyLoadedScreens() override;
    std::int64_t gameTimeMs() override { return m_windows.clock().now(); }
    int helpBoxesShown() const override { return m_helpBoxes; }

  private:
    ui::Screen& loaded(ScreenId id);

    int m_helpBoxes = 0;
    ui::headless::HeadlessWindowSystem m_windows;
    flow::Game m_game{m_windows, table::screens()};
};

}  // namespace kostkolam::reliability
