#include "host/Program.h"

#include "host/AppHost.h"
#include "host/CloseOnSignal.h"
#include "host/MainWindow.h"
#include "host/PluginFactory.h"
#include "host/QtTimer.h"
#include "host/SingleInstance.h"
#include "toolkit/Canvas.h"
#include "toolkit/ModalDialogs.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
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

} // namespace

int RunProgram(int& argc, char** argv, const ProgramObserver& observer) {
    CatchCloseSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tolvane");

    if (SingleInstance::NotifyRunningCopy()) return 0;
    SingleInstance instance;
    instance.Listen();

    InstallQtTimerFactory();
    try {
        auto reportError = [](const std::string& text) {
            QMessageBox box(QMessageBox::NoIcon, "Error", QString::fromStdString(text), QMessageBox::Ok);
            modal::Run(box);
        };
        auto host = std::make_unique<AppHost>(MakeProgramPlugin, SettingsFile::InDataFolder(), reportError);
        host->Initialise();
        host->StartAudio();
        MainWindow window(std::move(host), ProgramEditorHooks());
        // Queued, as a posted quit message is: the close finishes first.
        QObject::connect(&window, &MainWindow::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        instance.OnRaiseRequest([&window] { window.BringToFront(); });
        CloseOnSignal(&window);
        FirstPaintWatch watch(observer.firstPaint);
        if (observer.firstPaint && window.Editor()) window.Editor()->installEventFilter(&watch);
        window.show();
        return app.exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

} // namespace tolvane
