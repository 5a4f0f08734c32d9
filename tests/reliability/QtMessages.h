#pragma once

// Qt's own warnings during the long runs: the toolkit prints them when the game misuses it
// (deleting an object with a pending event, a timer on a dead object, a bad tab order, ...), so a
// warning during a run is a fault of the run.

#include <QString>
#include <QStringList>

namespace kostkolam::reliability {

/// Collects every warning, critical or fatal message Qt gives from now on, except the offscreen
/// platform's notes on what it cannot do.
void watchQtMessages();

/// The messages collected since the last call.
QStringList takeQtMessages();

}  // namespace kostkolam::reliability
