#pragma once

// The screen registry and the screen flow: each screen's load state, the window operations load,
// show, hide and unload, the end of the program, and the bracket around every event that keeps a
// handler safe when its own screen is unloaded under it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "flow/Module1.h"
#include "flow/ScreenId.h"
#include "ui/WindowSystem.h"

namespace kostkolam::flow {

enum class LoadState { Unloaded, Hidden, Shown };

/// Names one loading of a screen. A handler keeps the handle of its own screen and asks
/// Game::isCurrent after any step that may have unloaded it.
struct ScreenHandle {
    ScreenId id;
    std::uint32_t generation;
};

class Game final : public ui::EventSink {
  public:
    explicit Game(ui::WindowSystem& windowSystem);
    ~Game() override;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    /// Program start: the title screen is loaded and shown, nothing else.
    void start();

    /// Builds the screen from its layout and runs its start-up logic; a loaded screen is left as
    /// it is.
    void load(ScreenId id);
    /// Makes a loaded screen visible, in front and active.
    void show(ScreenId id);
    void hide(ScreenId id);
    /// Destroys the screen and stops its timers for good; its objects stay readable by a handler
    /// still running on them until the outermost event ends. An unloaded screen is left alone.
    void unload(ScreenId id);
    /// Every screen goes at once; no further event reaches the game.
    void endProgram();
    /// A new game: every level screen goes, then a fresh level 1 is loaded and shown.
    void startNewGame();
    /// Shows a modal message box owned by the given screen.
    void messageBox(ui::Screen& owner, const ui::MessageBox& box);

    LoadState state(ScreenId id) const;
    bool loaded(ScreenId id) const { return state(id) != LoadState::Unloaded; }
    bool ended() const { return m_ended; }
    /// The screen shown last that is still shown.
    std::optional<ScreenId> activeScreen() const;

    /// The live screen, or nullptr when it is not loaded.
    ui::Screen* screen(ScreenId id) const;
    ui::ScreenLogic* logic(ScreenId id) const;
    ScreenHandle handle(ScreenId id) const;
    bool isCurrent(const ScreenHandle& handle) const;

    Module1& module1() { return m_module1; }
    const Module1& module1() const { return m_module1; }

    // Events from the backend.
    void menuChosen(ui::Screen& screen, int item) override;
    void buttonClicked(ui::Screen& screen, int button) override;
    void keyTyped(ui::Screen& screen, std::uint16_t code) override;
    void closeRequested(ui::Screen& screen) override;
    void timerTicked(ui::Timer& timer) override;

  private:
    struct LoadedScreen {
        std::unique_ptr<ui::Screen> screen;
        std::unique_ptr<ui::ScreenLogic> logic;
    };

    struct Slot {
        LoadedScreen live;
        LoadState state = LoadState::Unloaded;
        std::uint32_t generation = 0;
        std::uint64_t shownAt = 0;
    };

    /// Brackets one event; the outermost one finishes it when it ends.
    class Event;

    Slot& slot(ScreenId id) { return m_slots[std::size_t(id)]; }
    const Slot& slot(ScreenId id) const { return m_slots[std::size_t(id)]; }
    bool accepts(const ui::Screen& screen) const { return !m_ended && screen.alive(); }
    void finishEvent();
    std::unique_ptr<ui::ScreenLogic> makeLogic(ScreenId id, ui::Screen& screen);

    ui::WindowSystem& m_windowSystem;
    Module1 m_module1;
    std::array<Slot, kScreenCount> m_slots;
    /// Screens unloaded during the running event, destroyed when it ends.
    std::vector<LoadedScreen> m_parked;
    int m_depth = 0;
    std::uint64_t m_showCount = 0;
    bool m_ended = false;
};

}  // namespace kostkolam::flow
