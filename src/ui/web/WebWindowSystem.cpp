#include "ui/web/WebWindowSystem.h"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <string>

#include "ui/Pixels.h"
#include "ui/Units.h"

// The page's side of the window system: desktop.js puts its desktop at Module.desktop. Every
// string crosses as UTF-8; a colour is 0x00BBGGRR, 0x80000000 + n for the desktop's system colour
// n, or -1 for none (the window's or the desktop's own).

// clang-format off
EM_JS(void, kk_window_create, (int window, const char* name, const char* caption, int clientWidth,
                               int clientHeight, double background, const char* picture,
                               int keysFirst, int statusLinePx), {
    Module.desktop.createWindow(window, UTF8ToString(name), UTF8ToString(caption), clientWidth,
                                clientHeight, background, UTF8ToString(picture), !!keysFirst,
                                statusLinePx);
});
EM_JS(void, kk_menu_item, (int window, int item, const char* name, const char* caption,
                           int shortcut, int depth), {
    Module.desktop.addMenuItem(window, item, UTF8ToString(name), UTF8ToString(caption), shortcut,
                               depth);
});
EM_JS(void, kk_label_create, (int window, int label, const char* name, const char* caption,
                              double background, double textColour, int alignment, int fontPx,
                              int weight, int italic, int underline, int strikeout), {
    Module.desktop.addLabel(window, label, UTF8ToString(name), UTF8ToString(caption), background,
                            textColour, alignment, fontPx, weight, !!italic, !!underline,
                            !!strikeout);
});
EM_JS(void, kk_shape_create, (int window, int shape, const char* name, int circle, double border,
                              double fill), {
    Module.desktop.addShape(window, shape, UTF8ToString(name), !!circle, border, fill);
});
EM_JS(void, kk_brick_create, (int window, int brick, const char* name, const char* picture), {
    Module.desktop.addBrick(window, brick, UTF8ToString(name), UTF8ToString(picture));
});
EM_JS(void, kk_button_create, (int window, int button, const char* name, const char* caption,
                               int tabStop, int tabIndex), {
    Module.desktop.addButton(window, button, UTF8ToString(name), UTF8ToString(caption), !!tabStop,
                             tabIndex);
});
EM_JS(void, kk_place, (int window, int kind, int index, int left, int top, int width, int height,
                       int visible), {
    Module.desktop.place(window, kind, index, left, top, width, height, !!visible);
});
EM_JS(void, kk_caption, (int window, int label, const char* caption), {
    Module.desktop.setCaption(window, label, UTF8ToString(caption));
});
EM_JS(void, kk_window_visible, (int window, int visible), {
    Module.desktop.setWindowVisible(window, !!visible);
});
EM_JS(void, kk_window_remove, (int window), {
    Module.desktop.removeWindow(window);
});
EM_JS(int, kk_window_outer_width, (int window), {
    return Module.desktop.outerWidth(window);
});
EM_JS(void, kk_message_box, (const char* title, const char* text), {
    Module.desktop.messageBox(UTF8ToString(title), UTF8ToString(text));
});
EM_JS(void, kk_quit, (), {
    Module.desktop.gameEnded();
});
// clang-format on

