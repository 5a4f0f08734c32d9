#pragma once

// What screen readers learn about the game's windows: a name and a role for every window and
// every shown object, the labels' current texts, and word of every change to them. The labels,
// the ball and the paddle are painted by the client area rather than being widgets, so the client
// area offers them to screen readers as children of its own, beside its bricks and buttons.

#include <QString>
#include <functional>
#include <string_view>

#include "ui/Screen.h"

class QAccessibleEvent;
class QAccessibleInterface;

namespace kostkolam::ui::qt {

class ClientArea;

/// Passes word of what changed on a screen to whoever listens: a screen reader through the
/// desktop's accessibility bus, or a test's hook. Without a listener nothing is worth building.
class AccessibilityNotifier {
  public:
    using Hook = std::function<void(QAccessibleEvent&)>;

    /// A screen reader or a hook is listening.
    bool listening() const;
    void notify(QAccessibleEvent& event) const;
    /// Sends every event to `hook` instead of the desktop, whether a screen reader runs or not.
    void setHook(Hook hook) { m_hook = std::move(hook); }

  private:
    Hook m_hook;
};

/// Lets Qt's accessibility find the game's own interfaces: each client area with its labels and
/// shapes, and each screen's window as a window. Installing it again changes nothing.
void installAccessibleFactory();

/// The interface a screen reader sees for a label or shape of the client area's screen.
QAccessibleInterface* accessibleObject(ClientArea& area, ObjectRef ref);

/// What a screen reader calls a brick: "Kostka 8" for `cmdBod(7)`.
QString brickAccessibleName(int index);

/// What a screen reader calls a screen's client area ("Hrací plocha" on a level).
QString clientAreaAccessibleName(const Screen& screen);

/// What a screen reader calls a label or shape; empty for a label whose own caption says what it
/// is ("Životů:", "Skóre:").
QString shownObjectAccessibleName(std::string_view objectName);

}  // namespace kostkolam::ui::qt
