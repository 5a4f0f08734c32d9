#pragma once

#include <vector>

#include "GameDriver.h"
#include "ui/qt/QtWindowSystem.h"
#include "ui/qt/ScreenWindow.h"

namespace kostkolam::reliability {

/// The game on real Qt windows. Commands, clicks and keys go through the windows' own menus,
/// buttons and key handling. Game time is virtual: the ticks of the running timers are delivered
/// through the game's event sink in the order their timers would fall due, much faster than the
/// windows' own timers would. Help boxes are answered with OK at once.
class QtDriver final : public GameDriver {
  public:
    QtDriver();

    flow::Game& game() override { return m_game; }
    void chooseMenu(ScreenId id, std::string_view item) override;
    void clickButton(ScreenId id, std::string_view button) override;
    void typeKey(ScreenId id, char key) override;
    void advance(std::int64_t ms) override;
    /// Returns to the event loop for one pass, timers left out: the queued deletion of unloaded
    /// screens' windows runs, windows repaint.
    void settle() override;
    /// Empties Qt's pixmap cache.
    void dropCaches() override;
    /// Every widget of the application.
    std::size_t objectCount() override;
    ::testing::AssertionResult holdsOnlyLoadedScreens() override;
    /// Fails on any warning Qt gave since the last call.
    ::testing::AssertionResult quiet() override;

    std::int64_t gameTimeMs() override { return m_now; }
    int helpBoxesShown() const override { return m_helpBoxes; }

  private:
    /// When the next tick of one running timer falls due.
    struct Due {
        ScreenId screen;
        std::uint32_t generation;
        int timer;
        std::int64_t at;
    };

    ui::qt::ScreenWindow& window(ScreenId id);
    /// Brings the list of running timers up to date: a timer that started since the last look
    /// falls due one period from now, a stopped one or one of an unloaded screen leaves.
    void refreshRunningTimers();

    // The window system outlives the game that uses it.
    ui::qt::QtWindowSystem m_windows;
    flow::Game m_game{m_windows, table::screens()};
    std::int64_t m_now = 0;
    std::vector<Due> m_running;
    std::vector<Due> m_scratch;
    int m_helpBoxes = 0;
};

}  // namespace kostkolam::reliability
