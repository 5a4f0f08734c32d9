#include "ui/web/WebWindowSystem.h"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/Pixels.h"
#include "ui/Units.h"

// The page's side of the window system: the page hands its desktop in as Module.desktop when it
// starts the program. Every string crosses as UTF-8. The page is told everything it draws as it
// is to be drawn: colours as CSS colours ("" for the window's or the desktop's own), sizes in
// logical pixels, fonts chosen, and each shown object by its number in the window (bricks,
// shapes, labels, buttons, in that order). Of a label the page also hears whether a screen reader
// is to announce it, and which label names it on the screen.

// clang-format off
EM_JS(void, kk_window_create, (int window, const char* name, const char* caption, int clientWidth,
                               int clientHeight, int frameWidth, const char* background,
                               const char* picture, int keysFirst, int fontPx,
                               int semiCondensed), {
    Module.desktop.createWindow(window, {
        name: UTF8ToString(name), caption: UTF8ToString(caption), clientWidth, clientHeight,
        frameWidth, background: UTF8ToString(background), picture: UTF8ToString(picture),
        keysFirst: !!keysFirst, font: { px: fontPx, semiCondensed: !!semiCondensed },
    });
});
EM_JS(void, kk_menu_item, (int window, int item, const char* name, const char* caption,
                           const char* shortcut, int depth, int separator), {
    Module.desktop.addMenuItem(window, item, {
        name: UTF8ToString(name), caption: UTF8ToString(caption),
        shortcut: UTF8ToString(shortcut), depth, separator: !!separator,
    });
});
EM_JS(void, kk_label_create, (int window, int object, const char* name, const char* caption,
                              const char* background, const char* textColour,
                              const char* alignment, int fontPx, int weight, int italic,
                              int underline, int strikeout, int announced, int namedBy), {
    Module.desktop.addLabel(window, object, {
        name: UTF8ToString(name), caption: UTF8ToString(caption),
        background: UTF8ToString(background), colour: UTF8ToString(textColour),
        alignment: UTF8ToString(alignment),
        font: fontPx ? { px: fontPx, weight, italic: !!italic, underline: !!underline,
                         strikeout: !!strikeout } : null,
        announced: !!announced, namedBy: namedBy >= 0 ? namedBy : null,
    });
});
EM_JS(void, kk_shape_create, (int window, int object, const char* name, int circle,
                              const char* border, const char* fill), {
    Module.desktop.addShape(window, object, {
        name: UTF8ToString(name), circle: !!circle, border: UTF8ToString(border),
        fill: UTF8ToString(fill),
    });
});
EM_JS(void, kk_brick_create, (int window, int object, int brick, const char* name,
                              const char* picture), {
    Module.desktop.addBrick(window, object, {
        name: UTF8ToString(name), number: brick + 1, picture: UTF8ToString(picture),
    });
});
EM_JS(void, kk_button_create, (int window, int object, int button, const char* name,
                               const char* caption, int tabStop), {
    Module.desktop.addButton(window, object, {
        name: UTF8ToString(name), caption: UTF8ToString(caption), button, tabStop: !!tabStop,
    });
});
EM_JS(void, kk_tab_order, (int window, const int* objects, int count), {
    Module.desktop.setTabOrder(window, Array.from(HEAP32.subarray(objects >> 2,
                                                                  (objects >> 2) + count)));
});
EM_JS(void, kk_place, (int window, int object, int left, int top, int width, int height,
                       int visible), {
    Module.desktop.place(window, object, left, top, width, height, !!visible);
});
EM_JS(void, kk_caption, (int window, int object, const char* caption), {
    Module.desktop.setCaption(window, object, UTF8ToString(caption));
});
EM_JS(void, kk_window_visible, (int window, int visible), {
    Module.desktop.setWindowVisible(window, !!visible);
});
EM_JS(void, kk_window_remove, (int window), {
    Module.desktop.removeWindow(window);
});
EM_JS(void, kk_message_box, (const char* title, const char* text), {
    Module.desktop.messageBox(UTF8ToString(title), UTF8ToString(text));
});
EM_JS(void, kk_quit, (), {
    Module.desktop.gameEnded();
});
EM_JS(int, kk_desktop_font_px, (), {
    return Module.desktop.fonts.desktopPx();
});
EM_JS(int, kk_font_line_height, (int px, int semiCondensed), {
    return Module.desktop.fonts.lineHeight(px, !!semiCondensed);
});
EM_JS(double, kk_text_width, (int px, int semiCondensed, const char* text, int length), {
    return Module.desktop.fonts.textWidth(px, !!semiCondensed, UTF8ToString(text, length));
});
// clang-format on

