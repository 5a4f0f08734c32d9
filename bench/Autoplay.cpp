// kostkolam-autoplay LEVEL SECONDS [SERVER_PID]
//
// Plays one level in a real window of the Qt backend with nobody at the keyboard: the level is
// loaded and shown through the game's own operations, its countdown serves the ball, and then the
// autoplayer (level/Autoplayer.h) types "a" and "d" into the level window to keep the paddle under
// the ball. It reads where the ball and the paddle are from the screen's model, but the paddle
// moves only by key presses, which take the same road through Qt as a person's.
//
// From the first tick of `tmrHra` on, for SECONDS seconds, it watches what the game costs: the CPU
// time of this process (and of the display server, when its process id is given), the intervals
// between the ticks of `tmrHra`, the time spent bringing the window up to date after each tick and
// the area painted, and the resident set size. Then it prints them as one line of JSON and ends.

#include <sys/resource.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flow/Game.h"
#include "level/Autoplayer.h"
#include "level/LevelLayouts.h"
#include "table/ScreenTable.h"
#include "ui/qt/ClientArea.h"
#include "ui/qt/QtWindowSystem.h"
#include "ui/qt/ScreenWindow.h"

namespace kostkolam {
namespace {

using Clock = std::chrono::steady_clock;
using flow::ScreenId;

/// A level that has not served within this time after being shown never will.
constexpr std::chrono::seconds kServeDeadline{15};

struct Options {
    int level = 1;
    double seconds = 10.0;
    std::optional<pid_t> serverPid;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        return std::nullopt;
    }
    Options options;
    const std::string_view level = argv[1];
    const std::string_view seconds = argv[2];
    if (std::from_chars(level.data(), level.data() + level.size(), options.level).ec !=
            std::errc() ||
        options.level < 1 || options.level > level::kLevelCount) {
        return std::nullopt;
    }
    if (std::from_chars(seconds.data(), seconds.data() + seconds.size(), options.seconds).ec !=
            std::errc() ||
        options.seconds <= 0) {
        return std::nullopt;
    }
    if (argc == 4) {
        const std::string_view pidText = argv[3];
        int pid = 0;
        if (std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid).ec !=
                std::errc() ||
            pid <= 0) {
            return std::nullopt;
        }
        options.serverPid = pid_t(pid);
    }
    return options;
}

/// User plus system CPU time of this process, all threads, in seconds.
double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// User plus system CPU time of another process from /proc/PID/stat, in seconds.
std::optional<double> processCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return std::nullopt;
    }
    // The command name may hold blanks; the fields after it are counted from its closing ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stoll(field);
        } else if (i == 15) {
            stime = std::stoll(field);
        }
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

/// VmRSS of this process, in KiB.
long residentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

/// CPU time of the calling thread.
std::chrono::nanoseconds threadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

/// Nearest-rank percentile of sorted values.
double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) {
        return 0.0;
    }
    const auto rank = std::size_t(std::max(1.0, std::ceil(p / 100.0 * double(sorted.size()))));
    return sorted[std::min(rank, sorted.size()) - 1];
}

/// Times every bring-up-to-date of a window (the update request that paints the dirty areas and
/// puts them on the display) and adds up the area each paint event covers in a client area.
class RepaintMeter final : public QObject {
  public:
    bool measuring = false;
    std::chrono::nanoseconds updateTime{0};
    std::chrono::nanoseconds updateCpuTime{0};
    std::int64_t updates = 0;
    std::int64_t paintEvents = 0;
    std::int64_t paintedPixels = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!measuring) {
            return false;
        }
        if (event->type() == QEvent::Paint && qobject_cast<ui::qt::ClientArea*>(watched)) {
            ++paintEvents;
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
                paintedPixels += std::int64_t(rect.width()) * rect.height();
            }
            return false;
        }
        if (event->type() != QEvent::UpdateRequest || m_inUpdate) {
            return false;
        }
        // The request is handled here, inside the stopwatch, instead of after this filter.
        m_inUpdate = true;
        const auto start = Clock::now();
        const auto cpuStart = threadCpuTime();
        watched->event(event);
        updateCpuTime += threadCpuTime() - cpuStart;
        updateTime += Clock::now() - start;
        ++updates;
        m_inUpdate = false;
        return true;
    }

  private:
    bool m_inUpdate = false;
};

