#pragma once

// What a backend provides to the game: a view for each loaded screen, a timer service, a modal
// message box and the end of the program; and what the backend calls when the player acts or a
// timer falls due. The game's rules see only this; nothing of any toolkit appears here.

#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/Screen.h"

namespace kostkolam::ui {

/// The frame of a window in a scenario, in twips: a fixed single border of 3 pixels a side. The
/// headless backend's windows have it, the page draws its windows with it, and the Qt windows
/// report it instead of their own when they play a scenario, so that a scenario prints the same
/// outer widths everywhere.
inline constexpr int kScenarioFrameWidthTwips = 90;

/// A backend's picture of one loaded screen. The model changes first, then the view is told.
class ScreenView {
  public:
    virtual ~ScreenView() = default;
    /// The window becomes visible, in front and active; or invisible.
    virtual void setVisible(bool visible) = 0;
    /// A label, shape or button moved or changed visibility; `before` is where it was.
    virtual void objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible) = 0;
    /// A label's caption changed.
    virtual void captionChanged(int label) = 0;
    /// The outer width of the window, frame included, in twips.
    virtual float outerWidthTwips() const = 0;
    /// The screen has been unloaded: the window leaves the desktop now and is destroyed with the
    /// screen once the event that unloaded it has ended.
    virtual void unloaded() = 0;
};

/// Runs the timers. A running timer delivers one tick per interval, never more often than every
/// 16 ms, to EventSink::timerTicked.
class TimerService {
  public:
    virtual ~TimerService() = default;
    virtual void start(Timer& timer) = 0;
    virtual void stop(Timer& timer) = 0;
};

/// Shortest period the timer service delivers; shorter intervals tick at this rate.
inline constexpr std::int32_t kTimerFloorMs = 16;

constexpr std::int32_t timerPeriodMs(std::int32_t intervalMs) {
    return intervalMs < kTimerFloorMs ? kTimerFloorMs : intervalMs;
}

/// Where a backend delivers the player's actions and the timers' ticks. Each call is one whole
/// event: its handler runs to its end before the call returns.
class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void menuChosen(Screen& screen, int item) = 0;
    virtual void buttonClicked(Screen& screen, int button) = 0;
    virtual void keyTyped(Screen& screen, std::uint16_t code) = 0;
    virtual void closeRequested(Screen& screen) = 0;
    virtual void timerTicked(Timer& timer) = 0;
    /// Delivers whatever `deliver` sends as one event: an input with the ticks it found overdue.
    /// A screen that one of those ticks unloads stays in memory, dead, until all of it has been
    /// delivered, so the input still finds the screen it was typed on and is refused there.
    virtual void deliverAsOne(const std::function<void()>& deliver) { deliver(); }
};

enum class MessageIcon : std::uint8_t { Information };

struct MessageBox {
    std::string_view title;
    std::string_view text;
    MessageIcon icon = MessageIcon::Information;
};

/// What the player saw happen beside the screens' objects, at the game's instant: a message box
/// shown, or the program's end. A backend reports these as they happen to whoever listens (the
/// scenario runner prints them, a recording writes them down); how they are written is the
/// scenario formatter's business, not the backend's.
struct ShownEvent {
    enum class Kind : std::uint8_t { MessageBox, End };
    Kind kind;
    std::int64_t atMs;
    /// The box shown, for a MessageBox; its texts are valid during the call only.
    MessageBox box;
};

/// Hears each ShownEvent as it happens.
using EventLog = std::function<void(const ShownEvent&)>;

/// A backend: windows, timers and message boxes for the game.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    /// Called once by the game before any screen is built.
    virtual void setEventSink(EventSink& sink) = 0;
    /// Gives a freshly built screen its (hidden) window and its timers.
    virtual void attach(Screen& screen) = 0;
    /// Shows a box modal to the application with a single OK button. The desktop returns when
    /// the box closes; a backend that cannot wait inside a handler (the browser's) returns at
    /// once, its box keeping every key and click to itself until it closes while the timers go
    /// on. The game shows the box as the last step of a handler, so nothing depends on which.
    virtual void messageBox(Screen& owner, const MessageBox& box) = 0;
    /// After the outermost event has ended and unloaded screens are gone.
    virtual void eventFinished() {}
    /// The program has ended: every screen is gone and no further event is delivered.
    virtual void quit() = 0;
};

}  // namespace kostkolam::ui
