// The main window at its first start and with a stored scale, against fake
// free screen areas: the whole window, menu bar and an assumed frame included,
// always fits. No sound system is opened.

#include "HostTestSupport.h"

#include "host/MainWindow.h"
#include "toolkit/Canvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// A screen of the given device pixels seen at a device pixel ratio: the free
// area (a panel of 40 device pixels at the top) in logical pixels.
QRect FreeArea(int width, int height, double ratio) {
    return QRect(0, int(40 / ratio), int(width / ratio), int((height - 40) / ratio));
}

struct Window {
    explicit Window(QRect start) : area(start) {
        auto host =
            std::make_unique<AppHost>([](IMidiOutput&) { return std::make_unique<test::RecordingPlugin>(); },
                                      SettingsFile::InDataFolder(), [](const std::string&) {});
        host->SetPluginSettleTime(std::chrono::milliseconds(0)); // nothing to settle: no pedal
        MainWindow::EditorHooks hooks;
        hooks.freeArea = [this] { return area; };
        window = std::make_unique<MainWindow>(std::move(host), hooks);
    }
    QRect area;
    std::unique_ptr<MainWindow> window;
};

TEST(WindowFit, TheWindowFitsTheFreeAreaAtEveryScreenSizeAndPixelRatio) {
    // Screens down to the smallest on which the editor's smallest size fits.
    const struct {
        int width, height;
        double ratio;
    } screens[] = {
        {1920, 1080, 1.0}, {1920, 1080, 2.0}, {1366, 768, 1.0}, {3840, 2160, 1.5}, {2560, 1600, 2.0}};
    for (const auto& screen : screens) {
        const QRect area = FreeArea(screen.width, screen.height, screen.ratio);
        for (const bool stored : {false, true}) {
            SCOPED_TRACE(::testing::Message() << screen.width << "x" << screen.height << " @" << screen.ratio
                                              << (stored ? ", scale 3 stored" : ", first start"));
            test::TempDataHome home;
            if (stored) SettingsFile::InDataFolder().SaveGuiScale(3.f);
            Window w(area);
            const Canvas* editor = w.window->Editor();
            // Around the editor: the menu bar and the frame kept for the window manager.
            const QSize chrome(16, 40 + w.window->menuBar()->sizeHint().height());
            const QSize outer = editor->size() + chrome;
            EXPECT_LE(outer.width(), area.width());
            EXPECT_LE(outer.height(), area.height());
            // The largest that fits: 2 % more would not.
            const QSizeF larger = QSizeF(editor->size()) * 1.02 + QSizeF(chrome);
            EXPECT_TRUE(larger.width() > area.width() || larger.height() > area.height());
            EXPECT_LE(editor->LargestScale(), editor->GetDrawScale() + 1e-4f)
                << "the corner never outgrows it";
            EXPECT_GE(w.window->geometry().top() - 32, area.top()) << "the title bar is on the screen";
        }
    }
}

TEST(WindowFit, AMoveToASmallerScreenShrinksTheWindowAndCapsTheCorner) {
    test::TempDataHome home;
    Window w(FreeArea(3840, 2160, 1.0));
    Canvas* editor = w.window->Editor();
    const int before = editor->width();
    w.area = FreeArea(1920, 1080, 2.0);
    QEvent moved(QEvent::ScreenChangeInternal);
    QCoreApplication::sendEvent(w.window.get(), &moved);
    EXPECT_LT(editor->width(), before);
    EXPECT_LE(w.window->sizeHint().height() + 40, w.area.height());
    EXPECT_LE(editor->LargestScale(), editor->GetDrawScale() + 1e-4f);
}

} // namespace
} // namespace tolvane
