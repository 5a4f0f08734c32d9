#pragma once

// The game's time on the desktop: the same virtual clock as in the headless game, let go as the
// real monotonic clock goes. One alarm is set for the next instant something falls due; with no
// timer running none is set, so an idle game never wakes.

#include <cstdint>
#include <functional>
#include <optional>

#include "ui/VirtualClock.h"
#include "ui/WindowSystem.h"

namespace kostkolam::ui {

/// The real time and the one alarm that drive a RealTimeClock. A backend provides them; tests
/// provide a clock of their own that moves only when told.
class RealTimeSource {
  public:
    virtual ~RealTimeSource() = default;
    /// Nanoseconds on a monotonic clock, from any origin.
    virtual std::int64_t nowNs() const = 0;
    /// Calls RealTimeClock::wake once, no earlier than `delayMs` milliseconds from now; replaces
    /// the alarm set before.
    virtual void setAlarm(std::int64_t delayMs) = 0;
    virtual void cancelAlarm() = 0;
};

/// Timer service and input gate of the desktop backend. Ticks fall due on the virtual clock
/// exactly as in the headless game (same-instant ticks in start order, none merged or skipped);
/// the virtual clock follows the real one. Before the player's input is delivered, the clock is
/// brought up to the instant it arrived, so that the input takes effect at that virtual instant,
/// after every tick due by then.
///
/// Falling behind: when the program could not run for a while (overload, SIGSTOP, a suspended
/// machine), the ticks due meanwhile are caught up one by one, but never more than
/// kCatchUpBoundMs of them: the game's time lags its oldest due tick by at most that much, and
/// the rest of the delay is time the game does not see, as if it had been paused.
///
/// Standing still: while the player cannot see the game (the page hidden in the browser), the
/// clock can be made to stand still, as on a machine that is asleep. No tick falls due and no
/// alarm is set; when it goes on, the real time that passed meanwhile is time the game never
/// sees, and a tick that was due 10 ms after it stopped falls due 10 ms after it goes on.
class RealTimeClock final : public TimerService, public EventSink {
  public:
    /// 100 ms: a delay up to this (a busy desktop, a late wake-up) is caught up tick by tick and
    /// looks like a dropped frame or two; up to six ticks of the fastest level, a ball moving six
    /// units. A longer one, played out in one go, would move the ball further than a player can
    /// follow or answer (reaction takes about 200 ms) and could lose a ball nobody saw.
    static constexpr std::int64_t kCatchUpBoundMs = 100;

    /// Virtual instant 0 is now; ticks and input go nowhere until setSink.
    explicit RealTimeClock(RealTimeSource& source);
    RealTimeClock(const RealTimeClock&) = delete;
    RealTimeClock& operator=(const RealTimeClock&) = delete;

    const VirtualClock& clock() const { return m_clock; }
    std::int64_t now() const { return m_clock.now(); }
    /// Where ticks and input go from now on.
    void setSink(EventSink& sink) { m_sink = &sink; }
    /// Milliseconds of real time the game did not see because it fell too far behind.
    std::int64_t slippedMs() const { return m_slippedMs; }

    /// The game's time stops at `instant` until the hold moves on (a replayed scenario's next
    /// command); nothing holds it by default. `reached` runs, from a wake-up, when the clock
    /// has come to the held instant.
    void holdAt(std::optional<std::int64_t> instant, std::function<void()> reached = {});

    /// Stops the game's time at the real instant it is now, after delivering every tick due by
    /// then, until goOn. Input delivered meanwhile takes effect at that instant.
    void standStill();
    /// The game's time goes on from the instant it stood still at, as the real clock goes.
    void goOn();
    bool standingStill() const { return m_stillSinceNs.has_value(); }

    /// The alarm went off: delivers what fell due and sets the next alarm.
    void wake();

    /// Brings the virtual clock up to the real time (within the catch-up bound and the hold),
    /// delivering every tick due by then.
    void catchUp();

    // Timer service.
    void start(Timer& timer) override;
    void stop(Timer& timer) override;

    // The player's input: delivered at the virtual instant it arrived.
    void menuChosen(Screen& screen, int item) override;
    void buttonClicked(Screen& screen, int button) override;
    void keyTyped(Screen& screen, std::uint16_t code) override;
    void closeRequested(Screen& screen) override;
    /// A tick delivered from outside the clock (a test's) goes straight on.
    void timerTicked(Timer& timer) override { m_sink->timerTicked(timer); }

  private:
    /// The real time, in nanoseconds of the source; while standing still, when it stopped.
    std::int64_t realNowNs() const;
    /// The virtual instant the real time has reached.
    std::int64_t realInstant() const;
    /// Sets the alarm for the next instant something falls due, or none.
    void rearm();
    /// Runs `deliver` as one input event: caught up first, the alarm set after.
    template <typename Deliver>
    void input(Deliver deliver);

    RealTimeSource& m_source;
    EventSink* m_sink = nullptr;
    VirtualClock m_clock;
    /// The real time of virtual instant 0, in nanoseconds of the source; moves on by every slip.
    std::int64_t m_originNs;
    std::int64_t m_slippedMs = 0;
    std::optional<std::int64_t> m_hold;
    std::function<void()> m_reached;
    std::optional<std::int64_t> m_alarm;
    /// The real time at which the clock was made to stand still, while it does.
    std::optional<std::int64_t> m_stillSinceNs;
    /// Events being delivered (inputs, or ticks of a catch-up), nested ones included.
    int m_depth = 0;
    bool m_advancing = false;
};

}  // namespace kostkolam::ui
