#pragma once

// The game's five screens in one table: each screen's name, the layout it is built from and the
// logic it runs. It sits above the flow and the screens' logic and puts them together; whatever
// starts a game (the program, the scenario runner, the tests) hands this table to flow::Game.

#include <optional>
#include <string_view>

#include "flow/ScreenFlow.h"
#include "flow/ScreenId.h"
#include "ui/Layout.h"

namespace kostkolam::table {

/// Every screen of the game, in flow::ScreenId order.
const flow::ScreenTable& screens();

/// The name of a screen: its layout's window name ("frmLevel1").
std::string_view screenName(flow::ScreenId id);
std::optional<flow::ScreenId> screenByName(std::string_view name);
const ui::ScreenLayout& screenLayout(flow::ScreenId id);

}  // namespace kostkolam::table
