// bare-window [--ball MS]
//
// The yardstick for the game's start-up and memory: the least a Qt Widgets program needs to show
// what the title screen shows. A main window with a two-menu bar and a 327 x 289 central widget
// that paints the title photograph, loaded from the program's resources as the game loads it.
// The measuring script starts this and `kostkolam` side by side and compares them.
//
// With --ball MS it is also the yardstick for play: a ball of the game's size moves over the
// photograph every MS milliseconds, as the ball of a level does, each step repainting only the
// ball's old and new place. What that costs is the least any Qt window can spend on a game tick.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

/// The title screen's client area, in pixels at 96 dots per inch.
constexpr int kClientWidthPx = 327;
constexpr int kClientHeightPx = 289;
/// The level's ball: 4 x 8 playfield units, and one unit of step along each axis per tick.
constexpr int kBallWidthPx = 16;
constexpr int kBallHeightPx = 17;
constexpr int kBallStepXPx = 4;
constexpr int kBallStepYPx = 2;

/// Paints the photograph at its natural size from the top-left corner, and the ball over it when
/// one is moving.
class PhotoWidget final : public QWidget {
  public:
    explicit PhotoWidget(QWidget* parent)
        : QWidget(parent), m_photo(QStringLiteral(":/bare/bg_title_rocket.jpg")) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(kClientWidthPx, kClientHeightPx);
    }

    /// Moves the ball one step every `periodMs`, bouncing off the edges.
    void startBall(int periodMs) {
        m_ball = QRect(0, 0, kBallWidthPx, kBallHeightPx);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(periodMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
        m_timer.start();
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
        painter.drawPixmap(0, 0, m_photo);
        if (!m_ball.isNull() && m_ball.intersects(event->rect())) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::red, 1));
            painter.setBrush(Qt::white);
            painter.drawEllipse(QRectF(m_ball).adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }

  private:
    void step() {
        if (m_ball.left() + m_stepX < 0 || m_ball.right() + m_stepX >= width()) {
            m_stepX = -m_stepX;
        }
        if (m_ball.top() + m_stepY < 0 || m_ball.bottom() + m_stepY >= height()) {
            m_stepY = -m_stepY;
        }
        const QRect before = m_ball;
        m_ball.translate(m_stepX, m_stepY);
        update((before | m_ball).adjusted(-1, -1, 1, 1));
    }

    QPixmap m_photo;
    QRect m_ball;
    QTimer m_timer;
    int m_stepX = kBallStepXPx;
    int m_stepY = kBallStepYPx;
};

}  // namespace

int main(int argc, char** argv) {
    int ballPeriodMs = 0;
    if (argc == 3 && std::string_view(argv[1]) == "--ball") {
        const std::string_view period = argv[2];
        if (std::from_chars(period.data(), period.data() + period.size(), ballPeriodMs).ec !=
                std::errc() ||
            ballPeriodMs <= 0) {
            ballPeriodMs = 0;
        }
    }
    if ((argc != 1 && argc != 3) || (argc == 3 && ballPeriodMs == 0)) {
        std::fprintf(stderr, "usage: bare-window [--ball MS]\n");
        return 2;
    }
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    QMenuBar* menuBar = window.menuBar();
    menuBar->setNativeMenuBar(false);
    QMenu* game = menuBar->addMenu(QStringLiteral("&Hra"));
    game->addAction(QStringLiteral("Nová hra"));
    game->addAction(QStringLiteral("Konec"), &app, &QApplication::quit);
    QMenu* help = menuBar->addMenu(QStringLiteral("H&elp"));
    help->addAction(QStringLiteral("Nápověda"));
    auto* photo = new PhotoWidget(&window);
    window.setCentralWidget(photo);
    if (ballPeriodMs > 0) {
        photo->startBall(ballPeriodMs);
    }
    window.show();
    return QApplication::exec();
}
