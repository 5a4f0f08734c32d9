#pragma once

#include <QWidget>
#include <vector>

#include "ui/WindowSystem.h"

class QAbstractButton;
class QAction;
class QKeyEvent;
class QMenuBar;

namespace kostkolam::ui::qt {

class AccessibilityNotifier;
class ClientArea;
class PictureCache;

/// The top-level window of one loaded screen: a fixed-size frame with the caption, the menu bar,
/// the client area with its bricks and push buttons. It turns what the
/// player does into the game's events and shows what the screen's model holds.
///
/// The window outlives its screen for a moment: once the screen is unloaded the window is
/// detached (hidden, no pointer to the model left) and deleted later by the window
/// system, so a handler that unloads its own screen can still return through the window's code.
class ScreenWindow final : public QWidget {
    Q_OBJECT

  public:
    ScreenWindow(Screen& screen, EventSink& sink, PictureCache& pictures, const QFont& defaultFont,
                 const AccessibilityNotifier& accessibility);

    /// Shows the window in front and active; the first time, centred on the desktop.
    void showInFront();
    /// The screen has been unloaded: leave the desktop and forget the model.
    void detach();

    void objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible);
    void captionChanged(int label);

    /// The live screen, or nullptr once detached.
    Screen* model() const { return m_screen; }
    ClientArea* clientArea() const { return m_client; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenu(QMenuBar& menuBar);
    void buildBricks(PictureCache& pictures);
    void buildButtons();
    void placeChild(QWidget& child, const ShownObject& object);
    void centreOnDesktop();
    /// Chooses the menu item whose shortcut is the pressed key, closing any open list first.
    bool chooseByShortcut(const QKeyEvent& key);

    Screen* m_screen;
    EventSink& m_sink;
    ClientArea* m_client = nullptr;
    /// By array index.
    std::vector<QAbstractButton*> m_bricks;
    /// By position in Screen::buttons().
    std::vector<QAbstractButton*> m_buttons;
    /// The menu items that have a shortcut key.
    std::vector<QAction*> m_shortcutItems;
    bool m_placed = false;
};

}  // namespace kostkolam::ui::qt
