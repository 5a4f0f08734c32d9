// The sanitizer build's leak check must stay meaningful in a process that runs the real windows.
// Qt loads its image plugins at run time, and with them libraries that keep dynamic thread-local
// storage (the JPEG decoder among them); that is where the sanitizer runtime once lost its way.
// This program plays the desktop game's start: the title window opens and is drawn, photograph and
// all. With --leak it also leaves one of the game's objects behind, which the leak check must
// report.

#include <QApplication>
#include <QWidget>
#include <memory>
#include <string_view>

#include "flow/Game.h"
#include "table/ScreenTable.h"
#include "ui/headless/HeadlessWindowSystem.h"
#include "ui/qt/QtWindowSystem.h"

int main(int argc, char** argv) {
    const bool leak = argc > 1 && std::string_view(argv[1]) == "--leak";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    kostkolam::ui::qt::QtWindowSystem windowSystem;
    auto game = std::make_unique<kostkolam::flow::Game>(windowSystem, kostkolam::table::screens());
    game->start();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->grab().isNull()) {
            return 1;
        }
    }
    if (leak) {
        // Nothing owns this: the leak check at exit must name it.
        static_cast<void>(new kostkolam::ui::headless::HeadlessWindowSystem());
    }
    return 0;
}
