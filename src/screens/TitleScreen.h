#pragma once

#include "flow/ScreenFlow.h"
#include "ui/Screen.h"

namespace kostkolam::screens {

/// The title screen: a picture and a menu to start a game, read the help or quit.
class TitleScreen final : public ui::ScreenLogic {
  public:
    TitleScreen(flow::ScreenFlow& flow, ui::Screen& screen);
    void menuChosen(int item) override;

  private:
    flow::ScreenFlow& m_flow;
    ui::Screen& m_screen;
    const int m_mnuNovahra;
    const int m_mnuKonec;
    const int m_mnuNapoveda;
};

}  // namespace kostkolam::screens
