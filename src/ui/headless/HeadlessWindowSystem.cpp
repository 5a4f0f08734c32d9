#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam::ui::headless {

namespace {

/// A window that is nowhere: it only knows how wide its frame would be.
class HeadlessView final : public ScreenView {
  public:
    explicit HeadlessView(const Screen& screen)
        : m_outerWidth(float(screen.layout().window.clientWidthTwips +
                             HeadlessWindowSystem::kFrameWidthTwips)) {}

    void setVisible(bool) override {}
    void objectChanged(ObjectRef, const Geometry&, bool) override {}
    void captionChanged(int) override {}
    float outerWidthTwips() const override { return m_outerWidth; }
    void unloaded() override {}

  private:
    float m_outerWidth;
};

}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem(EventLog log) : m_log(std::move(log)) {}

void HeadlessWindowSystem::attach(Screen& screen) {
    screen.setView(std::make_unique<HeadlessView>(screen));
    screen.setTimerService(&m_clock);
}

void HeadlessWindowSystem::messageBox(Screen&, const MessageBox& box) {
    // Answered with OK at once: nothing waits for a player here.
    if (m_log) {
        m_log({ShownEvent::Kind::MessageBox, m_clock.now(), box});
    }
}

void HeadlessWindowSystem::quit() {
    m_quit = true;
    if (m_log) {
        m_log({ShownEvent::Kind::End, m_clock.now(), {}});
    }
}

}  // namespace kostkolam::ui::headless