namespace kostkolam::ui::web {

namespace {

/// Window numbers of this page, never reused: a game started again gets new ones.
int g_nextWindow = 1;

double colourArgument(const std::optional<Colour>& colour) {
    return colour ? double(*colour) : -1.0;
}

int shortcutNumber(Shortcut shortcut) {
    switch (shortcut) {
        case Shortcut::F1:
            return 1;
        case Shortcut::F2:
            return 2;
        case Shortcut::F4:
            return 4;
        case Shortcut::F5:
            return 5;
        case Shortcut::None:
            break;
    }
    return 0;
}

/// Where a picture of the program lies in the page's folder: its resource's file name under
/// pictures/.
std::string pictureUrl(const PictureAsset* picture) {
    if (!picture) {
        return {};
    }
    const std::string_view resource = picture->resource;
    return "pictures/" + std::string(resource.substr(resource.rfind('/') + 1));
}

void place(int window, const Screen& screen, const ShownObject& object) {
    const PixelRect rect = pixelRect(object.geometry(), screen);
    kk_place(window, int(object.ref().kind), object.ref().index, rect.left, rect.top, rect.width,
             rect.height, object.visible());
}

std::string text(std::string_view view) {
    return std::string(view);
}

}  // namespace

/// A screen's window on the page: built in full when the screen is attached, then told of each
/// change to the model.
class WebWindowSystem::View final : public ScreenView {
  public:
    View(WebWindowSystem& system, Screen& screen)
        : m_system(system), m_screen(&screen), m_window(g_nextWindow++) {
        build(screen);
    }
    ~View() override {
        if (m_screen) {
            kk_window_remove(m_window);
        }
        m_system.forget(m_window);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    int window() const { return m_window; }

    // Once the screen is unloaded its window is gone from the page; a handler still running on
    // the unloaded screen may change its objects, which nobody sees any more.
    void setVisible(bool visible) override {
        if (m_screen) {
            kk_window_visible(m_window, visible);
        }
    }
    void objectChanged(ObjectRef ref, const Geometry&, bool) override {
        if (m_screen) {
            place(m_window, *m_screen, *m_screen->shownObject(ref));
        }
    }
    void captionChanged(int label) override {
        if (m_screen) {
            kk_caption(m_window, label, m_screen->labels()[std::size_t(label)].caption().c_str());
        }
    }
    float outerWidthTwips() const override {
        return float(kk_window_outer_width(m_window) * kTwipsPerPixel);
    }
    void unloaded() override {
        m_system.forget(m_window);
        kk_window_remove(m_window);
        m_screen = nullptr;
    }

  private:
    void build(const Screen& screen) {
        const WindowLayout& layout = screen.layout().window;
        kk_window_create(
            m_window, text(layout.name).c_str(), text(layout.caption).c_str(),
            layout.clientWidthTwips / kTwipsPerPixel, layout.clientHeightTwips / kTwipsPerPixel,
            colourArgument(layout.background), pictureUrl(layout.picture).c_str(),
            layout.keysToWindowFirst, statusLineHeightPx(screen.layout().labels).value_or(0));
        const auto menu = screen.menu();
        for (std::size_t i = 0; i < menu.size(); ++i) {
            const MenuItemLayout& item = menu[i];
            kk_menu_item(m_window, int(i), text(item.name).c_str(), text(item.caption).c_str(),
                         shortcutNumber(item.shortcut), item.depth);
        }
        for (const Label& label : screen.labels()) {
            const LabelLayout& stored = label.layout();
            const FontSpec font = stored.font.value_or(FontSpec{});
            kk_label_create(m_window, label.ref().index, text(stored.name).c_str(),
                            label.caption().c_str(), colourArgument(stored.background),
                            colourArgument(stored.textColour), int(stored.alignment),
                            stored.font ? fontPixelSize(font) : 0, font.weight, font.italic,
                            font.underline, font.strikeout);
            place(m_window, screen, label);
        }
        for (const Shape& shape : screen.shapes()) {
            const ShapeLayout& stored = shape.layout();
            kk_shape_create(m_window, shape.ref().index, text(stored.name).c_str(),
                            stored.kind == ShapeKind::Circle, double(stored.border),
                            double(stored.fill));
            place(m_window, screen, shape);
        }
        for (const Button& brick : screen.bricks()) {
            kk_brick_create(m_window, brick.ref().index, objectName(screen, brick.ref()).c_str(),
                            pictureUrl(brick.layout().picture).c_str());
            place(m_window, screen, brick);
        }
        for (const Button& button : screen.buttons()) {
            const ButtonLayout& stored = button.layout();
            kk_button_create(m_window, button.ref().index, text(stored.name).c_str(),
                             text(stored.caption).c_str(), stored.tabStop, stored.tabIndex);
            place(m_window, screen, button);
        }
    }

    WebWindowSystem& m_system;
    /// The live screen; null once it has been unloaded and its window removed.
    const Screen* m_screen;
    int m_window;
};

std::int64_t WebWindowSystem::Alarm::nowNs() const {
    // performance.now(): monotonic milliseconds with a fraction.
    return std::int64_t(emscripten_get_now() * 1e6);
}

void WebWindowSystem::Alarm::setAlarm(std::int64_t delayMs) {
    cancelAlarm();
    m_timeout = emscripten_set_timeout(&Alarm::rang, double(delayMs), &m_system);
}

void WebWindowSystem::Alarm::cancelAlarm() {
    if (m_timeout != 0) {
        emscripten_clear_timeout(m_timeout);
        m_timeout = 0;
    }
}

void WebWindowSystem::Alarm::rang(void* system) {
    auto& self = *static_cast<WebWindowSystem*>(system);
    self.m_alarm.m_timeout = 0;
    self.m_clock.wake();
}

// The document's visibility changes, handed to the window system at `system`; whether the page
// is hidden now.
// clang-format off
EM_JS(int, kk_watch_visibility, (void* system), {
    Module.kkVisibilityChanged = () => Module._kk_page_hidden(system, document.hidden);
    document.addEventListener('visibilitychange', Module.kkVisibilityChanged);
    return document.hidden;
});
EM_JS(void, kk_forget_visibility, (), {
    document.removeEventListener('visibilitychange', Module.kkVisibilityChanged);
    delete Module.kkVisibilityChanged;
});
// clang-format on

extern "C" EMSCRIPTEN_KEEPALIVE void kk_page_hidden(void* system, int hidden) {
    static_cast<WebWindowSystem*>(system)->pageHidden(hidden != 0);
}

// One game's window system lives on a page at a time: the page lets one game go before it starts
// the next.
WebWindowSystem::WebWindowSystem() {
    // A page opened behind another tab starts hidden.
    if (kk_watch_visibility(this)) {
        m_clock.standStill();
    }
}

WebWindowSystem::~WebWindowSystem() {
    kk_forget_visibility();
}

void WebWindowSystem::pageHidden(bool hidden) {
    if (m_quitRequested) {
        return;
    }
    if (hidden) {
        m_clock.standStill();
    } else {
        m_clock.goOn();
    }
}

void WebWindowSystem::attach(Screen& screen) {
    auto view = std::make_unique<View>(*this, screen);
    m_windows.emplace_back(view->window(), &screen);
    screen.setTimerService(&m_clock);
    screen.setView(std::move(view));
}

Screen* WebWindowSystem::screenOf(int window) const {
    const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                    [window](const auto& entry) { return entry.first == window; });
    return found == m_windows.end() ? nullptr : found->second;
}

void WebWindowSystem::forget(int window) {
    std::erase_if(m_windows, [window](const auto& entry) { return entry.first == window; });
}

void WebWindowSystem::log(ShownEvent::Kind kind, const MessageBox& box) {
    if (m_log) {
        m_log({kind, m_clock.now(), box});
    }
}

void WebWindowSystem::messageBox(Screen&, const MessageBox& box) {
    log(ShownEvent::Kind::MessageBox, box);
    kk_message_box(text(box.title).c_str(), text(box.text).c_str());
}

void WebWindowSystem::quit() {
    m_quitRequested = true;
    log(ShownEvent::Kind::End);
    m_alarm.cancelAlarm();
    kk_quit();
}

}  // namespace kostkolam::ui::web
