#pragma once

// What a scenario plays against: a window system for the game, the way its commands reach the
// game as input, and the virtual time the scenario lets pass. The runner's own is the headless
// window system; the page's test build plays the same lines against the page's real windows.

#include <cstdint>
#include <functional>
#include <string>

#include "ui/WindowSystem.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam::script {

class ScriptBackend {
  public:
    /// Hears "@T msgbox ..." and "@T end" as they happen.
    using EventLog = std::function<void(const std::string&)>;

    virtual ~ScriptBackend() = default;
    virtual ui::WindowSystem& windowSystem() = 0;
    /// Where the scenario's input commands and ticks are delivered; `game` is the game itself.
    virtual ui::EventSink& input(ui::EventSink& game) = 0;
    /// Lets `ms` milliseconds of virtual time pass, delivering every tick due meanwhile.
    virtual void advance(std::int64_t ms) = 0;
    virtual void setEventLog(EventLog log) = 0;
};

/// The headless window system: no windows, every command straight to the game.
class HeadlessScriptBackend final : public ScriptBackend {
  public:
    ui::WindowSystem& windowSystem() override { return m_windowSystem; }
    ui::EventSink& input(ui::EventSink& game) override { return game; }
    void advance(std::int64_t ms) override { m_windowSystem.advance(ms); }
    void setEventLog(EventLog log) override { m_windowSystem.setEventLog(std::move(log)); }

  private:
    ui::headless::HeadlessWindowSystem m_windowSystem;
};

}  // namespace kostkolam::script
