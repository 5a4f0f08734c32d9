#pragma once

// The screen registry and the screen flow: each screen's load state, the window operations load,
// show, hide and unload, the end of the program, and the bracket around every event that keeps a
// handler safe when its own screen is unloaded under it. Which screens there are, and what each
// is built from, comes from the table it is given.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "flow/Module1.h"
#include "flow/ScreenFlow.h"
#include "flow/ScreenId.h"
#include "ui/WindowSystem.h"

namespace kostkolam::flow {

enum class LoadState { Unloaded, Hidden, Shown };

/// The state as the runner's `screens` line and a recording write it: "unloaded", "hidden",
/// "shown".
constexpr std::string_view loadStateName(LoadState state) {
    switch (state) {
        case LoadState::Unloaded:
            return "unloaded";
        case LoadState::Hidden:
            return "hidden";
        case LoadState::Shown:
            return "shown";
    }
    return "unloaded";
}

class Game final : public ui::EventSink, public ScreenFlow {
  public:
    /// The table must outlive the game.
    Game(ui::WindowSystem& windowSystem, const ScreenTable& screens);
    ~Game() override;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    /// Program start: the title screen is loaded and shown, nothing else.
    void start();

    void load(ScreenId id) override;
    void show(ScreenId id) override;
    void hide(ScreenId id) override;
    void unload(ScreenId id) override;
    void endProgram() override;
    void startNewGame() override;
    void messageBox(ui::Screen& owner, const ui::MessageBox& box) override;

    LoadState state(ScreenId id) const;
    bool loaded(ScreenId id) const { return state(id) != LoadState::Unloaded; }
    bool ended() const { return m_ended; }
    /// The screen shown last that is still shown.
    std::optional<ScreenId> activeScreen() const;

    ui::Screen* screen(ScreenId id) const override;
    ScreenHandle handle(ScreenId id) const override;
    bool isCurrent(const ScreenHandle& handle) const override;

    Module1& module1() { return m_module1; }
    const Module1& module1() const { return m_module1; }

    // Events from the backend.
    void menuChosen(ui::Screen& screen, int item) override;
    void buttonClicked(ui::Screen& screen, int button) override;
    void keyTyped(ui::Screen& screen, std::uint16_t code) override;
    void closeRequested(ui::Screen& screen) override;
    void timerTicked(ui::Timer& timer) override;
    void deliverAsOne(const std::function<void()>& deliver) override;

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

    ui::WindowSystem& m_windowSystem;
    const ScreenTable& m_screens;
    Module1 m_module1;
    std::array<Slot, kScreenCount> m_slots;
    /// Screens unloaded during the running event, destroyed when it ends.
    std::vector<LoadedScreen> m_parked;
    int m_depth = 0;
    std::uint64_t m_showCount = 0;
    bool m_ended = false;
};

}  // namespace kostkolam::flow
