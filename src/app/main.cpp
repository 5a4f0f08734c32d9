// Kostkolam on the desktop: the title screen opens, and the game runs on window events until it
// ends itself.

#include <QApplication>

#include "flow/Game.h"
#include "table/ScreenTable.h"
#include "ui/qt/Desktop.h"
#include "ui/qt/QtWindowSystem.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application's name, its desktop entry and the icon every window shows.
    kostkolam::ui::qt::introduceToDesktop();
    kostkolam::ui::qt::QtWindowSystem windowSystem;
    kostkolam::flow::Game game(windowSystem, kostkolam::table::screens());
    game.start();
    return QApplication::exec();
}
