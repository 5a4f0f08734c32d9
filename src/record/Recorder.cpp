#include "record/Recorder.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "script/ScenarioLine.h"
#include "table/ScreenTable.h"
#include "ui/Numbers.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam::record {

namespace {

using flow::ScreenId;

/// The longest `advance` the runner takes in one line.
std::string number(float value) {
    return ui::numberText(value);
}

}  // namespace

Recorder::Recorder(flow::Game& game, const ui::VirtualClock& clock, std::FILE* scenario,
                   std::FILE* expected)
    : m_game(game), m_clock(clock), m_scenario(scenario), m_expected(expected) {
    m_written = m_clock.now();
    writeScenario("# A game of Kostkolam, recorded with kostkolam --record. Play it again with");
    writeScenario("# kostkolam-script (it prints the .expected file beside this one) or watch it");
    writeScenario("# with kostkolam --replay.");
}

Recorder::~Recorder() {
    std::fclose(m_scenario);
    std::fclose(m_expected);
}

std::optional<Recorder::Files> Recorder::open(const std::string& path, std::string& error) {
    std::FILE* scenario = std::fopen(path.c_str(), "w");
    if (!scenario) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    const std::string expectedPath = path + ".expected";
    std::FILE* expected = std::fopen(expectedPath.c_str(), "w");
    if (!expected) {
        error = "cannot write " + expectedPath + ": " + std::strerror(errno);
        std::fclose(scenario);
        return std::nullopt;
    }
    return Files{scenario, expected};
}

void Recorder::write(std::FILE* file, std::string_view line) {
    if (!m_writeError.empty()) {
        return;
    }
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size() ||
        std::fputc('\n', file) == EOF || std::fflush(file) != 0) {
        m_writeError = std::strerror(errno);
    }
}

void Recorder::writeScenario(std::string_view line) {
    write(m_scenario, line);
}

void Recorder::writeExpected(std::string_view line) {
    write(m_expected, line);
}

void Recorder::event(const std::string& line) {
    writeExpected(line);
}

void Recorder::catchUp() {
    while (m_written < m_clock.now()) {
        const std::int64_t step = std::min(m_clock.now() - m_written, script::kLongestAdvanceMs);
        writeScenario("advance " + std::to_string(step));
        m_written += step;
    }
}

void Recorder::get(ScreenId id, std::string_view object, std::string_view property,
                   const std::string& value) {
    const std::string path = std::string(table::screenName(id)) + " " + std::string(object) + " " +
                             std::string(property);
    writeScenario("get " + path);
    writeExpected(std::string(table::screenName(id)) + "." + std::string(object) + "." +
                  std::string(property) + "=" + value);
}

void Recorder::checkpoint() {
    writeScenario("screens");
    std::string line;
    for (ScreenId id : flow::kAllScreens) {
        line += (id == ScreenId::frmCihlolam ? "" : " ");
        line += std::string(table::screenName(id)) + "=" +
                std::string(flow::loadStateName(m_game.state(id)));
    }
    const auto active = m_game.activeScreen();
    line += " active=" + std::string(active ? table::screenName(*active) : "none");
    writeExpected(line);

    for (ScreenId id : flow::kLevelScreens) {
        ui::Screen* level = m_game.screen(id);
        if (!level) {
            continue;
        }
        const ui::Shape& ball = level->shape("shpKulicka");
        get(id, "shpKulicka", "Left", number(ball.left()));
        get(id, "shpKulicka", "Top", number(ball.top()));
        get(id, "shpPosuvnik", "Left", number(level->shape("shpPosuvnik").left()));
        for (const char* label : {"lblSko", "lblZiv", "lblOdpocet"}) {
            get(id, label, "Caption", ui::headless::quoted(level->label(label).caption()));
        }
    }
    if (ui::Screen* end = m_game.screen(ScreenId::frmKonec)) {
        get(ScreenId::frmKonec, "lblSko", "Caption",
            ui::headless::quoted(end->label("lblSko").caption()));
    }
}

void Recorder::beforeInput() {
    catchUp();
    checkpoint();
}

void Recorder::finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    if (!m_game.ended()) {
        catchUp();
    }
    checkpoint();
}

void Recorder::menuChosen(ui::Screen& screen, int item) {
    if (!m_game.ended() && screen.alive()) {
        beforeInput();
        writeScenario("menu " + std::string(screen.name()) + " " +
                      std::string(screen.menu()[std::size_t(item)].name));
    }
    m_game.menuChosen(screen, item);
}

void Recorder::buttonClicked(ui::Screen& screen, int button) {
    if (!m_game.ended() && screen.alive()) {
        beforeInput();
        writeScenario("click " + std::string(screen.name()) + " " +
                      std::string(screen.buttons()[std::size_t(button)].layout().name));
    }
    m_game.buttonClicked(screen, button);
}

void Recorder::keyTyped(ui::Screen& screen, std::uint16_t code) {
    if (!m_game.ended() && screen.alive()) {
        beforeInput();
        writeScenario("key " + std::string(screen.name()) + " " + std::to_string(code));
    }
    m_game.keyTyped(screen, code);
}

void Recorder::closeRequested(ui::Screen& screen) {
    if (!m_game.ended() && screen.alive()) {
        beforeInput();
        writeScenario("close " + std::string(screen.name()));
    }
    m_game.closeRequested(screen);
}

void Recorder::timerTicked(ui::Timer& timer) {
    // The time up to each tick is written before the tick runs: a tick that brings the game
    // down is the last thing the recording replays.
    catchUp();
    m_game.timerTicked(timer);
}

}  // namespace kostkolam::record
