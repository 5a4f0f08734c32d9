#include "screens/EndScreen.h"

namespace kostkolam::screens {

using flow::ScreenId;

std::string_view verdict(std::string_view score) {
    // A plain comparison by character code; for the scores the game writes, exactly the
    // negative ones (and the empty text) sort before "0".
    return score < std::string_view("0") ? "Příště to bude lepší :-(" : "Máš na další hru :-)";
}

EndScreen::EndScreen(flow::Game& game, ui::Screen& screen)
    : m_game(game),
      m_lblLev(screen.label("lblLev")),
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
        m_game.unload(ScreenId::frmKonec);
        m_game.startNewGame();
    } else if (button == m_cmdKonec) {
        m_game.unload(ScreenId::frmKonec);
        for (ScreenId id : flow::kLevelScreens) {
            m_game.unload(id);
        }
        m_game.load(ScreenId::frmCihlolam);
        m_game.show(ScreenId::frmCihlolam);
    }
}

}  // namespace kostkolam::screens
