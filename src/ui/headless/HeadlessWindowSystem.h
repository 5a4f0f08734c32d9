#pragma once

#include <functional>
#include <string>
#include <utility>

#include "ui/Units.h"
#include "ui/VirtualClock.h"
#include "ui/WindowSystem.h"

namespace kostkolam::ui::headless {

/// The window system without windows: screens exist only as their models, time is a virtual
/// clock, and message boxes are answered at once. What a player would have seen pops up as a line
/// in the event log: "@T msgbox ..." and "@T end".
class HeadlessWindowSystem final : public WindowSystem {
  public:
    /// The frame this backend pretends each window has, in twips.
    static constexpr int kFrameWidthTwips = kWindowFrameWidthTwips;

    using EventLog = std::function<void(const std::string&)>;

    explicit HeadlessWindowSystem(EventLog log = {});

    void setEventLog(EventLog log) { m_log = std::move(log); }
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
    void log(const std::string& what);

    VirtualClock m_clock;
    EventSink* m_sink = nullptr;
    EventLog m_log;
    bool m_quit = false;
};

/// What the event log says of a message box: "msgbox title=... icon=information buttons=ok
/// text=...". The desktop backend's recordings say the same.
std::string messageBoxEvent(const MessageBox& box);

/// A caption as the event log and the scenario runner print it: in double quotes, with \" and \\.
std::string quoted(std::string_view text);

}  // namespace kostkolam::ui::headless