/// Passes every event on to the game. Timestamps each tick of `tmrHra` on a level screen and,
/// after the tick has been handled, lets the player look at the playfield.
class TickObserver final : public ui::EventSink {
  public:
    TickObserver(flow::Game& game, QObject& context) : m_game(game), m_context(context) {}

    bool measuring = false;
    /// Milliseconds between consecutive ticks of one run of `tmrHra`; a lost ball or a cleared
    /// level stops the timer, and the gap until the next serve is no interval of the game tick.
    std::vector<double> intervalsMs;
    std::int64_t ticks = 0;
    std::int64_t runs = 0;
    std::int64_t ticksByLevel[3] = {0, 0, 0};
    /// Called once, at the first tick of `tmrHra`.
    std::function<void()> firstTick;
    /// Called after every tick of `tmrHra`, from the event loop.
    std::function<void()> afterTick;

    void menuChosen(ui::Screen& s, int item) override { m_game.menuChosen(s, item); }
    void buttonClicked(ui::Screen& s, int b) override { m_game.buttonClicked(s, b); }
    void keyTyped(ui::Screen& s, std::uint16_t code) override { m_game.keyTyped(s, code); }
    void closeRequested(ui::Screen& s) override { m_game.closeRequested(s); }

    void timerTicked(ui::Timer& timer) override {
        const int level = flow::levelNumber(ScreenId(timer.screen().tag()));
        if (level == 0 || timer.index() != gameTimerIndex(timer.screen())) {
            m_game.timerTicked(timer);
            return;
        }
        const auto now = Clock::now();
        if (firstTick) {
            std::exchange(firstTick, nullptr)();
        }
        if (measuring) {
            if (m_inRun) {
                intervalsMs.push_back(
                    std::chrono::duration<double, std::milli>(now - m_lastTick).count());
            } else {
                ++runs;
            }
            ++ticks;
            ++ticksByLevel[level - 1];
        }
        m_lastTick = now;
        m_inRun = true;
        ui::Timer* tick = &timer;
        const flow::ScreenHandle handle = m_game.handle(ScreenId(timer.screen().tag()));
        m_game.timerTicked(timer);
        if (!m_game.isCurrent(handle) || !tick->enabled()) {
            m_inRun = false;
        }
        if (afterTick) {
            QMetaObject::invokeMethod(&m_context, afterTick, Qt::QueuedConnection);
        }
    }

  private:
    int gameTimerIndex(ui::Screen& screen) {
        if (m_gameTimerIndex < 0) {
            m_gameTimerIndex = screen.timer("tmrHra").index();
        }
        return m_gameTimerIndex;
    }

    flow::Game& m_game;
    QObject& m_context;
    int m_gameTimerIndex = -1;
    bool m_inRun = false;
    Clock::time_point m_lastTick;
};

/// Keeps the paddle under the ball by typing the autoplayer's keys into the window of the level in
/// play, one key a tick at most, as fast as a player at the keyboard.
class Player {
  public:
    explicit Player(flow::Game& game) : m_game(game) {}

    std::int64_t keys = 0;

    void look() {
        if (!resolve()) {
            return;
        }
        if (const std::uint16_t key = m_autoplayer->key()) {
            QWindow* window =
                ui::qt::QtWindowSystem::windowOf(*m_game.screen(m_handle.id))->windowHandle();
            QTest::keyClick(window, char(key));
            ++keys;
        }
    }

  private:
    /// Finds the level in play, again whenever the level has changed.
    bool resolve() {
        if (m_autoplayer && m_game.isCurrent(m_handle)) {
            return true;
        }
        m_autoplayer.reset();
        for (const ScreenId id : flow::kLevelScreens) {
            if (m_game.state(id) == flow::LoadState::Shown) {
                m_handle = m_game.handle(id);
                m_autoplayer.emplace(*m_game.screen(id), m_game.module1());
            }
        }
        return m_autoplayer.has_value();
    }

    flow::Game& m_game;
    flow::ScreenHandle m_handle{};
    std::optional<level::Autoplayer> m_autoplayer;
};

