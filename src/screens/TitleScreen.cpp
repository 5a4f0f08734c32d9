#include "screens/TitleScreen.h"

#include "screens/HelpBox.h"

namespace kostkolam::screens {

using flow::ScreenId;

TitleScreen::TitleScreen(flow::Game& game, ui::Screen& screen)
    : m_game(game),
      m_screen(screen),
      m_mnuNovahra(screen.menuItem("mnuNovahra")),
      m_mnuKonec(screen.menuItem("mnuKonec")),
      m_mnuNapoveda(screen.menuItem("mnuNapoveda")) {}

void TitleScreen::menuChosen(int item) {
    if (item == m_mnuNovahra) {
        m_game.load(ScreenId::frmLevel1);
        m_game.show(ScreenId::frmLevel1);
        m_game.unload(ScreenId::frmCihlolam);
    } else if (item == m_mnuKonec) {
        m_game.endProgram();
    } else if (item == m_mnuNapoveda) {
        m_game.messageBox(m_screen, kHelpBox);
    }
}

}  // namespace kostkolam::screens
