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

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

HeadlessWindowSystem::HeadlessWindowSystem(EventLog log) : m_log(std::move(log)) {}

void HeadlessWindowSystem::attach(Screen& screen) {
    screen.setView(std::make_unique<HeadlessView>(screen));
    screen.setTimerService(&m_clock);
}

std::string messageBoxEvent(const MessageBox& box) {
    return "msgbox title=" + quoted(box.title) +
           " icon=information buttons=ok text=" + quoted(box.text);
}

void HeadlessWindowSystem::messageBox(Screen&, const MessageBox& box) {
    log(messageBoxEvent(box));
}

void HeadlessWindowSystem::quit() {
    m_quit = true;
    log("end");
}

void HeadlessWindowSystem::log(const std::string& what) {
    if (m_log) {
        m_log("@" + std::to_string(m_clock.now()) + " " + what);
    }
}

}  // namespace kostkolam::ui::headless
