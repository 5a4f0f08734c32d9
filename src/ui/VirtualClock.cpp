#include "ui/VirtualClock.h"

#include <algorithm>

namespace kostkolam::ui {

void VirtualClock::start(Timer& timer) {
    m_running.push_back({&timer, m_now + timerPeriodMs(timer.interval())});
}

void VirtualClock::stop(Timer& timer) {
    std::erase_if(m_running, [&](const Running& r) { return r.timer == &timer; });
}

void VirtualClock::advance(std::int64_t ms, EventSink& sink) {
    const std::int64_t until = m_now + ms;
    for (;;) {
        Running* next = nullptr;
        for (Running& r : m_running) {
            if (r.due <= until && (next == nullptr || r.due < next->due)) {
                next = &r;
            }
        }
        if (next == nullptr) {
            break;
        }
        m_now = next->due;
        next->due += timerPeriodMs(next->timer->interval());
        // The handler may start and stop timers, so `next` is not used after this call.
        sink.timerTicked(*next->timer);
    }
    m_now = until;
}

std::optional<std::int64_t> VirtualClock::nextDue() const {
    std::optional<std::int64_t> earliest;
    for (const Running& r : m_running) {
        if (!earliest || r.due < *earliest) {
            earliest = r.due;
        }
    }
    return earliest;
}

void VirtualClock::passQuietly(std::int64_t until) {
    const auto due = nextDue();
    m_now = std::max(m_now, due ? std::min(until, *due) : until);
}

}  // namespace kostkolam::ui
