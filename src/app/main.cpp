// Kostkolam on the desktop: the title screen opens, and the game runs on window events until it
// ends itself. With --record FILE the game is written down as it is played; with --replay FILE a
// scenario plays in the windows.

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "flow/Game.h"
#include "record/Recorder.h"
#include "record/Replayer.h"
#include "table/ScreenTable.h"
#include "ui/qt/Desktop.h"
#include "ui/qt/QtWindowSystem.h"

namespace {

using namespace kostkolam;

constexpr int kUsageError = 2;

struct Options {
    std::optional<std::string> record;
    std::optional<std::string> replay;
};

void print(std::FILE* stream, QString text) {
    // Without a running application the parser cannot know the program's name.
    text.replace(QStringLiteral("<executable_name>"), QStringLiteral("kostkolam"));
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

/// Reads the game's own options; Qt's options for every program (-platform, -display, -style,
/// -reverse) are let through for the QApplication. Ends the program for --help, --version and
/// a command line it does not understand.
Options readCommandLine(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("kostkolam"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOSTKOLAM_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kostkolam, a brick-breaking game. Move the paddle with a and d."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the game's version and end."));
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Play, and write the game to FILE as it goes: a scenario for "
                       "kostkolam-script, and what the game showed to FILE.expected."),
        QStringLiteral("FILE"));
    const QCommandLineOption replay(
        QStringLiteral("replay"),
        QStringLiteral("Play the scenario FILE in the game's windows at real speed; closing a "
                       "window ends it."),
        QStringLiteral("FILE"));
    parser.addOption(record);
    parser.addOption(replay);
    for (const char* qtOption : {"platform", "display", "style"}) {
        QCommandLineOption option(QString::fromLatin1(qtOption), QString(), QStringLiteral("x"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    QCommandLineOption reverse(QStringLiteral("reverse"));
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reverse);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QString error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
    } else if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        std::exit(0);
    } else if (parser.isSet(version)) {
        std::printf("kostkolam %s\n", KOSTKOLAM_VERSION);
        std::exit(0);
    } else if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
    } else if (parser.isSet(record) && parser.isSet(replay)) {
        error = QStringLiteral("--record and --replay cannot go together.");
    }
    if (!error.isEmpty()) {
        print(stderr, QStringLiteral("kostkolam: %1\n").arg(error));
        print(stderr, parser.helpText());
        std::exit(kUsageError);
    }
    Options options;
    if (parser.isSet(record)) {
        options.record = parser.value(record).toLocal8Bit().toStdString();
    }
    if (parser.isSet(replay)) {
        options.replay = parser.value(replay).toLocal8Bit().toStdString();
    }
    return options;
}

// Qt ends the program with a fatal message, and a hint to reinstall it, when there is no display
// to connect to. While the QApplication starts, its messages are held back: the fatal one becomes
// the game's one line, the others go out as usual once it has started.
bool g_starting = false;
QtMessageHandler g_defaultHandler = nullptr;
QList<std::pair<QtMsgType, QString>> g_heldBack;

void startUpMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!g_starting) {
        g_defaultHandler(type, context, message);
        return;
    }
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        if (display.isEmpty() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            std::fputs("kostkolam: no display to show the game on (DISPLAY is not set)\n", stderr);
        } else {
            std::fprintf(
                stderr, "kostkolam: cannot open the display %s\n",
                display.isEmpty() ? qgetenv("WAYLAND_DISPLAY").constData() : display.constData());
        }
        std::_Exit(1);
    }
    g_heldBack.append({type, message});
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = readCommandLine(argc, argv);

    std::optional<std::vector<record::ScenarioStep>> scenario;
    if (options.replay) {
        std::ifstream file(*options.replay, std::ios::binary);
        std::string error;
        if (!file) {
            std::fprintf(stderr, "kostkolam: cannot read %s\n", options.replay->c_str());
            return 1;
        }
        scenario = record::readScenario(file, error);
        if (!scenario) {
            std::fprintf(stderr, "kostkolam: %s: %s\n", options.replay->c_str(), error.c_str());
            return kUsageError;
        }
    }

    std::optional<record::Recorder::Files> recording;
    if (options.record) {
        std::string error;
        recording = record::Recorder::open(*options.record, error);
        if (!recording) {
            std::fprintf(stderr, "kostkolam: %s\n", error.c_str());
            return 1;
        }
    }

    g_defaultHandler = qInstallMessageHandler(startUpMessage);
    g_starting = true;
    QApplication app(argc, argv);
    g_starting = false;
    for (const auto& [type, message] : std::exchange(g_heldBack, {})) {
        g_defaultHandler(type, QMessageLogContext(), message);
    }

    // The application's name, its desktop entry and the icon every window shows.
    ui::qt::introduceToDesktop();
    ui::qt::QtWindowSystem windowSystem;
    flow::Game game(windowSystem, table::screens());

    std::unique_ptr<record::Recorder> recorder;
    if (recording) {
        recorder = std::make_unique<record::Recorder>(game, windowSystem.clock().clock(),
                                                      recording->scenario, recording->expected);
        windowSystem.setEventSink(*recorder);
        windowSystem.setEventLog(
            [&recorder](const ui::ShownEvent& event) { recorder->event(event); });
    }

    record::ReplayAudience audience(game);
    std::unique_ptr<record::Replayer> replayer;
    int replayStatus = 0;
    if (scenario) {
        windowSystem.setEventSink(audience);
        // The runner answers a message box at once; so does the replay, after showing it.
        windowSystem.setMessageBoxHook([](QMessageBox& box) { box.accept(); });
        replayer =
            std::make_unique<record::Replayer>(game, windowSystem.clock(), std::move(*scenario));
        replayer->onError = [&](const std::string& error) {
            std::fprintf(stderr, "kostkolam: %s: %s\n", options.replay->c_str(), error.c_str());
            replayStatus = kUsageError;
            game.endProgram();
        };
    }

    game.start();
    if (replayer) {
        replayer->start();
    }
    int status = QApplication::exec();
    if (recorder) {
        recorder->finish();
        if (!recorder->writeError().empty()) {
            std::fprintf(stderr, "kostkolam: the recording %s is incomplete: %s\n",
                         options.record->c_str(), recorder->writeError().c_str());
            status = 1;
        }
    }
    return replayStatus != 0 ? replayStatus : status;
}
