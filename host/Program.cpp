#include "host/Program.h"

#include "host/AppHost.h"
#include "host/JackClient.h"
#include "host/CloseOnSignal.h"
#include "host/MainWindow.h"
#include "host/PluginFactory.h"
#include "host/QtTimer.h"
#include "host/SingleInstance.h"
#include "toolkit/Canvas.h"
#include "toolkit/ModalDialogs.h"

#include "Version.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>

namespace tolvane {

namespace {

// Reports once, after the first paint event of the watched widget has been
// handled (the report is queued behind it).
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(std::function<void()> report) : report_(std::move(report)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && report_) {
            QTimer::singleShot(0, this, [report = std::move(report_)] { report(); });
            report_ = nullptr;
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    std::function<void()> report_;
};

constexpr const char* kHelpText =
    "usage: tolvane [--help] [--version]\n"
    "Editor and librarian for the Brennix Velumo Ostrel guitar preamp pedal.\n"
    "Choose the pedal's MIDI ports under File > MIDI Settings. Settings and the\n"
    "cache of presets and impulse responses live in $XDG_DATA_HOME/Tolvane\n"
    "(else ~/.local/share/Tolvane).\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

// Answers --help and --version on standard output, before anything of the
// window system is touched, so they work without a display. -1 when the
// program is to start.
int AnswerCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tolvane %s\n", kProgramVersion);
            return 0;
        }
    }
    return -1;
}

} // namespace

int RunProgram(int& argc, char** argv, const ProgramObserver& observer) {
    if (const int answered = AnswerCommandLine(argc, argv); answered >= 0) return answered;
    CatchCloseSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tolvane");
    QApplication::setApplicationVersion(kProgramVersion);
    // Ties the window to its menu entry and icon on the desktop.
    QGuiApplication::setDesktopFileName("org.tolvane.Tolvane");

    if (SingleInstance::NotifyRunningCopy()) return 0;
    SingleInstance instance;
    instance.Listen();

    InstallQtTimerFactory();
    int code = 0;
    try {
        auto reportError = [](const std::string& text) {
            QMessageBox box(QMessageBox::NoIcon, "Error", QString::fromStdString(text), QMessageBox::Ok);
            modal::Run(box);
        };
        auto host = std::make_unique<AppHost>(MakeProgramPlugin, SettingsFile::InDataFolder(), reportError);
        // The window opens the sound system and starts the audio once it has painted.
        host->LoadSettings();
        MainWindow window(std::move(host), ProgramEditorHooks());
        // Queued, as a posted quit message is: the close finishes first.
        QObject::connect(&window, &MainWindow::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        instance.OnRaiseRequest([&window] { window.BringToFront(); });
        CloseOnSignal(&window);
        FirstPaintWatch watch(observer.firstPaint);
        if (observer.firstPaint && window.Editor()) window.Editor()->installEventFilter(&watch);
        window.show();
        code = app.exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // A JACK server that did not answer while the window closed still holds
    // a thread of its library; exiting the usual way could wait on it.
    if (JackClientLeftBehind()) {
        std::fflush(nullptr);
        _exit(code);
    }
    return code;
}

} // namespace tolvane
