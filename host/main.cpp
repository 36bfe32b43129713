// Program entry: one copy only, the host and its plug-in, the audio stream,
// the main window, the event loop.

#include "host/AppHost.h"
#include "host/CloseOnSignal.h"
#include "host/MainWindow.h"
#include "host/PluginFactory.h"
#include "host/QtTimer.h"
#include "host/SingleInstance.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[]) {
    using namespace tolvane;
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
            box.exec();
        };
        auto host = std::make_unique<AppHost>(MakeProgramPlugin, SettingsFile::InDataFolder(), reportError);
        host->Initialise();
        host->StartAudio();
        MainWindow window(std::move(host), ProgramEditorLayout());
        instance.OnRaiseRequest([&window] { window.BringToFront(); });
        CloseOnSignal(&window);
        window.show();
        return app.exec();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
