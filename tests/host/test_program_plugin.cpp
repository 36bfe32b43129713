// The plug-in the program runs: its editor seam follows the editor, the
// compiled-in files reach the data folder, and in the main window it talks to
// the simulator through the program's transport.

#include "HostTestSupport.h"
#include "device/LinkTags.h"
#include "host/MainWindow.h"
#include "host/PluginFactory.h"
#include "host/ProgramPlugin.h"
#include "host/ProgramResources.h"
#include "library/DataFolder.h"
#include "library/FactoryIrs.h"
#include "library/LibraryManual.h"
#include "support/JackServer.h"
#include "device/ParamTable.h"
#include "toolkit/Canvas.h"
#include "toolkit/CanvasEditorControls.h"
#include "toolkit/TextControls.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

namespace tolvane {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NullSender : public ISysExSender {
public:
    bool SendSysEx(const std::uint8_t*, std::size_t) override { return true; }
};

// Catches the desktop's "open" of local files instead of starting a viewer.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler("file"); }
    std::vector<std::string> paths;
public slots:
    void Open(const QUrl& url) { paths.push_back(url.toLocalFile().toStdString()); }
};

// Qt's warnings while the object lives (a timer started from another thread
// is one).
class QtWarnings {
public:
    QtWarnings() { previous_ = qInstallMessageHandler(&QtWarnings::Keep); }
    ~QtWarnings() { qInstallMessageHandler(previous_); }
    static std::vector<std::string>& Seen() {
        static std::vector<std::string> seen;
        return seen;
    }

private:
    static void Keep(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg) Seen().push_back(text.toStdString());
    }
    QtMessageHandler previous_;
};

bool GroupShown(Canvas& graphics, const char* group) {
    int shown = 0, all = 0;
    graphics.ForEachInGroup(group, [&](Control& c) {
        ++all;
        shown += c.IsHidden() ? 0 : 1;
    });
    return all > 0 && shown == all;
}

TEST(ProgramResources, KnownNamesGiveTheirFilesAndOthersNothing) {
    struct Case {
        std::string name;
        std::string magic; // first bytes, empty when nothing is expected
    };
    const Case cases[] = {
        {"01-Velumo.wav", "RIFF"}, {"08-Boutique 4x12.wav", "RIFF"}, {kManualFileName, "%PDF"},
        {"settings.ini", ""},      {"../01-Velumo.wav", ""},         {"", ""},
    };
    for (const Case& c : cases) {
        const auto bytes = ReadProgramResource(c.name);
        if (c.magic.empty()) {
            EXPECT_TRUE(bytes.empty()) << c.name;
        } else {
            ASSERT_GE(bytes.size(), c.magic.size()) << c.name;
            EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<long>(c.magic.size())), c.magic)
                << c.name;
        }
    }
}

TEST(ProgramPlugin, SeamFollowsTheEditorAndTheLinkWritesToItsControls) {
    test::TempDataHome home;
    NullSender sender;
    ProgramPlugin plugin(sender, DataFolder());
    EXPECT_FALSE(plugin.Screen().IsEditorOpen());

    auto graphics = std::make_unique<Canvas>(&plugin);
    auto* version =
        graphics->AddControl(std::make_unique<TextControl>(Rect{0, 0, 100, 20}), link::kTagVersionLine);
    plugin.AttachEditor(*graphics);
    EXPECT_TRUE(plugin.Screen().IsEditorOpen());
    plugin.Reconnect(); // shows "Connecting to the device..." when the editor is open
    EXPECT_EQ(version->GetStr(), link::kTextConnecting);

    // Opening the editor put the eight factory WAV files in place, byte for byte.
    for (const char* name : kFactoryIrWavNames)
        EXPECT_EQ(ReadBytes(plugin.Folder() / kFactoryIrsFolder / name), ReadProgramResource(name)) << name;

    plugin.DetachEditor();
    EXPECT_FALSE(plugin.Screen().IsEditorOpen());
    version->SetStr("unchanged");
    plugin.Reconnect();
    EXPECT_EQ(version->GetStr(), "unchanged");
}

// The end of an IR download (and of an IR assignment) refreshes the IR
// display on the audio thread, which asks for the impulse-response page: the
// page switch and the graph's redraw wait for the user-interface thread.
TEST(ProgramPlugin, AnImpulseResponseRefreshedOnTheAudioThreadIsDrawnByTheNextTickAndKeepsThePage) {
    test::TempDataHome home;
    NullSender sender;
    ProgramPlugin plugin(sender, DataFolder());
    auto graphics = std::make_unique<Canvas>(&plugin);
    CanvasEditorControls controls;
    controls.Attach(graphics.get());
    plugin.AttachEditorControls(&controls);
    const auto hooks = ProgramEditorHooks();
    hooks.opened(*graphics, plugin);
    plugin.SharedFlags().applyFlag.store(false); // as once the pedal's values are in
    plugin.ParamChangeFromControl(kParamDrive, 0.7); // the user's edit shows the drive page
    ASSERT_TRUE(GroupShown(*graphics, "drivecontrols"));

    QtWarnings warnings;
    QtWarnings::Seen().clear();
    std::thread audio([&] { plugin.Transfers().refreshIrDisplay(64); });
    audio.join();
    EXPECT_TRUE(GroupShown(*graphics, "drivecontrols")); // nothing changed from that thread
    plugin.OnFrameworkTick();
    // Pages change only on the user's action.
    EXPECT_TRUE(GroupShown(*graphics, "drivecontrols"));
    EXPECT_FALSE(GroupShown(*graphics, "ircontrols"));
    EXPECT_EQ(QtWarnings::Seen(), std::vector<std::string>{});

    hooks.closing(plugin);
    plugin.DetachEditorControls();
}

