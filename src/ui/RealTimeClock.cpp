#include "ui/RealTimeClock.h"

#include <algorithm>
#include <utility>

namespace kostkolam::ui {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;

/// Counts one event being delivered for as long as it lives.
class Depth {
  public:
    explicit Depth(int& depth) : m_depth(depth) { ++m_depth; }
    ~Depth() { --m_depth; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

  private:
    int& m_depth;
};

}  // namespace

RealTimeClock::RealTimeClock(RealTimeSource& source)
    : m_source(source), m_originNs(source.nowNs()) {}

std::int64_t RealTimeClock::realNowNs() const {
    return m_stillSinceNs.value_or(m_source.nowNs());
}

std::int64_t RealTimeClock::realInstant() const {
    const std::int64_t elapsed = realNowNs() - m_originNs;
    return elapsed >= 0 ? elapsed / kNsPerMs : -((-elapsed + kNsPerMs - 1) / kNsPerMs);
}

void RealTimeClock::holdAt(std::optional<std::int64_t> instant, std::function<void()> reached) {
    m_hold = instant;
    m_reached = std::move(reached);
    if (!m_advancing) {
        rearm();
    }
}

void RealTimeClock::catchUp() {
    if (m_advancing) {
        return;
    }
    std::int64_t target = realInstant();
    // Fallen too far behind the oldest due tick: the excess is time the game does not see.
    if (const auto due = m_clock.nextDue(); due && target - *due > kCatchUpBoundMs) {
        const std::int64_t slip = target - *due - kCatchUpBoundMs;
        m_originNs += slip * kNsPerMs;
        m_slippedMs += slip;
        target -= slip;
        m_alarm.reset();  // its real instant has moved on with the origin
    }
    if (m_hold) {
        target = std::min(target, *m_hold);
    }
    if (target <= m_clock.now()) {
        return;
    }
    const Depth depth(m_depth);
    m_advancing = true;
    m_clock.advance(target - m_clock.now(), *m_sink);
    m_advancing = false;
}

void RealTimeClock::standStill() {
    if (m_stillSinceNs) {
        return;
    }
    // The instant is taken first: the ticks delivered here take time of their own.
    m_stillSinceNs = m_source.nowNs();
    if (m_sink) {
        catchUp();
    }
    m_alarm.reset();
    m_source.cancelAlarm();
}

void RealTimeClock::goOn() {
    if (!m_stillSinceNs) {
        return;
    }
    // The time it stood still is taken out of the game's time, not caught up.
    m_originNs += m_source.nowNs() - *m_stillSinceNs;
    m_stillSinceNs.reset();
    if (!m_advancing) {
        rearm();
    }
}

void RealTimeClock::wake() {
    m_alarm.reset();
    catchUp();
    if (m_hold && m_clock.now() >= *m_hold && m_reached) {
        const Depth depth(m_depth);
        std::exchange(m_reached, nullptr)();
    }
    rearm();
}

void RealTimeClock::rearm() {
    if (m_stillSinceNs) {
        return;  // no alarm while standing still; goOn sets it
    }
    std::optional<std::int64_t> next = m_clock.nextDue();
    if (m_hold) {
        if (next && *next > *m_hold) {
            next.reset();  // nothing moves past the hold
        }
        if (m_reached) {
            next = next ? std::min(*next, *m_hold) : *m_hold;
        }
    }
    if (next == m_alarm) {
        return;
    }
    m_alarm = next;
    if (!next) {
        m_source.cancelAlarm();
        return;
    }
    const std::int64_t dueNs = m_originNs + *next * kNsPerMs;
    const std::int64_t delayNs = std::max<std::int64_t>(0, dueNs - m_source.nowNs());
    m_source.setAlarm((delayNs + kNsPerMs - 1) / kNsPerMs);
}

void RealTimeClock::start(Timer& timer) {
    if (m_depth == 0) {
        // Started outside any event (the program's start, a test): the time that passed since
        // the last event counts, or the timer would fall due in the past. Nothing is delivered.
        std::int64_t until = realInstant();
        if (m_hold) {
            until = std::min(until, *m_hold);
        }
        m_clock.passQuietly(until);
    }
    m_clock.start(timer);
    if (!m_advancing) {
        rearm();
    }
}

void RealTimeClock::stop(Timer& timer) {
    m_clock.stop(timer);
    if (!m_advancing) {
        rearm();
    }
}

template <typename Deliver>
void RealTimeClock::input(Deliver deliver) {
    // The overdue ticks and the input are one event to the game: a tick that unloads the screen
    // the input was typed on leaves it parked, not freed, until the input has been refused.
    m_sink->deliverAsOne([&] {
        catchUp();
        const Depth depth(m_depth);
        deliver(*m_sink);
    });
    rearm();
}

void RealTimeClock::menuChosen(Screen& screen, int item) {
    input([&](EventSink& sink) { sink.menuChosen(screen, item); });
}

void RealTimeClock::buttonClicked(Screen& screen, int button) {
    input([&](EventSink& sink) { sink.buttonClicked(screen, button); });
}

void RealTimeClock::keyTyped(Screen& screen, std::uint16_t code) {
    input([&](EventSink& sink) { sink.keyTyped(screen, code); });
}

void RealTimeClock::closeRequested(Screen& screen) {
    input([&](EventSink& sink) { sink.closeRequested(screen); });
}

}  // namespace kostkolam::ui
