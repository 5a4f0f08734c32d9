#pragma once

// Plays parsed scenario commands against a running game, as kostkolam-script does: the player's
// input goes to the given sink, `set` writes as the game's own code writes, and each query is
// answered through the formatter. Where time comes from is the caller's: the headless runner lets
// virtual time pass, the replay of a recording waits for the real clock, the real windows' player
// lets their clock go as the scenario says.

#include <cstdint>
#include <functional>
#include <string>

#include "flow/Game.h"
#include "scenario/Command.h"
#include "ui/WindowSystem.h"

namespace kostkolam::scenario {

class Player {
  public:
    /// Hears each answer line, without its line feed (a dump's lines each with theirs).
    using Answer = std::function<void(const std::string&)>;
    /// Lets `ms` milliseconds of the game's time pass.
    using Advance = std::function<void(std::int64_t ms)>;

    /// `input` receives menu choices, clicks, keys, close boxes and ticks (the game itself, or a
    /// backend's way into it).
    Player(flow::Game& game, ui::EventSink& input, Advance advance, Answer answer);

    /// Plays one command. After the program has ended, event commands do nothing. Throws
    /// ScenarioError ("SCREEN is not loaded") for a command that needs its screen loaded.
    void play(const Command& command);

  private:
    /// The live screen for a command that needs it loaded.
    ui::Screen& loaded(flow::ScreenId id) const;

    flow::Game& m_game;
    ui::EventSink& m_input;
    Advance m_advance;
    Answer m_answer;
};

}  // namespace kostkolam::scenario
