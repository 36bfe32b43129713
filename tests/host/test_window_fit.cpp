// The main window at its first start and with a stored scale, against fake
// free screen areas: the whole window, menu bar and an assumed frame included,
// always fits. No sound system is opened.

#include "HostTestSupport.h"

#include "host/MainWindow.h"
#include "toolkit/Canvas.h"

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
    explicit Window(QRect area) {
        auto host =
            std::make_unique<AppHost>([](IMidiOutput&) { return std::make_unique<test::RecordingPlugin>(); },
                                      SettingsFile::InDataFolder(), [](const std::string&) {});
        MainWindow::EditorHooks hooks;
        hooks.freeArea = [area] { return area; };
        window = std::make_unique<MainWindow>(std::move(host), hooks);
    }
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
        {
            SCOPED_TRACE(::testing::Message()
                         << screen.width << "x" << screen.height << " @" << screen.ratio);
            const QRect area = FreeArea(screen.width, screen.height, screen.ratio);
            for (const char* stored : {"", "3.0"}) {
                test::TempDataHome home;
                if (*stored) SettingsFile::InDataFolder().SaveGuiScale(3.f);
                Window w(area);
                Canvas* editor = w.window->Editor();
                const QSize outer = editor->size() + QSize(16, 40 + w.window->menuBar()->sizeHint().height());
                EXPECT_LE(outer.width(), area.width()) << stored;
                EXPECT_LE(outer.height(), area.height()) << stored;
                // The largest that fits: one step more would not.
                const float scale = editor->GetDrawScale();
                EXPECT_TRUE(editor->Height() * scale * 1.02 + outer.height() - editor->height() >
                                area.height() ||
                            editor->Width() * scale * 1.02 + 16 > area.width() || scale >= 3.f)
                    << stored;
                EXPECT_LE(editor->LargestScale(), scale + 1e-4f)
                    << "the corner never grows it past the screen";
                EXPECT_GE(w.window->geometry().top() - 32, area.top()) << "the title bar is on the screen";
            }
        }
    }
}

} // namespace
} // namespace tolvane
