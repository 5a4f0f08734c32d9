#pragma once

// The live state of one loaded screen: its window and every object on it, in the screen's own
// units. The rules read and write these plain fields; a backend's view is told of each change so
// that it can redraw just that.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Layout.h"

namespace kostkolam::ui {

class Screen;
class ScreenView;
class TimerService;

enum class ObjectKind : std::uint8_t { Brick, Shape, Label, Button, Timer, MenuItem };

/// An object of a screen by kind and position in its group (bricks by array index).
struct ObjectRef {
    ObjectKind kind;
    int index;
    friend bool operator==(const ObjectRef&, const ObjectRef&) = default;
};

struct Geometry {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

/// A label, shape or button: something with a place on the screen and a visibility.
class ShownObject {
  public:
    ShownObject(Screen& screen, ObjectRef ref, Geometry geometry, bool visible)
        : m_screen(&screen), m_ref(ref), m_geometry(geometry), m_visible(visible) {}
    ShownObject(const ShownObject&) = delete;
    ShownObject& operator=(const ShownObject&) = delete;
    ShownObject(ShownObject&&) = default;

    float left() const { return m_geometry.left; }
    float top() const { return m_geometry.top; }
    float width() const { return m_geometry.width; }
    float height() const { return m_geometry.height; }
    bool visible() const { return m_visible; }
    const Geometry& geometry() const { return m_geometry; }
    ObjectRef ref() const { return m_ref; }

    void setLeft(float left);
    void setTop(float top);
    void setVisible(bool visible);

  protected:
    void changed(const Geometry& before, bool wasVisible);

    Screen* m_screen;
    ObjectRef m_ref;
    Geometry m_geometry;
    bool m_visible;
};

class Label : public ShownObject {
  public:
    Label(Screen& screen, int index, const LabelLayout& layout, Geometry geometry);

    const LabelLayout& layout() const { return *m_layout; }
    const std::string& caption() const { return m_caption; }
    /// Sets the text and raises the label's change event on its screen.
    void setCaption(std::string caption);

  private:
    const LabelLayout* m_layout;
    std::string m_caption;
};

class Shape : public ShownObject {
  public:
    Shape(Screen& screen, int index, const ShapeLayout& layout, Geometry geometry)
        : ShownObject(screen, {ObjectKind::Shape, index}, geometry, true), m_layout(&layout) {}
    const ShapeLayout& layout() const { return *m_layout; }

  private:
    const ShapeLayout* m_layout;
};

/// A push button, or a brick (a graphical button of the control array `cmdBod`).
class Button : public ShownObject {
  public:
    Button(Screen& screen, ObjectRef ref, const ButtonLayout& layout, Geometry geometry)
        : ShownObject(screen, ref, geometry, true), m_layout(&layout) {}
    const ButtonLayout& layout() const { return *m_layout; }

  private:
    const ButtonLayout* m_layout;
};

class Timer {
  public:
    Timer(Screen& screen, int index, const TimerLayout& layout)
        : m_screen(&screen), m_index(index), m_layout(&layout), m_enabled(false) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    Timer(Timer&&) = default;

    const TimerLayout& layout() const { return *m_layout; }
    std::int32_t interval() const { return m_layout->intervalMs; }
    bool enabled() const { return m_enabled; }
    int index() const { return m_index; }
    Screen& screen() const { return *m_screen; }

    /// Starting a running timer keeps its phase; a timer of an unloaded screen never starts.
    void start();
    void stop();
    void setEnabled(bool enabled) { enabled ? start() : stop(); }

  private:
    Screen* m_screen;
    int m_index;
    const TimerLayout* m_layout;
    bool m_enabled;
};

/// What a screen does with its events: its start-up logic and its handlers. Screens without a
/// handler for an event simply ignore it.
class ScreenLogic {
  public:
    virtual ~ScreenLogic();
    virtual void startUp();
    virtual void menuChosen(int item);
    virtual void buttonClicked(int button);
    virtual void keyTyped(std::uint16_t code);
    virtual void timerTicked(int timer);
    /// A label's caption was set (by the game's own code or by a script).
    virtual void captionChanged(int label);
};

/// A loaded screen. Built once from its layout, with its objects converted to its own units; the
/// objects never move in memory, so the logic may hold references to them for the screen's life.
class Screen {
  public:
    /// `tag` is the number the flow gave this screen; the screen itself never interprets it.
    Screen(const ScreenLayout& layout, int tag);
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    const ScreenLayout& layout() const { return *m_layout; }
    std::string_view name() const { return m_layout->window.name; }
    std::string_view caption() const { return m_layout->window.caption; }
    int tag() const { return m_tag; }

