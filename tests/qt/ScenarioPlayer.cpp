// Plays a scenario in the game's real Qt windows and prints what kostkolam-script prints for it:
// every scenario file must come out the same here as headless (ctest's scenario-qt/ entries).
// Menu items, push buttons, typed characters and close boxes are worked through the windows' own
// actions, buttons, key and close events; a single tick enters where the clock hands ticks to the
// game. Time passes only as the scenario says: the clock's alarms are
// rung at their instants, so a minute of play takes no minute.
//   qt_scenario_player < NAME.txt

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>
#include <iostream>
#include <optional>

#include "flow/Game.h"
#include "scenario/Formatter.h"
#include "scenario/Parser.h"
#include "scenario/Player.h"
#include "scenario/ScenarioInput.h"
#include "table/ScreenTable.h"
#include "ui/qt/QtWindowSystem.h"
#include "ui/qt/ScreenWindow.h"

namespace {

using namespace kostkolam;

constexpr std::int64_t kNsPerMs = 1'000'000;

/// The game's time as a scenario lets it pass: the clock's alarm rings at its instant.
class ScenarioTime final : public ui::RealTimeSource {
  public:
    std::int64_t nowNs() const override { return m_nowNs; }
    void setAlarm(std::int64_t delayMs) override { m_alarmNs = m_nowNs + delayMs * kNsPerMs; }
    void cancelAlarm() override { m_alarmNs.reset(); }

    /// Lets `ms` pass on `clock`, waking it at every alarm due by then, in time order.
    void advance(std::int64_t ms, ui::RealTimeClock& clock) {
        const std::int64_t until = m_nowNs + ms * kNsPerMs;
        while (m_alarmNs && *m_alarmNs <= until) {
            m_nowNs = std::max(m_nowNs, *m_alarmNs);
            m_alarmNs.reset();
            clock.wake();
        }
        m_nowNs = until;
        clock.catchUp();
    }

  private:
    std::int64_t m_nowNs = 0;
    std::optional<std::int64_t> m_alarmNs;
};

/// The scenario's input, worked through the screens' windows.
class WindowInput final : public ui::EventSink {
  public:
    explicit WindowInput(ui::qt::QtWindowSystem& windows) : m_windows(windows) {}

    void menuChosen(ui::Screen& screen, int item) override {
        const QString name = QString::fromUtf8(screen.menu()[std::size_t(item)].name);
        if (auto* action = window(screen).findChild<QAction*>(name)) {
            action->trigger();
        }
    }
    void buttonClicked(ui::Screen& screen, int button) override {
        const QString name = QString::fromUtf8(screen.buttons()[std::size_t(button)].layout().name);
        if (auto* widget = window(screen).findChild<QPushButton*>(name)) {
            widget->click();
        }
    }
    void keyTyped(ui::Screen& screen, std::uint16_t code) override {
        // A key press that types the character, on the native window, where the window watches
        // for typed characters; no key of the keyboard, so no shortcut or button answers it.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(code)));
        QCoreApplication::sendEvent(window(screen).windowHandle(), &press);
    }
    void closeRequested(ui::Screen& screen) override {
        QCloseEvent close;
        QCoreApplication::sendEvent(&window(screen), &close);
    }
    void timerTicked(ui::Timer& timer) override { m_windows.clock().timerTicked(timer); }

  private:
    static ui::qt::ScreenWindow& window(const ui::Screen& screen) {
        return *ui::qt::QtWindowSystem::windowOf(screen);
    }

    ui::qt::QtWindowSystem& m_windows;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::ios::sync_with_stdio(false);
    // Qt's own notes (a platform without raise(), a missing runtime folder) are no part of what
    // the runner prints: standard error holds the error line alone.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            std::cerr << message.toStdString() << '\n';
            std::abort();
        }
    });

    QApplication app(argc, argv);

    ScenarioTime time;
    ui::qt::QtWindowSystem windows(&time);
    windows.setReportedFrame(ui::kScenarioFrameWidthTwips);
    windows.setEventLog(
        [](const ui::ShownEvent& event) { std::cout << scenario::eventLine(event) << '\n'; });
    // The runner answers a message box with OK at once; so does a player here.
    windows.setMessageBoxHook([](QMessageBox& box) { box.accept(); });
    flow::Game game(windows, table::screens());
    WindowInput input(windows);
    scenario::Player player(
        game, input, [&](std::int64_t ms) { time.advance(ms, windows.clock()); },
        [](const std::string& answer) { std::cout << answer << '\n'; });
    game.start();

    scenario::FileSource source(STDIN_FILENO);
    scenario::LineReader reader(source);
    try {
        while (const auto line = reader.next()) {
            if (!scenario::isBlankOrComment(*line)) {
                player.play(scenario::parseCommand(*line));
            }
            // One turn of the event loop between two lines, as the game has between two events:
            // windows of unloaded screens go, shown ones are laid out and drawn.
            QCoreApplication::processEvents();
        }
    } catch (const std::runtime_error& refused) {
        std::cout.flush();
        std::cerr << "error: line " << reader.lineNumber() << ": " << refused.what() << '\n';
        return 2;
    }
    std::cout.flush();
    return 0;
}