int run(const Options& options, QApplication& app) {
    ui::qt::QtWindowSystem windowSystem;
    flow::Game game(windowSystem, table::screens());
    QObject context;
    TickObserver observer(game, context);
    windowSystem.setEventSink(observer);
    RepaintMeter meter;
    app.installEventFilter(&meter);
    Player player(game);

    double cpuStart = 0;
    std::optional<double> serverCpuStart;
    Clock::time_point wallStart;
    int clientPixels = 0;
    QTimer noServe;
    noServe.setSingleShot(true);
    noServe.setInterval(kServeDeadline);
    QObject::connect(&noServe, &QTimer::timeout, &app, [] { QCoreApplication::exit(1); });
    QTimer endOfRun;
    // A coarse timer of several seconds may fire 5% early.
    endOfRun.setTimerType(Qt::PreciseTimer);
    endOfRun.setSingleShot(true);
    endOfRun.setInterval(std::chrono::milliseconds(std::int64_t(options.seconds * 1000)));
    QObject::connect(&endOfRun, &QTimer::timeout, &app, [] { QCoreApplication::exit(0); });

    observer.afterTick = [&player] { player.look(); };
    const ScreenId level = flow::levelScreen(options.level);
    observer.firstTick = [&] {
        noServe.stop();
        const QSize client =
            ui::qt::QtWindowSystem::windowOf(*game.screen(level))->clientArea()->size();
        clientPixels = client.width() * client.height();
        wallStart = Clock::now();
        cpuStart = ownCpuSeconds();
        if (options.serverPid) {
            serverCpuStart = processCpuSeconds(*options.serverPid);
        }
        observer.measuring = true;
        meter.measuring = true;
        endOfRun.start();
    };

    game.load(level);
    game.show(level);
    noServe.start();
    if (QApplication::exec() != 0 || observer.ticks == 0) {
        std::fprintf(stderr, "kostkolam-autoplay: level %d never served\n", options.level);
        return 1;
    }

    const double wallSeconds = std::chrono::duration<double>(Clock::now() - wallStart).count();
    const double cpuSeconds = ownCpuSeconds() - cpuStart;
    const long rss = residentKib();
    meter.measuring = false;
    observer.measuring = false;

    std::optional<double> serverCpu;
    if (serverCpuStart) {
        if (const auto end = processCpuSeconds(*options.serverPid)) {
            serverCpu = *end - *serverCpuStart;
        }
    }
    std::vector<double> intervals = observer.intervalsMs;
    std::sort(intervals.begin(), intervals.end());
    const double ticks = double(std::max<std::int64_t>(observer.ticks, 1));
    const double updateUs =
        std::chrono::duration<double, std::micro>(meter.updateTime).count() / ticks;
    const double updateCpuUs =
        std::chrono::duration<double, std::micro>(meter.updateCpuTime).count() / ticks;

    std::printf(
        "{\"program\":\"kostkolam-autoplay\",\"level\":%d,\"seconds\":%.3f,\"ticks\":%lld,"
        "\"ticks_by_level\":[%lld,%lld,%lld],\"tick_runs\":%lld,\"keys\":%lld,"
        "\"tick_interval_ms\":{\"n\":%zu,\"median\":%.3f,\"p99\":%.3f,\"min\":%.3f,\"max\":%.3f},"
        "\"cpu_percent\":%.3f,\"server_cpu_percent\":%s,"
        "\"update_us_per_tick\":%.1f,\"update_cpu_us_per_tick\":%.1f,\"updates_per_tick\":%.3f,"
        "\"paints_per_tick\":%.3f,"
        "\"painted_px_per_tick\":%.1f,\"client_px\":%d,\"rss_kib\":%ld,\"game_ended\":%s}\n",
        options.level, wallSeconds, static_cast<long long>(observer.ticks),
        static_cast<long long>(observer.ticksByLevel[0]),
        static_cast<long long>(observer.ticksByLevel[1]),
        static_cast<long long>(observer.ticksByLevel[2]), static_cast<long long>(observer.runs),
        static_cast<long long>(player.keys), intervals.size(), percentile(intervals, 50),
        percentile(intervals, 99), intervals.empty() ? 0.0 : intervals.front(),
        intervals.empty() ? 0.0 : intervals.back(), 100.0 * cpuSeconds / wallSeconds,
        serverCpu ? std::to_string(100.0 * *serverCpu / wallSeconds).c_str() : "null", updateUs,
        updateCpuUs, double(meter.updates) / ticks, double(meter.paintEvents) / ticks,
        double(meter.paintedPixels) / ticks, clientPixels, rss, game.ended() ? "true" : "false");
    return 0;
}

}  // namespace
}  // namespace kostkolam

int main(int argc, char** argv) {
    const auto options = kostkolam::parseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: kostkolam-autoplay LEVEL(1-3) SECONDS [SERVER_PID]\n");
        return 2;
    }
    QApplication app(argc, argv);
    return kostkolam::run(*options, app);
}
