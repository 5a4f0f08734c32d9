#pragma once

// The game's window system on the desktop: one Qt window per loaded screen, the game's virtual
// clock let go in real time for its timers, and a QMessageBox for the help.

#include <QFont>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/RealTimeClock.h"
#include "ui/WindowSystem.h"
#include "ui/qt/Accessibility.h"
#include "ui/qt/PictureCache.h"

class QMessageBox;
class QWidget;

namespace kostkolam::ui::qt {

class ScreenWindow;

/// Needs a QApplication that outlives it, and must itself outlive the game that uses it.
class QtWindowSystem final : public WindowSystem {
  public:
    /// Called with each message box right after it has been shown, before it is answered.
    using MessageBoxHook = std::function<void(QMessageBox&)>;

    /// The game's time follows the real monotonic clock, or `time` when given (a scenario that
    /// says when time passes); `time` must outlive the window system.
    explicit QtWindowSystem(RealTimeSource* time = nullptr);
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    void setEventSink(EventSink& sink) override { m_clock.setSink(sink); }
    void attach(Screen& screen) override;
    void messageBox(Screen& owner, const MessageBox& box) override;
    void quit() override;

    /// The game's time: every screen's timers run on it, and the player's input passes through
    /// it to reach the game at the virtual instant it arrived.
    RealTimeClock& clock() { return m_clock; }
    void setEventLog(EventLog log) { m_log = std::move(log); }

    /// Each window reports its outer width as its client width plus `twips`, not its real frame:
    /// for playing scenarios, whose outer widths are those of windows with the frame
    /// kScenarioFrameWidthTwips. Nothing: the window's own frame, as the desktop draws it.
    void setReportedFrame(std::optional<int> twips) { m_reportedFrameTwips = twips; }

    /// Lets a test read and answer the message boxes instead of a player.
    void setMessageBoxHook(MessageBoxHook hook) { m_messageBoxHook = std::move(hook); }
    /// Lets a test hear what screen readers are told about the screens, in their place.
    void setAccessibilityHook(AccessibilityNotifier::Hook hook) {
        m_accessibility.setHook(std::move(hook));
    }
    /// The game has ended the program.
    bool quitRequested() const { return m_quitRequested; }
    /// The window showing the screen, or nullptr when the screen has no window of this system.
    static ScreenWindow* windowOf(const Screen& screen);

  private:
    class View;

    /// The real monotonic clock and the clock's one alarm, a single-shot precise QTimer.
    class Alarm final : public RealTimeSource {
      public:
        explicit Alarm(QtWindowSystem& system);
        std::int64_t nowNs() const override;
        void setAlarm(std::int64_t delayMs) override;
        void cancelAlarm() override;

      private:
        QTimer m_timer;
    };

    void log(ShownEvent::Kind kind, const MessageBox& box = {});

    /// Takes over the detached window of a destroyed screen and deletes it once control is back
    /// in the event loop: the destruction may have been set off by the window's own menu or
    /// button, whose code still runs on the stack below.
    void retire(ScreenWindow* window);
    void deleteRetired();

    Alarm m_alarm{*this};
    RealTimeClock m_clock;
    EventLog m_log;
    PictureCache m_pictures;
    QFont m_defaultFont;
    /// The labels m_defaultFont was fitted to.
    const LabelLayout* m_defaultFontLabels = nullptr;
    AccessibilityNotifier m_accessibility;
    std::vector<std::unique_ptr<ScreenWindow>> m_retired;
    /// Receives the queued deletions; pending ones die with it.
    QObject m_queue;
    bool m_deletionQueued = false;
    MessageBoxHook m_messageBoxHook;
    std::optional<int> m_reportedFrameTwips;
    bool m_quitRequested = false;
};

}  // namespace kostkolam::ui::qt
