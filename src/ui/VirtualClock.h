#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/WindowSystem.h"

namespace kostkolam::ui {

/// The game's time, shared by both backends. It passes only when asked to: the headless backend
/// lets it pass as a scenario says, the desktop backend as the real clock goes (RealTimeClock).
/// A timer started at t with interval d ticks at t+d, t+2d, ... (never more often than every
/// 16 ms); ticks due at the same instant come in the order the timers were started.
class VirtualClock final : public TimerService {
  public:
    std::int64_t now() const { return m_now; }

    void start(Timer& timer) override;
    void stop(Timer& timer) override;

    /// Lets `ms` milliseconds pass, delivering every tick that falls due to `sink`, in time order.
    /// A tick's next due instant is set before its handler runs.
    void advance(std::int64_t ms, EventSink& sink);

    /// The instant of the earliest tick to come, or nothing when no timer runs.
    std::optional<std::int64_t> nextDue() const;
    /// Lets time pass up to `until` without delivering anything: it stops early at the next due
    /// instant, so that no tick is passed over.
    void passQuietly(std::int64_t until);

    std::size_t runningCount() const { return m_running.size(); }

  private:
    struct Running {
        Timer* timer;
        std::int64_t due;
    };

    std::int64_t m_now = 0;
    /// In the order the timers were started.
    std::vector<Running> m_running;
};

}  // namespace kostkolam::ui
