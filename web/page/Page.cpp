// Kostkolam in a web page: the game's rules and the browser's window system, started and fed by
// the page's scripts (web/site/main.js and its desktop) through the entry points below. The page
// starts a game, hands in what the player does window by window, and may start a new game once
// one has ended.
//
// A page opened with ?record writes the game down as it is played, as `kostkolam --record` does
// on the desktop: a scenario for kostkolam-script and what the game showed, both kept in memory
// for the page to offer as files. A recording opened in the page (a file, or a link that holds
// it) is played in the windows at real speed, as `kostkolam --replay` plays it.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "flow/Game.h"
#include "level/Autoplayer.h"
#include "record/Recorder.h"
#include "record/Replayer.h"
#include "scenario/Formatter.h"
#include "table/ScreenTable.h"
#include "ui/Pixels.h"
#include "ui/web/WebWindowSystem.h"

// clang-format off
/// Copies the recording the page is opening (desktop.openingRecording, a Uint8Array) to `into`.
EM_JS(void, kk_copy_opening_recording, (char* into), {
    HEAPU8.set(Module.desktop.openingRecording, into);
});
/// A replay stopped at a command that could not run: "line N: REASON".
EM_JS(void, kk_replay_stopped, (const char* reason), {
    Module.desktop.replayStopped(UTF8ToString(reason));
});
// clang-format on

namespace {

using namespace kostkolam;

/// Bytes held in memory, read from the start (without a stream, whose locales the page's program
/// would otherwise carry).
class MemorySource final : public scenario::ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : m_rest(bytes) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, m_rest.size());
        std::copy_n(m_rest.data(), count, buffer);
        m_rest.remove_prefix(count);
        return count;
    }

  private:
    std::string_view m_rest;
};

/// A text written to memory through a C stream, readable while it is being written.
class MemoryFile {
  public:
    MemoryFile() : m_stream(open_memstream(&m_buffer, &m_size)) {}
    ~MemoryFile() { std::free(m_buffer); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    /// The stream, handed over to whoever closes it.
    std::FILE* stream() const { return m_stream; }
    /// Everything flushed to the stream so far.
    std::string text() const { return m_buffer ? std::string(m_buffer, m_size) : std::string(); }

  private:
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_stream;
};

/// One game on the page, from its title screen until it has ended and the page lets it go.
struct PageGame {
    explicit PageGame(bool record) : game(windowSystem, table::screens()), audience(game) {
        if (record && scenario.stream() && expected.stream()) {
            recorder = std::make_unique<record::Recorder>(game, windowSystem.clock().clock(),
                                                          scenario.stream(), expected.stream());
            windowSystem.setEventSink(*recorder);
            windowSystem.setEventLog(
                [this](const ui::ShownEvent& event) { recorder->event(event); });
        }
    }

    /// A game played by a recording: the player's input reaches only the close boxes and
    /// "Konec", which end it.
    explicit PageGame(std::vector<record::ScenarioStep> steps)
        : game(windowSystem, table::screens()), audience(game) {
        windowSystem.setEventSink(audience);
        replayer = std::make_unique<record::Replayer>(game, windowSystem.clock(), std::move(steps));
        replayer->onError = [this](const std::string& reason) {
            kk_replay_stopped(reason.c_str());
            game.endProgram();
        };
    }

    // The recording's memory outlives the recorder, which closes its streams.
    MemoryFile scenario;
    MemoryFile expected;
    ui::web::WebWindowSystem windowSystem;
    flow::Game game;
    std::unique_ptr<record::Recorder> recorder;
    record::ReplayAudience audience;
    std::unique_ptr<record::Replayer> replayer;
};

std::unique_ptr<PageGame> g_game;
/// The last answer handed to the page as a C string; valid until the next one.
std::string g_answer;

const char* answer(std::string text) {
    g_answer = std::move(text);
    return g_answer.c_str();
}

ui::Screen* screenOf(int window) {
    return g_game ? g_game->windowSystem.screenOf(window) : nullptr;
}

}  // namespace

