// The main window offscreen: its menus, its size, the keys it swallows, the
// settings dialog, and what closing it sends and saves.

#include "HostTestSupport.h"
#include "host/CloseOnSignal.h"
#include "host/MainWindow.h"
#include "host/SettingsDialog.h"
#include "support/JackServer.h"
#include "toolkit/Canvas.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <sstream>

namespace tolvane {
namespace {

std::vector<std::string> Texts(const QList<QAction*>& actions) {
    std::vector<std::string> texts;
    for (QAction* a : actions)
        texts.push_back(a->isSeparator() ? "—" : a->text().toStdString());
    return texts;
}

class KeyCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        // The Control key itself reaches the editor; the letters must not.
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() != Qt::Key_Control) ++presses;
        return false;
    }
    int presses = 0;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(jack.Ok()) << jack.Error();
        sim = std::make_unique<test::SimulatorProcess>(VELUMO_SIM_PATH, std::vector<std::string>{"--fresh"});
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        home.SaveSettingsFor(*sim);
        // A scale kept from an earlier run, on a screen where it fits.
        SettingsFile(home.SettingsPath()).SaveGuiScale(0.5f);
        auto host =
            std::make_unique<AppHost>([](IMidiOutput&) { return std::make_unique<test::RecordingPlugin>(); },
                                      SettingsFile::InDataFolder(), [](const std::string&) {});
        host->SetPluginSettleTime(std::chrono::milliseconds(0));
        host->Initialise();
        host->StartClock();
        plugin = static_cast<test::RecordingPlugin*>(&host->Plugin());
        MainWindow::EditorHooks hooks;
        hooks.freeArea = [] { return QRect(0, 0, 1920, 1040); };
        window = std::make_unique<MainWindow>(std::move(host), hooks);
        window->show();
        // Shortcuts of the window act only while it is the active one.
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    std::string GuiSection() {
        std::ifstream in(home.SettingsPath());
        std::stringstream s;
        s << in.rdbuf();
        const auto at = s.str().find("[GUI]");
        return at == std::string::npos ? "" : s.str().substr(at);
    }

    test::TempDataHome home;
    test::JackServer jack;
    std::unique_ptr<test::SimulatorProcess> sim;
    std::unique_ptr<MainWindow> window;
    test::RecordingPlugin* plugin = nullptr;
};

TEST_F(MainWindowTest, MenusShowFileEditPresetAndHelpWithTheirItems) {
    const auto menus = window->menuBar()->actions();
    ASSERT_EQ(Texts(menus), (std::vector<std::string>{"&File", "&Edit", "&Preset", "&Help"}));
    EXPECT_EQ(
        Texts(menus[0]->menu()->actions()),
        (std::vector<std::string>{"&Import All Presets to Ostrel...", "&Export All Presets from Ostrel ...",
                                  "—", "&Firmware Update...", "&Clear Cache Data", "—",
                                  "&MIDI Settings...\tCtrl+,", "&Ostrel Global Settings...", "—", "&Quit"}));
    EXPECT_EQ(Texts(menus[3]->menu()->actions()), (std::vector<std::string>{"&About", "&Read Manual"}));
    EXPECT_EQ(menus[3]->menu()->actions()[1]->shortcut(), QKeySequence(Qt::Key_F1));
}

