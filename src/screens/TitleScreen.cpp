#include "screens/TitleScreen.h"

#include "screens/HelpBox.h"

namespace kostkolam::screens {

using flow::ScreenId;

TitleScreen::TitleScreen(flow::ScreenFlow& flow, ui::Screen& screen)
    : m_flow(flow),
      m_screen(screen),
      m_mnuNovahra(screen.menuItem("mnuNovahra")),
      m_mnuKonec(screen.menuItem("mnuKonec")),
      m_mnuNapoveda(screen.menuItem("mnuNapoveda")) {}

void TitleScreen::menuChosen(int item) {
    if (item == m_mnuNovahra) {
        m_flow.load(ScreenId::frmLevel1);
        m_flow.show(ScreenId::frmLevel1);
        m_flow.unload(ScreenId::frmCihlolam);
    } else if (item == m_mnuKonec) {
        m_flow.endProgram();
    } else if (item == m_mnuNapoveda) {
        m_flow.messageBox(m_screen, kHelpBox);
    }
}

}  // namespace kostkolam::screens
