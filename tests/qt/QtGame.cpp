#include "QtGame.h"

#include <QAction>
#include <QPixmap>
#include <QTest>

#include "ui/Units.h"
#include "ui/qt/ClientArea.h"

namespace kostkolam::test {

ScreenWindow* QtGame::window(ScreenId id) const {
    const ui::Screen* loaded = game.screen(id);
    return loaded ? ui::qt::QtWindowSystem::windowOf(*loaded) : nullptr;
}

ui::Screen& QtGame::screen(ScreenId id) const {
    ui::Screen* loaded = game.screen(id);
    if (!loaded) {
        throw std::logic_error("screen not loaded");
    }
    return *loaded;
}

ScreenWindow* QtGame::openScreen(ScreenId id) {
    game.start();
    game.load(id);
    game.show(id);
    return window(id);
}

void QtGame::openLevel1() {
    game.start();
    ScreenWindow* title = window(ScreenId::frmCihlolam);
    ASSERT_NE(title, nullptr);
    auto* newGame = title->findChild<QAction*>(QStringLiteral("mnuNovahra"));
    ASSERT_NE(newGame, nullptr);
    newGame->trigger();
    ASSERT_EQ(game.state(ScreenId::frmLevel1), LoadState::Shown);
}

void QtGame::openEndScreen() {
    openLevel1();
    game.load(ScreenId::frmKonec);
    game.show(ScreenId::frmKonec);
    ASSERT_EQ(game.state(ScreenId::frmKonec), LoadState::Shown);
}

ScreenWindow* QtGame::openActive(ScreenId id) {
    switch (id) {
        case ScreenId::frmCihlolam:
            game.start();
            break;
        case ScreenId::frmLevel1:
            openLevel1();
            break;
        case ScreenId::frmKonec:
            openEndScreen();
            break;
        default:
            ADD_FAILURE() << "a player reaches " << table::screenName(id) << " only by play";
            return nullptr;
    }
    if (::testing::Test::HasFatalFailure()) {
        return nullptr;
    }
    return activeWindow(id);
}

ScreenWindow* QtGame::activeWindow(ScreenId id) const {
    ScreenWindow* shown = window(id);
    if (!shown) {
        ADD_FAILURE() << table::screenName(id) << " has no window";
        return nullptr;
    }
    if (!QTest::qWaitForWindowActive(shown)) {
        ADD_FAILURE() << table::screenName(id) << "'s window never became active";
        return nullptr;
    }
    return shown;
}

QImage grabClient(const ScreenWindow& window) {
    QImage image = window.clientArea()->grab().toImage();
    // On a scaled desktop the grab has more device pixels; the tests look in logical ones.
    if (image.devicePixelRatio() != 1.0) {
        image = image.scaled(window.clientArea()->size(), Qt::IgnoreAspectRatio,
                             Qt::FastTransformation);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QRect twipsToPixels(int left, int top, int width, int height) {
    using ui::kTwipsPerPixel;
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

::testing::AssertionResult sameColour(const QColor& actual, const QColor& expected, int tolerance) {
    if (std::abs(actual.red() - expected.red()) <= tolerance &&
        std::abs(actual.green() - expected.green()) <= tolerance &&
        std::abs(actual.blue() - expected.blue()) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "colour " << actual.name().toStdString()
                                         << ", expected " << expected.name().toStdString();
}

QColor layoutColour(std::uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

}  // namespace kostkolam::test
