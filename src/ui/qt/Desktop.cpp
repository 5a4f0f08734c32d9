#include "ui/qt/Desktop.h"

#include <QApplication>

#include "ui/qt/Appearance.h"

namespace kostkolam::ui::qt {

QIcon gameIcon() {
    QIcon icon;
    const QString id = toQString(kDesktopId);
    for (const int size : kIconSizesPx) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/%2.png").arg(size).arg(id),
                     QSize(size, size));
    }
    return icon;
}

void introduceToDesktop() {
    QApplication::setApplicationName(QStringLiteral("Kostkolam"));
    QGuiApplication::setDesktopFileName(toQString(kDesktopId));
    QApplication::setWindowIcon(gameIcon());
}

}  // namespace kostkolam::ui::qt
