// The game as the desktop knows it: its application id, the icon its windows show, and the
// desktop entry, metadata and icons filed under the same id in data/.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>

#include "QtGame.h"
#include "ui/qt/Appearance.h"
#include "ui/qt/Desktop.h"

namespace kostkolam::test {
namespace {

using ui::qt::kDesktopId;
using ui::qt::kIconSizesPx;

QString desktopId() {
    return ui::qt::toQString(kDesktopId);
}

QString dataFile(const QString& path) {
    return QStringLiteral(KOSTKOLAM_DATA_DIR "/") + path;
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

TEST(Desktop, TheGameIntroducesItselfWithItsIdAndIcon) {
    ui::qt::introduceToDesktop();
    EXPECT_EQ(QGuiApplication::desktopFileName(), desktopId());
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Kostkolam"));
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : kIconSizesPx) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        // Each size is drawn for its size, not scaled from another one.
        EXPECT_EQ(icon.pixmap(QSize(size, size)).deviceIndependentSize().toSize(),
                  QSize(size, size));
    }

    // Every window of the game shows it.
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openEndScreen());
    for (const ScreenId id : {ScreenId::frmLevel1, ScreenId::frmKonec}) {
        EXPECT_EQ(qt.window(id)->windowIcon().cacheKey(), icon.cacheKey());
    }
}

TEST(Desktop, DesktopEntryAndMetadataAreFiledUnderTheGamesId) {
    const QString entry = readText(dataFile(desktopId() + QStringLiteral(".desktop")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=kostkolam\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nIcon=") + desktopId() + QStringLiteral("\n")));

    const QString metainfo = readText(dataFile(desktopId() + QStringLiteral(".metainfo.xml")));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<id>") + desktopId() + QStringLiteral("</id>")));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">") + desktopId() +
                                  QStringLiteral(".desktop</launchable>")));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<binary>kostkolam</binary>")));
}

TEST(Desktop, EveryIconOfTheThemeHasItsDirectorysSize) {
    for (const int size : kIconSizesPx) {
        SCOPED_TRACE(size);
        const QImage icon(
            dataFile(QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(desktopId())));
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
        // Transparent at the corners, outside the rounded tile; drawn in the middle.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
    const QString svg =
        readText(dataFile(QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(desktopId())));
    EXPECT_TRUE(svg.contains(QStringLiteral("<svg")));
    // The theme holds nothing under another name, which the desktop would never find.
    QDir theme(dataFile(QStringLiteral("icons/hicolor")));
    for (const QString& folder : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString& file :
             QDir(theme.filePath(folder + QStringLiteral("/apps"))).entryList(QDir::Files)) {
            EXPECT_TRUE(file.startsWith(desktopId() + QLatin1Char('.'))) << file.toStdString();
        }
    }
}

}  // namespace
}  // namespace kostkolam::test