    /// Client area in the screen's own units (81.498 x 136 on a level screen).
    float scaleWidth() const { return m_scaleWidth; }
    float scaleHeight() const { return m_scaleHeight; }
    /// Outer width, frame included, in twips, as the window reports it.
    float outerWidthTwips() const;
    /// Twips per unit of this screen's coordinate system.
    float twipsPerUnitX() const { return m_twipsPerUnitX; }
    float twipsPerUnitY() const { return m_twipsPerUnitY; }

    bool visible() const { return m_visible; }
    /// False once the screen has been unloaded; its objects still exist until the event ends.
    bool alive() const { return m_alive; }

    std::vector<Button>& bricks() { return m_bricks; }
    std::vector<Shape>& shapes() { return m_shapes; }
    std::vector<Label>& labels() { return m_labels; }
    std::vector<Button>& buttons() { return m_buttons; }
    std::vector<Timer>& timers() { return m_timers; }
    const std::vector<Button>& bricks() const { return m_bricks; }
    const std::vector<Shape>& shapes() const { return m_shapes; }
    const std::vector<Label>& labels() const { return m_labels; }
    const std::vector<Button>& buttons() const { return m_buttons; }
    const std::vector<Timer>& timers() const { return m_timers; }
    std::span<const MenuItemLayout> menu() const { return m_layout->window.menu; }

    /// Resolves a layout name ("lblSko", "cmdBod(7)", "tmrHra", "mnuPausa"). Meant for building
    /// and for the scenario runner, never for a timer tick.
    std::optional<ObjectRef> find(std::string_view name) const;
    Label& label(std::string_view name);
    Shape& shape(std::string_view name);
    Timer& timer(std::string_view name);
    Button& button(std::string_view name);
    int menuItem(std::string_view name) const;
    const ShownObject* shownObject(ObjectRef ref) const;
    ShownObject* shownObject(ObjectRef ref);

    ScreenLogic* logic() const { return m_logic; }
    void setLogic(ScreenLogic* logic) { m_logic = logic; }
    ScreenView* view() const { return m_view.get(); }
    void setView(std::unique_ptr<ScreenView> view);
    TimerService* timerService() const { return m_timerService; }
    void setTimerService(TimerService* service) { m_timerService = service; }

    /// Window operations, called by the flow.
    void show();
    void hide();
    /// Stops every timer for good and tells the view to go; the flow destroys the screen once the
    /// event that unloaded it has ended.
    void kill();

  private:
    const ScreenLayout* m_layout;
    int m_tag;
    float m_twipsPerUnitX;
    float m_twipsPerUnitY;
    float m_scaleWidth;
    float m_scaleHeight;
    bool m_visible = false;
    bool m_alive = true;
    std::vector<Button> m_bricks;
    std::vector<Shape> m_shapes;
    std::vector<Label> m_labels;
    std::vector<Button> m_buttons;
    std::vector<Timer> m_timers;
    ScreenLogic* m_logic = nullptr;
    std::unique_ptr<ScreenView> m_view;
    TimerService* m_timerService = nullptr;
};

/// Resolves a layout name against the layout itself, as Screen::find does on a screen built from
/// it: the same kinds and indices, without building the screen.
std::optional<ObjectRef> findObject(const ScreenLayout& layout, std::string_view name);

/// The display name of an object in the layout: "lblSko", or "cmdBod(7)" for a brick.
std::string objectName(const ScreenLayout& layout, ObjectRef ref);
std::string objectName(const Screen& screen, ObjectRef ref);

}  // namespace kostkolam::ui
