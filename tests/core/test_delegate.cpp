// How values and messages travel between the parameters, the change hook, the
// controls and the framework timer.

#include "core/Param.h"
#include "core/AppPlugin.h"
#include "core/ManualTimer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tolvane {
namespace {

struct Notification {
    int index;
    std::string source;
    bool operator==(const Notification&) const = default;
};

class TestPlugin : public AppPlugin {
public:
    TestPlugin() {
        Params().Add()->InitInt("Gain", 64, 0, 127, "");
        Params().Add()->InitInt("Drive", 0, 0, 100, "");
        Params().Add()->InitInt("Level", 10, 0, 20, "");
    }
    void OnParamChange(int index, ParamSource source, int offset) override {
        notifications.push_back({index, ParamSourceText(source)});
        AppPlugin::OnParamChange(index, source, offset);
    }
    void ParamReachedControls(int index, ParamSource source) override {
        reached.push_back({index, ParamSourceText(source)});
    }
    void SysexReachedEditor(const SysExMessage& msg) override {
        events.push_back("sysex " + std::to_string(msg.size));
    }
    void MidiReachedEditor(const MidiShortMessage& msg) override {
        events.push_back("midi " + std::to_string(msg.status));
    }
    void OnIdle() override { events.push_back("idle"); }

    std::vector<Notification> notifications;
    std::vector<Notification> reached;
    std::vector<std::string> events;
};

class RecordingControls : public IEditorControls {
public:
    bool IsEditorOpen() const override { return true; }
    void SetParamNormalisedFromDelegate(int index, double normalised) override {
        values.push_back({index, normalised});
        owner->events.push_back("param " + std::to_string(index));
    }
    TestPlugin* owner = nullptr;
    std::vector<ParamChange> values;
};

class DelegateTest : public ::testing::Test {
protected:
    void Open() {
        controls.owner = &plugin;
        plugin.AttachEditorControls(&controls);
    }
    ManualTimerClock clock; // before the plug-in: it creates the framework timer
    TestPlugin plugin;
    RecordingControls controls;
};

TEST_F(DelegateTest, ControlMovedByTheUserNotifiesOnceWithSourceUi) {
    Open();
    plugin.ParamChangeFromControl(1, 0.5);
    EXPECT_EQ(plugin.GetParam(1)->Value(), 50.0);
    EXPECT_EQ(plugin.notifications, (std::vector<Notification>{{1, "UI"}}));
    EXPECT_TRUE(controls.values.empty()); // the moving control already shows it
}

TEST_F(DelegateTest, SetParamAndNotifyQueuesNothing) {
    Open();
    plugin.SetParamAndNotify(0, 1.0);
    EXPECT_EQ(plugin.GetParam(0)->Value(), 127.0);
    EXPECT_EQ(plugin.notifications, (std::vector<Notification>{{0, "UI"}}));
    clock.Advance(kFrameworkTimerMs);
    EXPECT_TRUE(controls.values.empty());
}

TEST_F(DelegateTest, QueuedValuesReachTheControlsNormalisedOnTheNextTick) {
    Open();
    EXPECT_TRUE(plugin.QueueParamForControls(1, 25.0, false));
    EXPECT_TRUE(plugin.QueueParamForControls(2, 0.5, true)); // normalised: 10 on its way
    EXPECT_TRUE(controls.values.empty());
    clock.Advance(kFrameworkTimerMs);
    ASSERT_EQ(controls.values.size(), 2u);
    EXPECT_EQ(controls.values[0].index, 1);
    EXPECT_DOUBLE_EQ(controls.values[0].value, 0.25);
    EXPECT_EQ(controls.values[1].index, 2);
    EXPECT_DOUBLE_EQ(controls.values[1].value, 0.5);
    EXPECT_EQ(plugin.reached, (std::vector<Notification>{{1, "Editor Delegate"}, {2, "Editor Delegate"}}));
}

TEST_F(DelegateTest, ValueQueuedWhileTheEditorIsClosedIsNotKeptForLater) {
    plugin.QueueParamForControls(0, 100.0, false);
    clock.Advance(kFrameworkTimerMs);
    Open();
    clock.Advance(kFrameworkTimerMs);
    EXPECT_TRUE(controls.values.empty());
    EXPECT_TRUE(plugin.reached.empty());
}

TEST_F(DelegateTest, FullParameterQueueDropsTheNewest) {
    Open();
    for (int i = 0; i < 512; ++i)
        ASSERT_TRUE(plugin.QueueParamForControls(0, i % 128, false)) << i;
    EXPECT_FALSE(plugin.QueueParamForControls(1, 1.0, false));
    clock.Advance(kFrameworkTimerMs);
    EXPECT_EQ(controls.values.size(), 512u);
    EXPECT_EQ(controls.values.back().index, 0);
}

TEST_F(DelegateTest, TickDrainsParametersThenMidiThenSysExThenRunsIdle) {
    Open();
    const std::uint8_t sysex[] = {0xF0, 0x00, 0x51, 0x21, 0xF7};
    const std::uint8_t cc[] = {0xB0, 0x01, 0x02};
    plugin.AcceptMidiInput(sysex, sizeof sysex);
    plugin.AcceptMidiInput(cc, sizeof cc);
    plugin.BlockStep(nullptr, kProcessBlockFrames); // the audio thread moves them on
    plugin.QueueParamForControls(2, 5.0, false);
    EXPECT_TRUE(plugin.events.empty());
    clock.Advance(kFrameworkTimerMs);
    EXPECT_EQ(plugin.events, (std::vector<std::string>{"param 2", "midi 176", "sysex 5", "idle"}));
}

TEST_F(DelegateTest, IdleRunsEveryTickWithTheEditorClosed) {
    clock.Advance(5 * kFrameworkTimerMs);
    EXPECT_EQ(plugin.events, std::vector<std::string>(5, "idle"));
}

TEST_F(DelegateTest, PushAllValuesSendsEveryParameterInOrder) {
    Open();
    plugin.PushAllValuesToControls();
    ASSERT_EQ(controls.values.size(), 3u);
    const double expected[] = {64.0 / 127.0, 0.0, 0.5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(controls.values[i].index, i);
        EXPECT_DOUBLE_EQ(controls.values[i].value, expected[i]);
    }
}

TEST_F(DelegateTest, UnserializeNotifiesEveryParameterInOrderWithSourcePreset) {
    const double values[] = {1.0, 2.0, 3.0};
    std::vector<std::uint8_t> full(sizeof values);
    std::memcpy(full.data(), values, sizeof values);
    const std::vector<Notification> all = {{0, "Preset"}, {1, "Preset"}, {2, "Preset"}};

    EXPECT_EQ(plugin.UnserializeParams(full, 0), 24);
    EXPECT_EQ(plugin.notifications, all);
    EXPECT_EQ(plugin.reached, all);
    EXPECT_EQ(plugin.GetParam(2)->Value(), 3.0);

    // A short buffer sets what it holds, still notifies every parameter, and returns -1.
    plugin.notifications.clear();
    const std::vector<std::uint8_t> shortBuffer(full.begin(), full.begin() + 12);
    plugin.GetParam(0)->SetValue(9.0);
    EXPECT_EQ(plugin.UnserializeParams(shortBuffer, 0), -1);
    EXPECT_EQ(plugin.GetParam(0)->Value(), 1.0);
    EXPECT_EQ(plugin.notifications, all);
}

TEST_F(DelegateTest, IndexesOutsideTheListAreIgnored) {
    Open();
    plugin.ParamChangeFromControl(3, 0.5);
    plugin.SetParamAndNotify(-1, 0.5);
    EXPECT_FALSE(plugin.QueueParamForControls(7, 0.5, true));
    plugin.QueueParamForControls(7, 0.5, false);
    clock.Advance(kFrameworkTimerMs);
    EXPECT_TRUE(plugin.notifications.empty());
    EXPECT_TRUE(controls.values.empty());
}

class RecordingOutput : public IMidiOutput {
public:
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override {
        sent.emplace_back(bytes, bytes + size);
        return true;
    }
    bool SendShortMessage(const MidiShortMessage& msg) override {
        sent.push_back({msg.status, msg.data1, msg.data2});
        return true;
    }
    std::vector<std::vector<std::uint8_t>> sent;
};

TEST_F(DelegateTest, SendsNeedAnOutputObject) {
    const std::uint8_t bytes[] = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5F, 0x0A, 0xF7};
    const SysExMessage msg{0, 8, bytes};
    EXPECT_FALSE(plugin.EditorSendsSysex(msg));
    EXPECT_FALSE(plugin.SendMidiMsg(MidiShortMessage{0, 0xC0, 1, 0}));

    RecordingOutput output;
    plugin.SetMidiOutput(&output);
    EXPECT_TRUE(plugin.EditorSendsSysex(msg));
    EXPECT_TRUE(plugin.SendMidiMsg(MidiShortMessage{0, 0xC0, 1, 0}));
    ASSERT_EQ(output.sent.size(), 2u);
    EXPECT_EQ(output.sent[0], std::vector<std::uint8_t>(bytes, bytes + 8));
    EXPECT_EQ(output.sent[1], (std::vector<std::uint8_t>{0xC0, 1, 0}));
}

} // namespace
} // namespace tolvane
