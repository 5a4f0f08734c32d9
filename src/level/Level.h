#pragma once

// The logic of a level screen: its start, the paddle keys, the game tick with its wall, paddle and
// brick tests, the two countdowns and the level menu. The three levels run the same logic; where
// they differ, the level number decides.

#include <array>
#include <cstdint>
#include <string>

#include "flow/Module1.h"
#include "flow/ScreenFlow.h"
#include "level/LevelLayouts.h"
#include "ui/Screen.h"

namespace kostkolam::level {

class Level final : public ui::ScreenLogic {
  public:
    /// Resolves every object the logic uses by its layout name, once.
    Level(flow::ScreenFlow& flow, flow::Module1& module1, ui::Screen& screen, int number);

    int number() const { return m_number; }

    /// The level start, run when the screen is loaded.
    void startUp() override;
    void keyTyped(std::uint16_t code) override;
    void menuChosen(int item) override;
    void timerTicked(int timer) override;

    /// One tick of `tmrHra`: the loop over the bricks, then the paddle's sides, its top and
    /// underside, and the move.
    void gameTick();
    /// One tick of `tmrMezihra`, the opening countdown.
    void countdownTick();
    /// One tick of `tmrZivot`, the countdown after a lost ball.
    void lostBallTick();

  private:
    std::int16_t krokX() const { return *m_module1.KrokX; }
    std::int16_t krokY() const { return *m_module1.KrokY; }
    void negateKrokX();
    void negateKrokY();

    // Wall, paddle and brick tests; each reads its values from the objects when it runs.
    bool rightWall() const;
    bool leftWall() const;
    bool bottomWall() const;
    bool topWall() const;
    bool paddleTop() const;
    bool paddleUnderside() const;
    bool paddleLeftSide() const;
    bool paddleRightSide() const;
    bool brickRight(const ui::Button& brick) const;
    bool brickLeft(const ui::Button& brick) const;
    bool brickDown(const ui::Button& brick) const;
    bool brickUp(const ui::Button& brick) const;

    /// The steps of one brick index; each returns after its own bounce.
    void horizontalStep(ui::Button& brick);
    void downStep(ui::Button& brick);
    void upStep(ui::Button& brick);
    void paddleSteps();
    /// Whether the level's own screen is still the current one after a step that may change
    /// screens: a tick whose screen is gone must end at once.
    enum class OwnScreen : bool { Gone, Current };

    /// The loops over the brick indices. The later levels' loop ends early, its screen gone, when
    /// the field is cleared and level 3 loads in its place.
    void levelOneLoop();
    [[nodiscard]] OwnScreen laterLevelsLoop();
    /// After the loop: the paddle's sides, then its top and underside, once each; then the move.
    void paddleSidesOnce();
    void paddleTopOnce();
    void move();
    void hit(ui::Button& brick);
    /// Moves on to the next level, or to the end, once no brick is left. Its screen is gone
    /// afterwards when the next level's start unloaded it (level 1's clear loads level 2).
    [[nodiscard]] OwnScreen levelClearedStep();
    void lostBallHandOver();
    void serve();
    void endGame();

    void centre(ui::ShownObject& object);
    void addToLabel(ui::Label& label, double amount);

    flow::ScreenFlow& m_flow;
    ui::Screen& m_screen;
    flow::Module1& m_module1;
    const flow::ScreenHandle m_self;
    const int m_number;

    std::array<ui::Button*, kBrickCount> m_cmdBod;
    ui::Shape& m_shpPosuvnik;
    ui::Shape& m_shpKulicka;
    ui::Label& m_lblZiv;
    ui::Label& m_lblSko;
    ui::Label& m_lblHra;
    ui::Label& m_lblOdpocet;
    ui::Timer& m_tmrHra;
    ui::Timer& m_tmrMezihra;
    ui::Timer& m_tmrZivot;
    const int m_mnuNovaHra;
    const int m_mnuPausa;
    const int m_mnuKonec;
    const int m_mnuNapoveda;
};

}  // namespace kostkolam::level