namespace kostkolam::ui::web {

namespace {

/// Window numbers of this page, never reused: a game started again gets new ones.
int g_nextWindow = 1;

/// The page's window colour, from its palette.
constexpr const char* kWindowColour = "var(--window)";

/// A stored colour as the page draws it: the system colours from the page's palette (its CSS
/// variables), as a desktop's palette stands in for them; `none` for none.
std::string cssColour(const std::optional<Colour>& colour, const char* none = "") {
    if (!colour) {
        return none;
    }
    if (isSystemColour(*colour)) {
        // The only system colour the layouts use is the tooltip background; any other falls back
        // to the window colour rather than to some arbitrary RGB value.
        return *colour == kTooltipBackground ? "var(--tooltip-base)" : kWindowColour;
    }
    return "rgb(" + std::to_string(red(*colour)) + ", " + std::to_string(green(*colour)) + ", " +
           std::to_string(blue(*colour)) + ")";
}

const char* cssAlignment(Alignment alignment) {
    switch (alignment) {
        case Alignment::Right:
            return "right";
        case Alignment::Centre:
            return "center";
        case Alignment::Left:
            break;
    }
    return "left";
}

/// The key a shortcut is typed with, as the page names it ("F2"), or "".
const char* shortcutKey(Shortcut shortcut) {
    switch (shortcut) {
        case Shortcut::F1:
            return "F1";
        case Shortcut::F2:
            return "F2";
        case Shortcut::F4:
            return "F4";
        case Shortcut::F5:
            return "F5";
        case Shortcut::None:
            break;
    }
    return "";
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

std::string text(std::string_view view) {
    return std::string(view);
}

/// The page's fonts, measured in the page.
class PageFontMetrics final : public FontMetrics {
  public:
    int lineHeightPx(UiFont font) const override {
        return kk_font_line_height(font.pixelSize, font.semiCondensed);
    }
    double textWidthPx(UiFont font, std::string_view text) const override {
        return kk_text_width(font.pixelSize, font.semiCondensed, text.data(), int(text.size()));
    }
};

/// The window frame across both sides, in logical pixels.
constexpr int kFrameWidthPx = kScenarioFrameWidthTwips / kTwipsPerPixel;

}  // namespace

/// A screen's window on the page: built in full when the screen is attached, then told of each
/// change to the model.
class WebWindowSystem::View final : public ScreenView {
  public:
    View(WebWindowSystem& system, Screen& screen, UiFont font)
        : m_system(system),
          m_screen(&screen),
          m_window(g_nextWindow++),
          m_clientWidthPx(screen.layout().window.clientWidthTwips / kTwipsPerPixel) {
        build(screen, font);
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
            place(*m_screen->shownObject(ref));
        }
    }
    void captionChanged(int label) override {
        if (m_screen) {
            kk_caption(m_window, objectNumber({ObjectKind::Label, label}),
                       m_screen->labels()[std::size_t(label)].caption().c_str());
        }
    }
    /// The page draws the frame it was given around the client area.
    float outerWidthTwips() const override {
        return float((m_clientWidthPx + kFrameWidthPx) * kTwipsPerPixel);
    }
    void unloaded() override {
        m_system.forget(m_window);
        kk_window_remove(m_window);
        m_screen = nullptr;
    }

  private:
    /// An object's number in its window: the bricks, the shapes, the labels, then the buttons.
    int objectNumber(ObjectRef ref) const {
        const auto count = [](const auto& group) { return int(group.size()); };
        switch (ref.kind) {
            case ObjectKind::Button:
                return count(m_screen->labels()) + count(m_screen->shapes()) +
                       count(m_screen->bricks()) + ref.index;
            case ObjectKind::Label:
                return count(m_screen->shapes()) + count(m_screen->bricks()) + ref.index;
            case ObjectKind::Shape:
                return count(m_screen->bricks()) + ref.index;
            case ObjectKind::Brick:
            case ObjectKind::Timer:
            case ObjectKind::MenuItem:
                break;
        }
        return ref.index;
    }

    /// The number of the label called `name` in the window, or -1 for none.
    int labelNumber(std::string_view name) const {
        for (const Label& label : m_screen->labels()) {
            if (!name.empty() && label.layout().name == name) {
                return objectNumber(label.ref());
            }
        }
        return -1;
    }

    void place(const ShownObject& object) {
        const PixelRect rect = pixelRect(object.geometry(), *m_screen);
        kk_place(m_window, objectNumber(object.ref()), rect.left, rect.top, rect.width, rect.height,
                 object.visible());
    }