// Every key of the editor, its menu item with the key shown beside it, and
// what pressing the key on the canvas asks of the plug-in.
TEST_F(MainWindowTest, EditorKeysSitInTheMenusAndReachThePlugin) {
    const auto menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    const struct {
        int menu;
        int item;
        const char* text;
        QKeySequence key;
        std::optional<EditorCommand> command; // none: undo or redo
    } keys[] = {
        {1, 0, "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), std::nullopt},
        {1, 1, "&Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), std::nullopt},
        {1, 3, "&Close Page", QKeySequence(Qt::Key_Escape), EditorCommand::CloseOverlay},
        {2, 0, "Preset &Up", QKeySequence(Qt::Key_Up), EditorCommand::PresetUp},
        {2, 1, "Preset &Down", QKeySequence(Qt::Key_Down), EditorCommand::PresetDown},
        {2, 2, "Up &10 Presets", QKeySequence(Qt::Key_PageUp), EditorCommand::PresetUpTen},
        {2, 3, "Down 1&0 Presets", QKeySequence(Qt::Key_PageDown), EditorCommand::PresetDownTen},
        {2, 5, "&Save to Its Slot", QKeySequence(Qt::CTRL | Qt::Key_S), EditorCommand::SavePresetToSlot},
        {2, 6, "&Import Preset File...", QKeySequence(Qt::CTRL | Qt::Key_I), EditorCommand::ImportPresetFile},
        {2, 7, "&Export Preset File...", QKeySequence(Qt::CTRL | Qt::Key_E), EditorCommand::ExportPresetFile},
    };
    // An edit to undo: the plug-in's one parameter moved as a control would.
    plugin->Params().Add()->InitDouble("Gain", 0.0, 0.0, 100.0, 0.1, "dB");
    plugin->ParamChangeFromControl(0, 0.25);
    window->Editor()->setFocus();
    for (const auto& k : keys) {
        const QList<QAction*> items = menus[k.menu]->menu()->actions();
        ASSERT_GT(items.size(), k.item) << k.text;
        EXPECT_EQ(items[k.item]->text().toStdString(), k.text);
        EXPECT_EQ(items[k.item]->shortcut(), k.key) << k.text;
        plugin->commands.clear();
        QTest::keyClick(window->Editor(), k.key[0].key(), k.key[0].keyboardModifiers());
        if (k.command)
            EXPECT_EQ(plugin->commands, std::vector<EditorCommand>{*k.command}) << k.text;
        else
            EXPECT_TRUE(plugin->commands.empty()) << k.text;
        if (k.menu == 1 && k.item == 0) {
            EXPECT_DOUBLE_EQ(plugin->GetParam(0)->Value(), 0.0) << "undone";
        }
        if (k.menu == 1 && k.item == 1) {
            EXPECT_DOUBLE_EQ(plugin->GetParam(0)->Value(), 25.0) << "redone";
        }
    }
}

TEST_F(MainWindowTest, ClientIsTheEditorAtHalfScaleWithoutMaximise) {
    ASSERT_NE(window->Editor(), nullptr);
    EXPECT_EQ(window->Editor()->size(), QSize(960, 600));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->minimumSize(), QSize(640, 400));
    EXPECT_EQ(window->maximumSize(), QSize(5760, 3600));
    EXPECT_EQ(window->windowTitle(), "Tolvane");
}

TEST_F(MainWindowTest, DebugKeysNeverReachTheEditor) {
    window->Editor()->setFocus();
    KeyCounter counter;
    window->Editor()->installEventFilter(&counter);
    for (auto key : {Qt::Key_E, Qt::Key_B, Qt::Key_D, Qt::Key_F})
        QTest::keyClick(window->Editor(), key, Qt::ControlModifier);
    EXPECT_EQ(counter.presses, 0);
    QTest::keyClick(window->Editor(), Qt::Key_G, Qt::ControlModifier); // not one of them
    EXPECT_EQ(counter.presses, 1);
}

TEST_F(MainWindowTest, CtrlCommaOpensPreferencesWithOffFirstAndTheOpenPorts) {
    std::vector<std::string> seen;
    // Look for the modal dialog until it is up: on a loaded machine it may
    // take longer than one fixed delay to appear.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        seen = {dialog->windowTitle().toStdString(), dialog->InputList()->itemText(0).toStdString(),
                dialog->InputList()->currentText().toStdString(),
                dialog->OutputList()->currentText().toStdString(),
                dialog->SystemsFound()->text().toStdString()};
        dialog->reject();
    });
    poll.start(20);
    QTest::keyClick(window->Editor(), Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 4),
              (std::vector<std::string>{"Preferences", "off", sim->InPort(), sim->OutPort()}));
    // The test's JACK server is running, so JACK is among the systems found.
    EXPECT_TRUE(seen[4].starts_with("MIDI systems found: ")) << seen[4];
    EXPECT_NE(seen[4].find("JACK"), std::string::npos) << seen[4];
}

TEST_F(MainWindowTest, ClosingWhileConnectedSendsOneEditorClosingAndSavesTheScale) {
    plugin->connected = true;
    window->close();
    window->close(); // a second close does nothing more
    EXPECT_TRUE(test::WaitFor([&] { return EditorClosingsSeen(*sim) >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(EditorClosingsSeen(*sim), 1);
    EXPECT_EQ(GuiSection(), "[GUI]\nscale=0.500000\n");
    EXPECT_EQ(window->Host(), nullptr);
}

TEST_F(MainWindowTest, ClosingWhileNotConnectedSendsNothingAndSavesTheScale) {
    window->close();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(EditorClosingsSeen(*sim), 0);
    EXPECT_EQ(GuiSection(), "[GUI]\nscale=0.500000\n");
}

// SIGTERM (as at logout) while the editor's message box is open: the box is
// closed first, its caller gets its answer, and only then does the window shut
// down. Before, the canvas was destroyed with the box still running on it.
TEST_F(MainWindowTest, QuittingWithAMessageBoxOpenClosesTheBoxFirst) {
    CatchCloseSignals();
    CloseOnSignal(window.get());
    bool boxSeen = false;
    QTimer::singleShot(200, [&] {
        boxSeen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
        std::raise(SIGTERM);
    });
    // A box still open after two seconds was not closed: press it, so the test ends.
    bool leftOpen = false;
    QTimer::singleShot(2000, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            leftOpen = true;
            box->accept();
        }
    });
    EXPECT_EQ(window->Editor()->AskUser("ERROR!", "", AskButtons::Ok), AskResult::Ok);
    EXPECT_TRUE(boxSeen);
    ASSERT_NE(window->Editor(), nullptr); // the window closes after the box has returned
    // While quitting no new box opens.
    EXPECT_EQ(window->Editor()->AskUser("Are you sure?", "", AskButtons::OkCancel), AskResult::Cancel);
    EXPECT_TRUE(test::WaitFor([&] { return window->Host() == nullptr; }));
    EXPECT_EQ(window->Editor(), nullptr);
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(GuiSection(), "[GUI]\nscale=0.500000\n");
}

} // namespace
} // namespace tolvane
