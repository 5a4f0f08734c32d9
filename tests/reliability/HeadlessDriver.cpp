#include "HeadlessDriver.h"

#include <stdexcept>
#include <string>

namespace kostkolam::reliability {

HeadlessDriver::HeadlessDriver()
    : m_windows([this](const ui::ShownEvent& event) {
          if (event.kind == ui::ShownEvent::Kind::MessageBox) {
              ++m_helpBoxes;
          }
      }) {}

ui::Screen& HeadlessDriver::loaded(ScreenId id) {
    ui::Screen* screen = m_game.screen(id);
    if (!screen) {
        throw std::logic_error(std::string(table::screenName(id)) + " is not loaded");
    }
    return *screen;
}

void HeadlessDriver::chooseMenu(ScreenId id, std::string_view item) {
    ui::Screen& screen = loaded(id);
    m_game.menuChosen(screen, screen.menuItem(item));
}

void HeadlessDriver::clickButton(ScreenId id, std::string_view button) {
    ui::Screen& screen = loaded(id);
    m_game.buttonClicked(screen, screen.button(button).ref().index);
}

void HeadlessDriver::typeKey(ScreenId id, char key) {
    m_game.keyTyped(loaded(id), std::uint16_t(key));
}

std::size_t HeadlessDriver::objectCount() {
    return m_windows.clock().runningCount();
}

::testing::AssertionResult HeadlessDriver::holdsOnlyLoadedScreens() {
    // Every timer on the clock belongs to a loaded screen and is enabled there; a timer left
    // behind by an unloaded screen would tick into freed memory.
    std::size_t enabled = 0;
    for (const ScreenId id : flow::kAllScreens) {
        if (const ui::Screen* screen = m_game.screen(id)) {
            for (const ui::Timer& timer : screen->timers()) {
                enabled += timer.enabled() ? 1 : 0;
            }
        }
    }
    if (enabled != objectCount()) {
        return ::testing::AssertionFailure() << objectCount() << " timers on the clock, " << enabled
                                             << " enabled on loaded screens";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace kostkolam::reliability