TEST(ProgramPlugin, ReadManualWritesTheManualOnceAndOpensIt) {
    test::TempDataHome home;
    NullSender sender;
    ProgramPlugin plugin(sender, DataFolder());
    OpenedFiles opened;
    const auto manual = plugin.Folder() / kManualFileName;

    EXPECT_TRUE(plugin.RequestManual());
    EXPECT_EQ(ReadBytes(manual), ReadProgramResource(kManualFileName));
    // A manual already there is opened as it is.
    std::ofstream(manual, std::ios::binary) << "kept";
    EXPECT_TRUE(plugin.RequestManual());
    EXPECT_EQ(ReadBytes(manual), (std::vector<std::uint8_t>{'k', 'e', 'p', 't'}));
    EXPECT_EQ(opened.paths, (std::vector<std::string>{manual.string(), manual.string()}));
}

// Answers every question with OK and keeps its text.
class NotingPlatform : public IPlatform {
public:
    AskResult AskUser(const std::string& text, const std::string&, AskButtons) override {
        asked.push_back(text);
        return AskResult::Ok;
    }
    std::string AskForFile(FileAction, const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    bool IsOnline() const override { return true; }
    bool OpenUrl(const std::string&) override { return true; }
    std::vector<std::string> asked;
};

TEST(ProgramPlugin, AManualTheDesktopCannotOpenIsReportedWithItsPath) {
    test::TempDataHome home;
    NullSender sender;
    ProgramPlugin plugin(sender, DataFolder());
    Canvas graphics(&plugin);
    NotingPlatform platform;
    graphics.SetPlatform(&platform);
    plugin.AttachEditor(graphics);

    plugin.SetDocumentOpener([](const std::filesystem::path&) { return false; });
    EXPECT_TRUE(plugin.RequestManual());
    EXPECT_EQ(platform.asked, std::vector<std::string>{"The manual could not be opened. It is here:\n" +
                                                       (plugin.Folder() / kManualFileName).string()});
    plugin.SetDocumentOpener([](const std::filesystem::path&) { return true; });
    EXPECT_TRUE(plugin.RequestManual());
    EXPECT_EQ(platform.asked.size(), 1u);
    plugin.DetachEditor();
}

// A fresh install has both ports off: instead of waiting at "Connecting to
// the device..." the status lines say so and where the ports are chosen.
TEST(ProgramWindow, WithNoMidiPortChosenTheStatusLinesSaySoAndWhereToChooseThem) {
    test::TempDataHome home;
    test::JackServer jack;
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    auto host =
        std::make_unique<AppHost>(MakeProgramPlugin, SettingsFile::InDataFolder(), [](const std::string&) {});
    host->SetPluginSettleTime(std::chrono::milliseconds(0));
    host->Initialise();
    MainWindow window(std::move(host), ProgramEditorHooks());
    auto line = [&](int tag) {
        auto* text = dynamic_cast<TextControl*>(window.Editor()->ControlByTag(tag));
        return text ? text->GetStr() : "<no line>";
    };
    EXPECT_EQ(line(link::kTagDeviceLine), "No MIDI ports chosen: open");
    EXPECT_EQ(line(link::kTagVersionLine), "File \u203A MIDI Settings (Ctrl+,)");
    window.close();
}

TEST(ProgramWindow, ConnectsToThePedalFillsTheCacheAndSaysGoodbyeOnce) {
    test::TempDataHome home;
    test::JackServer jack;
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    home.SaveSettingsFor(sim);

    auto host =
        std::make_unique<AppHost>(MakeProgramPlugin, SettingsFile::InDataFolder(), [](const std::string&) {});
    host->SetPluginSettleTime(std::chrono::milliseconds(50));
    host->Initialise();
    host->StartClock();
    auto* plugin = dynamic_cast<ProgramPlugin*>(&host->Plugin());
    ASSERT_NE(plugin, nullptr);
    MainWindow window(std::move(host), ProgramEditorHooks());
    window.show();
    EXPECT_TRUE(plugin->IsEditorOpen());
    EXPECT_TRUE(plugin->Screen().IsEditorOpen());

    // Help > About is taken by the editor's own about page: no message box.
    bool boxShown = false;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxShown = true;
            box->accept();
        }
    });
    QMenu* help = nullptr;
    for (QAction* menu : window.menuBar()->actions())
        if (menu->text() == "&Help") help = menu->menu();
    ASSERT_NE(help, nullptr);
    help->actions()[0]->trigger();
    QTest::qWait(100);
    EXPECT_FALSE(boxShown);
    int aboutShown = 0;
    window.Editor()->ForEachInGroup("aboutcontrols", [&](Control& c) { aboutShown += c.IsHidden() ? 0 : 1; });
    EXPECT_GT(aboutShown, 0);

    const auto presets = home.DataFolder() / kPresetsFolder;
    auto cached = [&] {
        int n = 0;
        for (int slot = 0; slot < kPresetSlotCount; ++slot)
            n += std::filesystem::exists(presets / CacheFileName(slot + 1)) ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(test::WaitFor([&] { return plugin->Connected() && cached() == kPresetSlotCount; },
                              std::chrono::milliseconds(20000)));
    EXPECT_TRUE(test::WaitFor([&] { return !plugin->BulkLoadRunning(); }));

    window.close();
    EXPECT_TRUE(test::WaitFor([&] { return EditorClosingsSeen(sim) >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(EditorClosingsSeen(sim), 1);
    EXPECT_EQ(window.Host(), nullptr);
}

} // namespace
} // namespace tolvane

#include "test_program_plugin.moc"
