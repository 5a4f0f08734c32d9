#include "record/Recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "scenario/Formatter.h"
#include "scenario/Parser.h"
#include "table/ScreenTable.h"

namespace kostkolam::record {

namespace {

using flow::ScreenId;
using scenario::Property;
namespace command = scenario::command;

ScreenId screenId(const ui::Screen& screen) {
    return *table::screenByName(screen.name());
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

void Recorder::event(const ui::ShownEvent& event) {
    writeExpected(scenario::eventLine(event));
}

void Recorder::catchUp() {
    while (m_written < m_clock.now()) {
        const std::int64_t step = std::min(m_clock.now() - m_written, scenario::kLongestAdvanceMs);
        writeScenario(scenario::commandLine(command::Advance{step}));
        m_written += step;
    }
}

void Recorder::get(const ui::Screen& screen, std::string_view object, Property property) {
    const command::Get get{screenId(screen), screen.find(object), property};
    writeScenario(scenario::commandLine(get));
    writeExpected(scenario::answerLine(get, screen));
}

void Recorder::checkpoint() {
    writeScenario(scenario::commandLine(command::Screens{}));
    writeExpected(scenario::screensLine(m_game));
    for (ScreenId id : flow::kLevelScreens) {
        const ui::Screen* level = m_game.screen(id);
        if (!level) {
            continue;
        }
        get(*level, "shpKulicka", Property::Left);
        get(*level, "shpKulicka", Property::Top);
        get(*level, "shpPosuvnik", Property::Left);
        for (const char* label : {"lblSko", "lblZiv", "lblOdpocet"}) {
            get(*level, label, Property::Caption);
        }
    }
    if (const ui::Screen* end = m_game.screen(ScreenId::frmKonec)) {
        get(*end, "lblSko", Property::Caption);
    }
}

void Recorder::input(const ui::Screen& screen, const scenario::Command& command) {
    if (!m_game.ended() && screen.alive()) {
        catchUp();
        checkpoint();
        writeScenario(scenario::commandLine(command));
    }
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
    input(screen, command::Menu{screenId(screen), item});
    m_game.menuChosen(screen, item);
}

void Recorder::buttonClicked(ui::Screen& screen, int button) {
    input(screen, command::Click{screenId(screen), {ui::ObjectKind::Button, button}});
    m_game.buttonClicked(screen, button);
}

void Recorder::keyTyped(ui::Screen& screen, std::uint16_t code) {
    input(screen, command::Key{screenId(screen), code});
    m_game.keyTyped(screen, code);
}

void Recorder::closeRequested(ui::Screen& screen) {
    input(screen, command::Close{screenId(screen)});
    m_game.closeRequested(screen);
}

void Recorder::timerTicked(ui::Timer& timer) {
    // The time up to each tick is written before the tick runs: a tick that brings the game
    // down is the last thing the recording replays.
    catchUp();
    m_game.timerTicked(timer);
}

}  // namespace kostkolam::record
