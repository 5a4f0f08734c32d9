#pragma once

// The one writing of scenario text: the command lines a recording is made of, the answers of
// `get`, `dump` and `screens`, and the event lines "@T msgbox ..." and "@T end". The runner, a
// recording, the real windows' scenario player and the page all print through here, so that what
// one prints the others print byte for byte.

#include <string>
#include <string_view>

#include "flow/Game.h"
#include "flow/Module1.h"
#include "scenario/Command.h"
#include "ui/Screen.h"
#include "ui/WindowSystem.h"

namespace kostkolam::scenario {

/// A caption as answers print it: in double quotes, with \" and \\.
std::string quoted(std::string_view text);

/// The line that reads back as `command` (a caption set is the rest of its line, verbatim).
std::string commandLine(const Command& command);

/// "@T msgbox title=... icon=information buttons=ok text=..." or "@T end".
std::string eventLine(const ui::ShownEvent& event);

/// "SCREEN.OBJECT.PROPERTY=VALUE", or "SCREEN.SCREEN.PROPERTY=VALUE", read from the screen the
/// command names, which is loaded.
std::string answerLine(const command::Get& get, const ui::Screen& screen);
/// "Module1.VARIABLE=VALUE"; a step with no value yet prints empty.
std::string answerLine(const command::GetVariable& get, const flow::Module1& module1);
/// Every line of `dump` for a screen, each ending in a line feed: "SCREEN unloaded" when
/// `screen` is null.
std::string dumpText(flow::ScreenId id, const ui::Screen* screen);
/// The `screens` line: each screen's load state and the active one.
std::string screensLine(const flow::Game& game);

/// The same answers in JSON, for the page's own tests: {"frmCihlolam":"shown",...} with every
/// screen unloaded when there is no game.
std::string screensJson(const flow::Game* game);
/// {"left":..,"top":..,"width":..,"height":..,"visible":..,"caption":..} (caption on labels
/// only): the values of an object's dump line. `more`, when given, is added as further fields.
std::string objectJson(const ui::Screen& screen, ui::ObjectRef ref, std::string_view more = {});

}  // namespace kostkolam::scenario
