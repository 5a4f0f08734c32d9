#include "ui/qt/QtWindowSystem.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <chrono>

#include "ui/Pixels.h"
#include "ui/Units.h"
#include "ui/qt/Appearance.h"
#include "ui/qt/ScreenWindow.h"

namespace kostkolam::ui::qt {

/// A screen's view: forwards the model's changes to the screen's window, and hands the window back
/// to the window system when the screen is destroyed.
class QtWindowSystem::View final : public ScreenView {
  public:
    View(QtWindowSystem& system, std::unique_ptr<ScreenWindow> window, int clientWidthTwips)
        : m_system(system), m_window(std::move(window)), m_clientWidthTwips(clientWidthTwips) {}
    ~View() override { m_system.retire(m_window.release()); }
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    ScreenWindow* window() const { return m_window.get(); }

    void setVisible(bool visible) override {
        if (visible) {
            m_window->showInFront();
        } else {
            m_window->hide();
        }
    }
    void objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible) override {
        m_window->objectChanged(ref, before, wasVisible);
    }
    void captionChanged(int label) override { m_window->captionChanged(label); }
    float outerWidthTwips() const override {
        if (m_system.m_reportedFrameTwips) {
            return float(m_clientWidthTwips + *m_system.m_reportedFrameTwips);
        }
        return float(m_window->frameGeometry().width() * kTwipsPerPixel);
    }
    void unloaded() override { m_window->detach(); }

  private:
    QtWindowSystem& m_system;
    std::unique_ptr<ScreenWindow> m_window;
    int m_clientWidthTwips;
};

QtWindowSystem::QtWindowSystem(RealTimeSource* time)
    : m_clock(time ? *time : static_cast<RealTimeSource&>(m_alarm)),
      m_defaultFont(QApplication::font()) {
    // The game ends the program itself, also when its last window merely closes.
    QApplication::setQuitOnLastWindowClosed(false);
    installAccessibleFactory();
}

QtWindowSystem::~QtWindowSystem() = default;

QtWindowSystem::Alarm::Alarm(QtWindowSystem& system) {
    m_timer.setSingleShot(true);
    // To the millisecond: the game tick's intervals are kept as they are.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [&system] { system.m_clock.wake(); });
}

std::int64_t QtWindowSystem::Alarm::nowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void QtWindowSystem::Alarm::setAlarm(std::int64_t delayMs) {
    m_timer.start(std::chrono::milliseconds(delayMs));
}

void QtWindowSystem::Alarm::cancelAlarm() {
    m_timer.stop();
}

void QtWindowSystem::attach(Screen& screen) {
    // Every window of the game shares one default font, fitted to the status line of the screen
    // being attached; a screen with no label drawn in it (the title, the end screen) keeps the font
    // fitted last.
    const auto labels = screen.layout().labels;
    if (statusLineHeightPx(labels) && labels.data() != m_defaultFontLabels) {
        m_defaultFont = windowDefaultFont(QApplication::font(), labels);
        m_defaultFontLabels = labels.data();
    }
    // The window hands the player's input to the clock, which passes it on to the game.
    auto window =
        std::make_unique<ScreenWindow>(screen, m_clock, m_pictures, m_defaultFont, m_accessibility);
    screen.setTimerService(&m_clock);
    screen.setView(
        std::make_unique<View>(*this, std::move(window), screen.layout().window.clientWidthTwips));
}

void QtWindowSystem::log(ShownEvent::Kind kind, const MessageBox& box) {
    if (m_log) {
        m_log({kind, m_clock.now(), box});
    }
}

ScreenWindow* QtWindowSystem::windowOf(const Screen& screen) {
    const auto* view = dynamic_cast<const View*>(screen.view());
    return view ? view->window() : nullptr;
}

void QtWindowSystem::messageBox(Screen& owner, const MessageBox& box) {
    QMessageBox dialog(QMessageBox::Information, toQString(box.title), toQString(box.text),
                       QMessageBox::Ok, windowOf(owner));
    dialog.setWindowModality(Qt::ApplicationModal);
    log(ShownEvent::Kind::MessageBox, box);
    if (m_messageBoxHook) {
        // Runs inside the box's own event loop, so the box is on the desktop by then.
        QTimer::singleShot(0, &dialog, [this, &dialog] { m_messageBoxHook(dialog); });
    }
    dialog.exec();
}

void QtWindowSystem::quit() {
    m_quitRequested = true;
    log(ShownEvent::Kind::End);
    // Without a running event loop there is nothing to leave; asking anyway would make the next
    // loop (a later message box's) return at once.
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
}

void QtWindowSystem::retire(ScreenWindow* window) {
    window->detach();
    m_retired.emplace_back(window);
    if (!m_deletionQueued) {
        m_deletionQueued = true;
        QMetaObject::invokeMethod(
            &m_queue, [this] { deleteRetired(); }, Qt::QueuedConnection);
    }
}

void QtWindowSystem::deleteRetired() {
    m_deletionQueued = false;
    m_retired.clear();
}

}  // namespace kostkolam::ui::qt
