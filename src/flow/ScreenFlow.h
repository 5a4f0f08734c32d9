#pragma once

// What a screen's logic may ask of the flow, and the table the flow builds its screens from. The
// screens' logic sees the flow only through this interface, so it never depends on the registry
// that holds the screens; the table of the game's screens is filled in above both.

#include <array>
#include <cstdint>
#include <memory>

#include "flow/Module1.h"
#include "flow/ScreenId.h"
#include "ui/Layout.h"
#include "ui/Screen.h"
#include "ui/WindowSystem.h"

namespace kostkolam::flow {

/// Names one loading of a screen. A handler keeps the handle of its own screen and asks
/// ScreenFlow::isCurrent after any step that may have unloaded it.
struct ScreenHandle {
    ScreenId id;
    std::uint32_t generation;
};

class ScreenFlow {
  public:
    /// Builds the screen from its layout and runs its start-up logic; a loaded screen is left as
    /// it is.
    virtual void load(ScreenId id) = 0;
    /// Makes a loaded screen visible, in front and active.
    virtual void show(ScreenId id) = 0;
    virtual void hide(ScreenId id) = 0;
    /// Destroys the screen and stops its timers for good; its objects stay readable by a handler
    /// still running on them until the outermost event ends. An unloaded screen is left alone.
    virtual void unload(ScreenId id) = 0;
    /// Every screen goes at once; no further event reaches the game.
    virtual void endProgram() = 0;
    /// A new game: every level screen goes, then a fresh level 1 is loaded and shown.
    virtual void startNewGame() = 0;
    /// Shows a modal message box owned by the given screen.
    virtual void messageBox(ui::Screen& owner, const ui::MessageBox& box) = 0;

    /// The live model of a loaded screen, or nullptr when it is not loaded.
    virtual ui::Screen* screen(ScreenId id) const = 0;
    virtual ScreenHandle handle(ScreenId id) const = 0;
    /// Whether the loading the handle names is still the screen's current one.
    virtual bool isCurrent(const ScreenHandle& handle) const = 0;

  protected:
    ~ScreenFlow() = default;
};

/// Builds a screen's logic for its freshly built screen.
using LogicMaker = std::unique_ptr<ui::ScreenLogic> (*)(ScreenFlow& flow, Module1& module1,
                                                        ui::Screen& screen);

/// One screen of the game: the layout it is built from and the logic it runs.
struct ScreenEntry {
    const ui::ScreenLayout* layout;
    LogicMaker makeLogic;
};

/// Every screen, in ScreenId order.
using ScreenTable = std::array<ScreenEntry, kScreenCount>;

}  // namespace kostkolam::flow