    void build(const Screen& screen, UiFont font) {
        const WindowLayout& layout = screen.layout().window;
        kk_window_create(m_window, text(layout.name).c_str(), text(layout.caption).c_str(),
                         m_clientWidthPx, layout.clientHeightTwips / kTwipsPerPixel, kFrameWidthPx,
                         cssColour(layout.background, kWindowColour).c_str(),
                         pictureUrl(layout.picture).c_str(), layout.keysToWindowFirst,
                         font.pixelSize, font.semiCondensed);
        const auto menu = screen.menu();
        for (std::size_t i = 0; i < menu.size(); ++i) {
            const MenuItemLayout& item = menu[i];
            kk_menu_item(m_window, int(i), text(item.name).c_str(), text(item.caption).c_str(),
                         shortcutKey(item.shortcut), item.depth, item.isSeparator());
        }
        for (const Label& label : screen.labels()) {
            const LabelLayout& stored = label.layout();
            const FontSpec font = stored.font.value_or(FontSpec{});
            kk_label_create(m_window, objectNumber(label.ref()), text(stored.name).c_str(),
                            label.caption().c_str(), cssColour(stored.background).c_str(),
                            cssColour(stored.textColour).c_str(), cssAlignment(stored.alignment),
                            stored.font ? fontPixelSize(font) : 0, font.weight, font.italic,
                            font.underline, font.strikeout, stored.announced,
                            labelNumber(stored.namedBy));
            place(label);
        }
        for (const Shape& shape : screen.shapes()) {
            const ShapeLayout& stored = shape.layout();
            kk_shape_create(m_window, objectNumber(shape.ref()), text(stored.name).c_str(),
                            stored.kind == ShapeKind::Circle, cssColour(stored.border).c_str(),
                            cssColour(stored.fill).c_str());
            place(shape);
        }
        for (const Button& brick : screen.bricks()) {
            kk_brick_create(m_window, objectNumber(brick.ref()), brick.ref().index,
                            objectName(screen, brick.ref()).c_str(),
                            pictureUrl(brick.layout().picture).c_str());
            place(brick);
        }
        // The keyboard walks the tab stops by their tab index; the first has the focus when the
        // window opens.
        std::vector<const Button*> tabStops;
        for (const Button& button : screen.buttons()) {
            const ButtonLayout& stored = button.layout();
            kk_button_create(m_window, objectNumber(button.ref()), button.ref().index,
                             text(stored.name).c_str(), text(stored.caption).c_str(),
                             stored.tabStop);
            place(button);
            if (stored.tabStop) {
                tabStops.push_back(&button);
            }
        }
        std::stable_sort(tabStops.begin(), tabStops.end(), [](const Button* a, const Button* b) {
            return a->layout().tabIndex < b->layout().tabIndex;
        });
        std::vector<int> tabOrder;
        for (const Button* button : tabStops) {
            tabOrder.push_back(objectNumber(button->ref()));
        }
        kk_tab_order(m_window, tabOrder.data(), int(tabOrder.size()));
    }

    WebWindowSystem& m_system;
    /// The live screen; null once it has been unloaded and its window removed.
    const Screen* m_screen;
    int m_window;
    int m_clientWidthPx;
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
WebWindowSystem::WebWindowSystem() : WebWindowSystem(m_alarm) {
    m_watchesVisibility = true;
    // A page opened behind another tab starts hidden.
    if (kk_watch_visibility(this)) {
        m_clock.standStill();
    }
}

WebWindowSystem::WebWindowSystem(RealTimeSource& time)
    : m_time(time), m_clock(time), m_defaultFont{kk_desktop_font_px(), false} {}

WebWindowSystem::~WebWindowSystem() {
    if (m_watchesVisibility) {
        kk_forget_visibility();
    }
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
    // Every window of the game shares one default font, fitted to the status line of the screen
    // being attached; a screen with no label drawn in it (the title, the end screen) keeps the font
    // fitted last.
    const auto labels = screen.layout().labels;
    if (labels.data() != m_defaultFontLabels) {
        if (const auto fitted = fitDefaultFont(kk_desktop_font_px(), labels, PageFontMetrics())) {
            m_defaultFont = *fitted;
            m_defaultFontLabels = labels.data();
        }
    }
    auto view = std::make_unique<View>(*this, screen, m_defaultFont);
    m_windows.emplace_back(view->window(), &screen);
    screen.setTimerService(&m_clock);
    screen.setView(std::move(view));
}

Screen* WebWindowSystem::screenOf(int window) const {
    const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                    [window](const auto& entry) { return entry.first == window; });
    return found == m_windows.end() ? nullptr : found->second;
}

int WebWindowSystem::windowOf(const Screen& screen) const {
    const auto found =
        std::find_if(m_windows.begin(), m_windows.end(),
                     [&screen](const auto& entry) { return entry.second == &screen; });
    return found == m_windows.end() ? 0 : found->first;
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
    m_time.cancelAlarm();
    kk_quit();
}

}  // namespace kostkolam::ui::web
