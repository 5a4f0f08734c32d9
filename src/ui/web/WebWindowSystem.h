#pragma once

// The game's window system in a web browser: each loaded screen is a window on the page's
// desktop, drawn by the page's scripts (web/site/*.js) from what this side tells it. The game's
// virtual clock is let go in real time by one browser timer, as on the desktop; the player's
// input comes back from the page through the exported entry points of the page's program.
// While the page is hidden (another tab in front, the browser minimised, a phone's screen
// locked) the game's clock stands still, as on a machine that is asleep, and goes on from the
// same instant when the page is shown again.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/DefaultFont.h"
#include "ui/RealTimeClock.h"
#include "ui/WindowSystem.h"

namespace kostkolam::ui::web {

class WebWindowSystem final : public WindowSystem {
  public:
    /// Time is the page's own: performance.now() and a browser timer, standing still while the
    /// page is hidden.
    WebWindowSystem();
    /// Time comes from `time` instead (a scenario's virtual clock), whether the page is hidden or
    /// not; it must outlive the system.
    explicit WebWindowSystem(RealTimeSource& time);
    ~WebWindowSystem() override;
    WebWindowSystem(const WebWindowSystem&) = delete;
    WebWindowSystem& operator=(const WebWindowSystem&) = delete;

    void setEventSink(EventSink& sink) override { m_clock.setSink(sink); }
    void attach(Screen& screen) override;
    /// Shows the page's modal box and returns at once: a page cannot wait for the player inside
    /// a handler. The box keeps every key and click to itself until OK, and the timers go on.
    void messageBox(Screen& owner, const MessageBox& box) override;
    void quit() override;

    RealTimeClock& clock() { return m_clock; }
    void setEventLog(EventLog log) { m_log = std::move(log); }
    bool quitRequested() const { return m_quitRequested; }

    /// The live screen shown in the page's window `window`, or nullptr once it is gone. The page
    /// hands its input in by window number; a number whose screen was unloaded meanwhile (a key
    /// typed in the same instant) finds nothing.
    Screen* screenOf(int window) const;
    /// The number of the page's window that shows `screen`, or 0 once it is gone.
    int windowOf(const Screen& screen) const;

    /// The page was hidden or shown: the game's clock stands still or goes on. Heard from the
    /// document's visibility changes; nothing moves once the game has ended.
    void pageHidden(bool hidden);

  private:
    class View;

    /// performance.now() and the clock's one alarm, a single browser timeout.
    class Alarm final : public RealTimeSource {
      public:
        explicit Alarm(WebWindowSystem& system) : m_system(system) {}
        ~Alarm() override { cancelAlarm(); }
        Alarm(const Alarm&) = delete;
        Alarm& operator=(const Alarm&) = delete;
        std::int64_t nowNs() const override;
        void setAlarm(std::int64_t delayMs) override;
        void cancelAlarm() override;

      private:
        static void rang(void* system);
        WebWindowSystem& m_system;
        long m_timeout = 0;
    };

    void log(ShownEvent::Kind kind, const MessageBox& box = {});
    void forget(int window);

    Alarm m_alarm{*this};
    /// m_alarm, or the time handed in.
    RealTimeSource& m_time;
    RealTimeClock m_clock;
    /// The font of every window's own text, fitted to the status line of the last screen that
    /// has one; the desktop's font until then.
    UiFont m_defaultFont;
    /// The labels m_defaultFont was fitted to.
    const LabelLayout* m_defaultFontLabels = nullptr;
    EventLog m_log;
    /// The live screen of each window number the page knows; an entry goes when its screen is
    /// unloaded. Numbers are never used twice on one page, across games too.
    std::vector<std::pair<int, Screen*>> m_windows;
    bool m_quitRequested = false;
    /// Whether the document's visibility changes reach pageHidden (the page's own time only).
    bool m_watchesVisibility = false;
};

}  // namespace kostkolam::ui::web
