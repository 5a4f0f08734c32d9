#pragma once

#include <string_view>

#include "flow/ScreenFlow.h"
#include "ui/Screen.h"

namespace kostkolam::screens {

/// The verdict on a final score: a text that sorts before "0" is a loss.
std::string_view verdict(std::string_view score);

/// The end screen: the level reached, the score, a verdict on it, and the way back into the game.
class EndScreen final : public ui::ScreenLogic {
  public:
    EndScreen(flow::ScreenFlow& flow, ui::Screen& screen);

    /// Chooses the first verdict, for the still empty score.
    void startUp() override;
    void buttonClicked(int button) override;
    /// Each new score text brings its own verdict.
    void captionChanged(int label) override;

  private:
    void chooseVerdict();

    flow::ScreenFlow& m_flow;
    ui::Label& m_lblSko;
    ui::Label& m_lblhlaska;
    const int m_cmdNovahra;
    const int m_cmdKonec;
};

}  // namespace kostkolam::screens