extern "C" {

/// Starts a new game at its title screen; a game before it, ended or not, goes first.
EMSCRIPTEN_KEEPALIVE void kk_start(int record) {
    g_game.reset();
    g_game = std::make_unique<PageGame>(record != 0);
    g_game->game.start();
}

/// Plays the recording the page is opening, `size` bytes, read as the runner reads a scenario.
/// Returns "" once its game has started in place of the game before it, or the runner's reason
/// for refusing it, "line N: REASON", with nothing else done.
EMSCRIPTEN_KEEPALIVE const char* kk_replay(int size) {
    std::string bytes(std::size_t(std::max(size, 0)), '\0');
    kk_copy_opening_recording(bytes.data());
    MemorySource source(bytes);
    std::string error;
    auto steps = record::readScenario(source, error);
    if (!steps) {
        return answer(error);
    }
    g_game.reset();
    g_game = std::make_unique<PageGame>(std::move(*steps));
    g_game->game.start();
    g_game->replayer->start();
    return answer("");
}

/// Lets an ended game go, from outside any of its events. Its recording stays readable.
EMSCRIPTEN_KEEPALIVE void kk_finish() {
    if (g_game && g_game->recorder) {
        g_game->recorder->finish();
    }
}

EMSCRIPTEN_KEEPALIVE void kk_menu(int window, int item) {
    if (ui::Screen* screen = screenOf(window)) {
        g_game->windowSystem.clock().menuChosen(*screen, item);
    }
}

EMSCRIPTEN_KEEPALIVE void kk_button(int window, int button) {
    if (ui::Screen* screen = screenOf(window)) {
        g_game->windowSystem.clock().buttonClicked(*screen, button);
    }
}

EMSCRIPTEN_KEEPALIVE void kk_key(int window, int code) {
    if (ui::Screen* screen = screenOf(window)) {
        g_game->windowSystem.clock().keyTyped(*screen, std::uint16_t(code));
    }
}

EMSCRIPTEN_KEEPALIVE void kk_close(int window) {
    if (ui::Screen* screen = screenOf(window)) {
        g_game->windowSystem.clock().closeRequested(*screen);
    }
}

/// The game's time in milliseconds since it started.
EMSCRIPTEN_KEEPALIVE double kk_now() {
    return g_game ? double(g_game->windowSystem.clock().now()) : 0.0;
}

/// The instant the game's next tick falls due, in the game's time; -1 when no timer runs.
EMSCRIPTEN_KEEPALIVE double kk_next_tick() {
    const auto due = g_game ? g_game->windowSystem.clock().clock().nextDue() : std::nullopt;
    return due ? double(*due) : -1.0;
}

/// {"frmCihlolam": "shown", ...}: each screen's load state, as the runner's `screens` says it.
EMSCRIPTEN_KEEPALIVE const char* kk_screens() {
    return answer(scenario::screensJson(g_game ? &g_game->game : nullptr));
}

/// An object of a loaded screen as the model holds it, in the screen's units, and where its
/// window shows it: {"left":..,"top":..,"width":..,"height":..,"visible":..,"caption":..,
/// "pixel":{"x":..,"y":..,"width":..,"height":..}} with the pixels in the client area. The
/// values are those of the runner's `dump` line for the object. null for a screen not loaded or
/// a name not on it.
EMSCRIPTEN_KEEPALIVE const char* kk_object(const char* screenName, const char* objectName) {
    const auto id = table::screenByName(screenName);
    ui::Screen* screen = g_game && id ? g_game->game.screen(*id) : nullptr;
    const auto ref = screen ? screen->find(objectName) : std::nullopt;
    const ui::ShownObject* object = ref ? screen->shownObject(*ref) : nullptr;
    if (!object) {
        return answer("null");
    }
    const ui::PixelRect pixel = ui::pixelRect(object->geometry(), *screen);
    return answer(scenario::objectJson(*screen, *ref,
                                       "\"pixel\":{\"x\":" + std::to_string(pixel.left) +
                                           ",\"y\":" + std::to_string(pixel.top) +
                                           ",\"width\":" + std::to_string(pixel.width) +
                                           ",\"height\":" + std::to_string(pixel.height) + "}"));
}

/// The recording so far: 0 the scenario, 1 what the game showed. Empty when not recording.
EMSCRIPTEN_KEEPALIVE const char* kk_recording(int part) {
    if (!g_game || !g_game->recorder) {
        return answer("");
    }
    return answer(part == 0 ? g_game->scenario.text() : g_game->expected.text());
}

/// The paddle key, 'a' or 'd', that the autoplayer would type now on a shown level screen, or 0
/// (none, or no such level): the browser tests and the performance run play with it.
EMSCRIPTEN_KEEPALIVE int kk_autoplay_key(const char* screenName) {
    const auto id = table::screenByName(screenName);
    if (!g_game || !id || flow::levelNumber(*id) == 0 ||
        g_game->game.state(*id) != flow::LoadState::Shown) {
        return 0;
    }
    return level::Autoplayer(*g_game->game.screen(*id), g_game->game.module1()).key();
}

}  // extern "C"
