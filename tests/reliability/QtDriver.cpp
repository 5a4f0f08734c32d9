#include "QtDriver.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPixmapCache>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

#include "QtMessages.h"

namespace kostkolam::reliability {

QtDriver::QtDriver() {
    watchQtMessages();
    m_windows.setMessageBoxHook([this](QMessageBox& box) {
        ++m_helpBoxes;
        box.button(QMessageBox::Ok)->click();
    });
}

ui::qt::ScreenWindow& QtDriver::window(ScreenId id) {
    const ui::Screen* screen = m_game.screen(id);
    ui::qt::ScreenWindow* found = screen ? ui::qt::QtWindowSystem::windowOf(*screen) : nullptr;
    if (!found) {
        throw std::logic_error(std::string(table::screenName(id)) + " has no window");
    }
    return *found;
}

void QtDriver::chooseMenu(ScreenId id, std::string_view item) {
    const QString name = QString::fromUtf8(item.data(), qsizetype(item.size()));
    auto* action = window(id).findChild<QAction*>(name);
    if (!action) {
        throw std::logic_error("no menu item " + name.toStdString());
    }
    action->trigger();
}

void QtDriver::clickButton(ScreenId id, std::string_view button) {
    const QString name = QString::fromUtf8(button.data(), qsizetype(button.size()));
    auto* widget = window(id).findChild<QPushButton*>(name);
    if (!widget) {
        throw std::logic_error("no button " + name.toStdString());
    }
    widget->click();
}

void QtDriver::typeKey(ScreenId id, char key) {
    QTest::keyClick(window(id).windowHandle(), key);
}

void QtDriver::refreshRunningTimers() {
    m_scratch.clear();
    for (const ScreenId id : flow::kAllScreens) {
        const ui::Screen* screen = m_game.screen(id);
        if (!screen) {
            continue;
        }
        const std::uint32_t generation = m_game.handle(id).generation;
        for (const ui::Timer& timer : screen->timers()) {
            if (!timer.enabled()) {
                continue;
            }
            const auto known = std::find_if(m_running.begin(), m_running.end(), [&](const Due& d) {
                return d.screen == id && d.generation == generation && d.timer == timer.index();
            });
            m_scratch.push_back({id, generation, timer.index(),
                                 known != m_running.end()
                                     ? known->at
                                     : m_now + ui::timerPeriodMs(timer.interval())});
        }
    }
    m_running.swap(m_scratch);
}

void QtDriver::advance(std::int64_t ms) {
    const std::int64_t until = m_now + ms;
    for (;;) {
        refreshRunningTimers();
        const auto next = std::min_element(m_running.begin(), m_running.end(),
                                           [](const Due& a, const Due& b) { return a.at < b.at; });
        if (next == m_running.end() || next->at > until) {
            break;
        }
        m_now = next->at;
        ui::Timer& timer = m_game.screen(next->screen)->timers()[std::size_t(next->timer)];
        next->at += ui::timerPeriodMs(timer.interval());
        m_game.timerTicked(timer);
    }
    m_now = until;
}

void QtDriver::settle() {
    // Everything the event loop would do between two of the game's events, except the windows'
    // own timers: game time is this driver's to deliver. Without this the window system's events
    // (exposes, activations) would pile up for the whole run.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::X11ExcludeTimers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtDriver::dropCaches() {
    // Under Qt 6.8 every message box puts its scaled icon (some 11 KiB) into the pixmap cache
    // under a key of its own, until the cache holds its documented limit
    // (QPixmapCache::cacheLimit(), 10 MiB by default); Qt 6.4 reuses one entry. A help box every
    // ten games so fills a megabyte of it in a thousand games. Emptied here, the cache counts for
    // nothing, and whatever else grows still does.
    QPixmapCache::clear();
}

::testing::AssertionResult QtDriver::quiet() {
    const QStringList messages = takeQtMessages();
    if (messages.isEmpty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << messages.size() << " warnings from Qt, the first: " << messages.front().toStdString();
}

std::size_t QtDriver::objectCount() {
    return std::size_t(QApplication::allWidgets().size());
}

::testing::AssertionResult QtDriver::holdsOnlyLoadedScreens() {
    std::set<const ui::Screen*> loaded;
    for (const ScreenId id : flow::kAllScreens) {
        if (const ui::Screen* screen = m_game.screen(id)) {
            loaded.insert(screen);
        }
    }
    std::size_t windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const auto* window = qobject_cast<const ui::qt::ScreenWindow*>(widget);
        if (!window) {
            continue;
        }
        if (!window->model() || !loaded.contains(window->model())) {
            return ::testing::AssertionFailure() << "window " << window->objectName().toStdString()
                                                 << " of an unloaded screen is still there";
        }
        if (window->isVisible() != window->model()->visible()) {
            return ::testing::AssertionFailure()
                   << "window " << window->objectName().toStdString()
                   << (window->isVisible() ? " on the desktop, its screen hidden"
                                           : " off the desktop, its screen shown");
        }
        ++windows;
    }
    if (windows != loaded.size()) {
        return ::testing::AssertionFailure()
               << windows << " screen windows for " << loaded.size() << " loaded screens";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace kostkolam::reliability
