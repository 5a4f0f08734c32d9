#include "screens/EndScreen.h"

namespace kostkolam::screens {

using flow::ScreenId;

std::string_view verdict(std::string_view score) {
    // A plain comparison by character code; for the scores the game writes, exactly the
    // negative ones (and the empty text) sort before "0".
    return score < std::string_view("0") ? "Příště to bude lepší :-(" : "Máš na další hru :-)";
}

EndScreen::EndScreen(flow::ScreenFlow& flow, ui::Screen& screen)
    : m_flow(flow),
      m_lblSko(screen.label("lblSko")),
      m_lblhlaska(screen.label("lblhlaska")),
      m_cmdNovahra(screen.button("cmdNovahra").ref().index),
      m_cmdKonec(screen.button("cmdKonec").ref().index) {}

void EndScreen::startUp() {
    chooseVerdict();
}

void EndScreen::captionChanged(int label) {
    if (label == m_lblSko.ref().index) {
        chooseVerdict();
    }
}

void EndScreen::chooseVerdict() {
    m_lblhlaska.setCaption(std::string(verdict(m_lblSko.caption())));
}

void EndScreen::buttonClicked(int button) {
    if (button == m_cmdNovahra) {
        m_flow.unload(ScreenId::frmKonec);
        m_flow.startNewGame();
    } else if (button == m_cmdKonec) {
        m_flow.unload(ScreenId::frmKonec);
        for (ScreenId id : flow::kLevelScreens) {
            m_flow.unload(id);
        }
        m_flow.load(ScreenId::frmCihlolam);
        m_flow.show(ScreenId::frmCihlolam);
    }
}

}  // namespace kostkolam::screens
