#include "level/Level.h"

#include "level/LabelNumber.h"
#include "level/Playfield.h"
#include "screens/HelpBox.h"

namespace kostkolam::level {

namespace {

using flow::ScreenId;

/// The ball and the object overlap along the axis; edges that meet count as overlapping.
inline bool overlap(Extent ball, Extent object) {
    return farEdge(ball) >= object.start && farEdge(object) >= ball.start;
}

/// Moving right or down, the ball's far edge has reached the object's near edge and is less than
/// `band` past it.
inline bool inBandPastNearEdge(Extent ball, Extent object, double band) {
    const float ballEdge = farEdge(ball);
    return ballEdge >= object.start && plus(object.start, band) > ballEdge;
}

/// Moving left or up, the ball's near edge has reached the object's far edge and is less than
/// `band` past it. The band's end is the three-term sum, rounded once.
inline bool inBandPastFarEdge(Extent ball, Extent object, double band) {
    return farEdge(object) >= ball.start && sum(object.start, object.size, -band) < ball.start;
}

/// How far past an edge of a brick the ball may have come and still hit it, in playfield units.
constexpr double kBrickBand = 5.0;
/// The same for the paddle's sides and underside.
constexpr double kPaddleBand = 2.0;
/// Points for a brick, and the cost of a lost ball.
constexpr double kBrickPoints = 10.0;
constexpr double kLostBallPoints = 30.0;
/// The rows the ball and the paddle are served from.
constexpr float kServeBallTop = 70.0f;
constexpr float kServePaddleTop = 130.0f;

constexpr const char* kLevelNames[kLevelCount] = {"1. levelu", "2. levelu", "3. levelu"};

}  // namespace

Level::Level(flow::ScreenFlow& flow, flow::Module1& module1, ui::Screen& screen, int number)
    : m_flow(flow),
      m_screen(screen),
      m_module1(module1),
      m_self(flow.handle(flow::levelScreen(number))),
      m_number(number),
      m_cmdBod{},
      m_shpPosuvnik(screen.shape("shpPosuvnik")),
      m_shpKulicka(screen.shape("shpKulicka")),
      m_lblZiv(screen.label("lblZiv")),
      m_lblSko(screen.label("lblSko")),
      m_lblHra(screen.label("lblHra")),
      m_lblOdpocet(screen.label("lblOdpocet")),
      m_tmrHra(screen.timer("tmrHra")),
      m_tmrMezihra(screen.timer("tmrMezihra")),
      m_tmrZivot(screen.timer("tmrZivot")),
      m_mnuNovaHra(screen.menuItem("mnuNovaHra")),
      m_mnuPausa(screen.menuItem("mnuPausa")),
      m_mnuKonec(screen.menuItem("mnuKonec")),
      m_mnuNapoveda(screen.menuItem("mnuNapoveda")) {
    for (ui::Button& brick : screen.bricks()) {
        m_cmdBod[std::size_t(brick.ref().index)] = &brick;
    }
}

// ---------------------------------------------------------------------------------------------
// Level start

void Level::startUp() {
    if (m_number == 2) {
        // Level 2 carries on with the score reached in level 1, copied as text; level 1 is
        // finished with then.
        if (ui::Screen* first = m_flow.screen(ScreenId::frmLevel1)) {
            m_lblSko.setCaption(first->label("lblSko").caption());
        }
        m_flow.unload(ScreenId::frmLevel1);
    }
    centre(m_lblHra);
    centre(m_lblOdpocet);
    centre(m_shpKulicka);
    centre(m_shpPosuvnik);
    m_module1.KrokX = 1;
    m_module1.KrokY = 1;
    if (!m_tmrHra.enabled()) {
        m_lblZiv.setCaption("3");
        m_lblHra.setCaption("Nová hra");
        m_lblHra.setVisible(true);
        m_lblOdpocet.setCaption("3");
        m_tmrMezihra.start();
        m_lblOdpocet.setVisible(true);
    }
}

void Level::centre(ui::ShownObject& object) {
    // Both halves are taken separately, the client width read afresh for each object.
    const double half = double(m_screen.scaleWidth()) / 2;
    object.setLeft(float(half - double(object.width()) / 2));
}

// ---------------------------------------------------------------------------------------------
// Paddle keys

void Level::keyTyped(std::uint16_t code) {
    if (code == kPaddleLeftKey || code == kPaddleRightKey) {
        m_shpPosuvnik.setLeft(
            paddleLeftAfterKey(code, alongX(m_shpPosuvnik), m_screen.scaleWidth()));
    }
}

// ---------------------------------------------------------------------------------------------
// Level menu

void Level::menuChosen(int item) {
    if (item == m_mnuNovaHra) {
        m_flow.startNewGame();
    } else if (item == m_mnuPausa) {
        m_tmrHra.setEnabled(!m_tmrHra.enabled());
    } else if (item == m_mnuKonec) {
        m_flow.endProgram();
    } else if (item == m_mnuNapoveda) {
        m_flow.messageBox(m_screen, screens::kHelpBox);
    }
}

void Level::timerTicked(int timer) {
    if (timer == m_tmrHra.index()) {
        gameTick();
    } else if (timer == m_tmrMezihra.index()) {
        countdownTick();
    } else if (timer == m_tmrZivot.index()) {
        lostBallTick();
    }
}

// ---------------------------------------------------------------------------------------------
// Tests. B is the ball, P the paddle, K a brick. Each test reads its values from the objects when
// it runs.

bool Level::rightWall() const {
    return atFarWall(alongX(m_shpKulicka), m_screen.scaleWidth());
}

bool Level::leftWall() const {
    return atNearWall(alongX(m_shpKulicka));
}

bool Level::bottomWall() const {
    return atFarWall(alongY(m_shpKulicka), m_screen.scaleHeight());
}

bool Level::topWall() const {
    return atNearWall(alongY(m_shpKulicka));
}

bool Level::paddleTop() const {
    const ui::Shape& b = m_shpKulicka;
    const ui::Shape& p = m_shpPosuvnik;
    return reachedNearEdge(alongY(b), alongY(p)) && overlap(alongX(b), alongX(p));
}

bool Level::paddleUnderside() const {
    const ui::Shape& b = m_shpKulicka;
    const ui::Shape& p = m_shpPosuvnik;
    return inBandPastFarEdge(alongY(b), alongY(p), kPaddleBand) && overlap(alongX(b), alongX(p));
}

bool Level::paddleLeftSide() const {
    const ui::Shape& b = m_shpKulicka;
    const ui::Shape& p = m_shpPosuvnik;
    return inBandPastNearEdge(alongX(b), alongX(p), kPaddleBand) && overlap(alongY(b), alongY(p));
}

bool Level::paddleRightSide() const {
    const ui::Shape& b = m_shpKulicka;
    const ui::Shape& p = m_shpPosuvnik;
    return inBandPastFarEdge(alongX(b), alongX(p), kPaddleBand) && overlap(alongY(b), alongY(p));
}

bool Level::brickRight(const ui::Button& k) const {
    const ui::Shape& b = m_shpKulicka;
    return inBandPastNearEdge(alongX(b), alongX(k), kBrickBand) && overlap(alongY(b), alongY(k));
}

bool Level::brickLeft(const ui::Button& k) const {
    const ui::Shape& b = m_shpKulicka;
    return inBandPastFarEdge(alongX(b), alongX(k), kBrickBand) && overlap(alongY(b), alongY(k));
}

bool Level::brickDown(const ui::Button& k) const {
    const ui::Shape& b = m_shpKulicka;
    return inBandPastNearEdge(alongY(b), alongY(k), kBrickBand) && overlap(alongX(b), alongX(k));
}

bool Level::brickUp(const ui::Button& k) const {
    const ui::Shape& b = m_shpKulicka;
    return inBandPastFarEdge(alongY(b), alongY(k), kBrickBand) && overlap(alongX(b), alongX(k));
}

// ---------------------------------------------------------------------------------------------
// The game tick

void Level::negateKrokX() {
    m_module1.KrokX = negated(krokX());
}

void Level::negateKrokY() {
    m_module1.KrokY = negated(krokY());
}

void Level::horizontalStep(ui::Button& brick) {
    if (krokX() == 1) {
        if (brickRight(brick)) {
            hit(brick);
            negateKrokX();
        } else if (rightWall()) {
            negateKrokX();
        }
    } else {
        if (brickLeft(brick)) {
            hit(brick);
            negateKrokX();
        } else if (leftWall()) {
            negateKrokX();
        }
    }
}

void Level::downStep(ui::Button& brick) {
    if (brickDown(brick)) {
        hit(brick);
        negateKrokY();
    } else if (bottomWall()) {
        negateKrokY();
    }
}

void Level::upStep(ui::Button& brick) {
    if (brickUp(brick)) {
        hit(brick);
        negateKrokY();
    } else if (topWall()) {
        negateKrokY();
    }
}

void Level::paddleSteps() {
    // Paddle top; a ball that reached the bottom edge past the paddle is lost.
    if (paddleTop()) {
        negateKrokY();
    } else if (bottomWall()) {
        lostBallHandOver();
    }
    // Paddle underside.
    if (paddleUnderside()) {
        negateKrokY();
    } else if (topWall()) {
        negateKrokY();
    }
}

void Level::gameTick() {
    if (m_number == 1) {
        // Level 1 notices a cleared field once, before the loop, a tick after the last hit.
        if (levelClearedStep() == OwnScreen::Gone) {
            return;
        }
        levelOneLoop();
    } else if (laterLevelsLoop() == OwnScreen::Gone) {
        return;
    }
    paddleSidesOnce();
    paddleTopOnce();
    move();
}

inline void Level::levelOneLoop() {
    for (m_module1.Index = 0; m_module1.Index <= kBrickCount - 1; ++m_module1.Index) {
        ui::Button& brick = *m_cmdBod[std::size_t(m_module1.Index)];
        horizontalStep(brick);
        if (krokY() == 1) {
            downStep(brick);
        } else {
            upStep(brick);
        }
        paddleSteps();
    }
}

inline Level::OwnScreen Level::laterLevelsLoop() {
    // Levels 2 and 3 test only the bricks at indices where the ball moves down; where it moves up
    // they also look for a cleared field and test the paddle.
    for (m_module1.Index = 0; m_module1.Index <= kBrickCount - 1; ++m_module1.Index) {
        ui::Button& brick = *m_cmdBod[std::size_t(m_module1.Index)];
        horizontalStep(brick);
        if (krokY() == 1) {
            downStep(brick);
            continue;
        }
        upStep(brick);
        if (levelClearedStep() == OwnScreen::Gone) {
            return OwnScreen::Gone;
        }
        paddleSteps();
    }
    return OwnScreen::Current;
}

inline void Level::paddleSidesOnce() {
    if (krokX() == 1) {
        if (paddleLeftSide()) {
            negateKrokX();
        } else if (rightWall()) {
            negateKrokX();
        }
    } else {
        if (paddleRightSide()) {
            negateKrokX();
        } else if (leftWall()) {
            negateKrokX();
        }
    }
}

inline void Level::paddleTopOnce() {
    if (krokY() == 1) {
        if (paddleTop()) {
            negateKrokY();
        }
    } else {
        if (paddleUnderside()) {
            negateKrokY();
        } else if (topWall()) {
            negateKrokY();
        }
    }
}

inline void Level::move() {
    m_shpKulicka.setLeft(moved(m_shpKulicka.left(), krokX()));
    m_shpKulicka.setTop(moved(m_shpKulicka.top(), krokY()));
}

void Level::hit(ui::Button& brick) {
    addToLabel(m_lblSko, kBrickPoints);
    brick.setVisible(false);
    // Far below the playfield, out of reach of every later test.
    brick.setTop(plus(brick.height(), m_screen.outerWidthTwips()));
}

Level::OwnScreen Level::levelClearedStep() {
    for (const ui::Button* brick : m_cmdBod) {
        if (brick->visible()) {
            return OwnScreen::Current;
        }
    }
    m_tmrHra.stop();
    m_flow.hide(m_self.id);
    if (m_number < kLevelCount) {
        const ScreenId next = flow::levelScreen(m_number + 1);
        m_flow.load(next);
        m_flow.show(next);
    } else {
        // There is no level after the third: the cleared field stays on the desktop, frozen,
        // and the end screen shows how the game went.
        m_flow.show(m_self.id);
        endGame();
    }
    return m_flow.isCurrent(m_self) ? OwnScreen::Current : OwnScreen::Gone;
}

void Level::lostBallHandOver() {
    m_shpKulicka.setVisible(false);
    m_shpPosuvnik.setVisible(false);
    m_lblOdpocet.setVisible(true);
    m_lblOdpocet.setCaption("3");
    m_tmrZivot.start();
    m_lblHra.setVisible(true);
    m_tmrHra.stop();
}

// ---------------------------------------------------------------------------------------------
// Countdowns

void Level::serve() {
    m_lblHra.setVisible(false);
    m_lblOdpocet.setVisible(false);
    centre(m_shpKulicka);
    m_shpKulicka.setTop(kServeBallTop);
    centre(m_shpPosuvnik);
    m_shpPosuvnik.setTop(kServePaddleTop);
    m_shpKulicka.setVisible(true);
    m_shpPosuvnik.setVisible(true);
    m_module1.KrokX = 1;
    m_module1.KrokY = 1;
    m_tmrHra.start();
}

void Level::countdownTick() {
    addToLabel(m_lblOdpocet, -1);
    if (labelNumber(m_lblOdpocet.caption()) != 0) {
        return;
    }
    serve();
    m_tmrMezihra.stop();
    if (labelNumber(m_lblZiv.caption()) == 0) {
        // No lives left: the end screen opens with the texts it has.
        m_flow.load(ScreenId::frmKonec);
        m_flow.show(ScreenId::frmKonec);
        m_tmrHra.stop();
        m_tmrMezihra.stop();
    }
}

void Level::lostBallTick() {
    addToLabel(m_lblOdpocet, -1);
    if (labelNumber(m_lblOdpocet.caption()) != 0) {
        return;
    }
    addToLabel(m_lblZiv, -1);
    addToLabel(m_lblSko, -kLostBallPoints);
    serve();
    m_tmrZivot.stop();
    if (labelNumber(m_lblZiv.caption()) == 0) {
        m_tmrHra.stop();
        endGame();
    }
}

void Level::endGame() {
    m_flow.load(ScreenId::frmKonec);
    m_flow.show(ScreenId::frmKonec);
    // The end screen's labels, written as the level's own code writes its labels; its logic
    // chooses the verdict when the score arrives.
    if (ui::Screen* end = m_flow.screen(ScreenId::frmKonec)) {
        end->label("lblLev").setCaption(kLevelNames[m_number - 1]);
        end->label("lblSko").setCaption(m_lblSko.caption());
    }
}

void Level::addToLabel(ui::Label& label, double amount) {
    label.setCaption(labelText(labelNumber(label.caption()) + amount));
}

}  // namespace kostkolam::level
