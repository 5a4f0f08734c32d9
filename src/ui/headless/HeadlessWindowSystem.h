#pragma once

#include <string>

#include "ui/VirtualClock.h"
#include "ui/WindowSystem.h"

namespace kostkolam::ui::headless {

/// The window system without windows: screens exist only as their models, time is a virtual
/// clock, and message boxes are answered at once. What a player would have seen is reported to
/// the event log: each message box, and the end.
class HeadlessWindowSystem final : public WindowSystem {
  public:
    /// The frame this backend pretends each window has, in twips.
    static constexpr int kFrameWidthTwips = kScenarioFrameWidthTwips;

    explicit HeadlessWindowSystem(EventLog log = {});

    VirtualClock& clock() { return m_clock; }
    EventSink& sink() { return *m_sink; }
    bool quitCalled() const { return m_quit; }

    void setEventSink(EventSink& sink) override { m_sink = &sink; }
    void attach(Screen& screen) override;
    void messageBox(Screen& owner, const MessageBox& box) override;
    void quit() override;

    /// Lets time pass on the virtual clock.
    void advance(std::int64_t ms) { m_clock.advance(ms, *m_sink); }

  private:
    VirtualClock m_clock;
    EventSink* m_sink = nullptr;
    EventLog m_log;
    bool m_quit = false;
};

}  // namespace kostkolam::ui::headless
