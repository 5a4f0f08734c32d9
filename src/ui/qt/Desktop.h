#pragma once

// How the game introduces itself to the desktop: the name its desktop entry, icons and software
// centre description are filed under, and the icon its windows show.

#include <QIcon>
#include <string_view>

namespace kostkolam::ui::qt {

/// The game's application id: data/<id>.desktop, its hicolor icons and its metainfo carry it.
inline constexpr std::string_view kDesktopId = "io.github.kostkolam.Kostkolam";

/// The sizes of the game's icon built into the program, in pixels.
inline constexpr int kIconSizesPx[] = {16, 22, 24, 32, 48, 64, 128, 256};

/// The game's icon at every size it is built in with, from the program's resources.
QIcon gameIcon();

/// Names the application, ties its windows to the installed desktop entry (so the taskbar shows
/// the game's menu entry and icon) and gives every window the game's icon. Needs a QApplication.
void introduceToDesktop();

}  // namespace kostkolam::ui::qt
