#include "QtMessages.h"

#include <QtGlobal>

namespace kostkolam::reliability {

namespace {

QStringList collectedMessages;

void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) {
        return;
    }
    // The offscreen platform's notes on what it cannot do (raise a window, pass size hints to a
    // window manager): it has no desktop to do them on.
    if (message.startsWith(QLatin1String("This plugin does not support "))) {
        return;
    }
    collectedMessages.append(message);
}

}  // namespace

void watchQtMessages() {
    qInstallMessageHandler(collect);
}

QStringList takeQtMessages() {
    QStringList messages;
    messages.swap(collectedMessages);
    return messages;
}

}  // namespace kostkolam::reliability
