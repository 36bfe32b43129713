// The MIDI transport and the audio clock against the pedal simulator over a
// private JACK dummy server: requests reach the pedal whole, replies reach the
// receive entry only through the running audio stream.

#include "HostTestSupport.h"
#include "device/SysexBuilders.h"
#include "host/AppHost.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace tolvane {
namespace {

constexpr std::size_t kSettingsBlockLength = 267;

// The simulator's counters from its "status" line.
struct SimCounters {
    int received = -1;
    int ignored = -1;
    int editorClosings = -1;
};

SimCounters QueryCounters(test::SimulatorProcess& sim) {
    SimCounters c;
    if (!sim.Command("status")) return c;
    std::string line;
    while (sim.ReadLine(line))
        if (line.rfind("status", 0) == 0) break;
    std::istringstream in(line);
    std::string field;
    while (in >> field) {
        const auto eq = field.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        if (key == "received") c.received = std::stoi(value);
        if (key == "ignored") c.ignored = std::stoi(value);
        if (key == "editor-closings") c.editorClosings = std::stoi(value);
    }
    return c;
}

// Waits until the simulator has counted at least n messages.
SimCounters WaitForReceived(test::SimulatorProcess& sim, int n) {
    SimCounters c;
    test::WaitFor([&] {
        c = QueryCounters(sim);
        return c.received >= n;
    });
    return c;
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(jack.Ok()) << jack.Error();
        sim = std::make_unique<test::SimulatorProcess>(VELUMO_SIM_PATH, std::vector<std::string>{"--fresh"});
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        home.SaveSettingsFor(*sim, 256);
        host = std::make_unique<AppHost>(
            [](IMidiOutput&) { return std::make_unique<test::RecordingPlugin>(); },
            SettingsFile::InDataFolder(), [this](const std::string& text) { errors.push_back(text); });
        host->SetPluginSettleTime(std::chrono::milliseconds(0));
        host->Initialise();
        ASSERT_EQ(host->Transport().OpenPortName(MidiDirection::Input), sim->InPort());
        ASSERT_EQ(host->Transport().OpenPortName(MidiDirection::Output), sim->OutPort());
    }
    test::RecordingPlugin& Plugin() { return static_cast<test::RecordingPlugin&>(host->Plugin()); }

    bool SendRequestSettings15() {
        const auto request = sysex::BuildRequestSettingsBlock(15);
        return host->Plugin().SendSysEx(SysExMessage{0, static_cast<int>(request.size()), request.data()});
    }

    bool ReplyArrived() {
        for (const auto& m : Plugin().Received())
            if (m.size() == kSettingsBlockLength && m.front() == 0xF0 && m.back() == 0xF7) return true;
        return false;
    }

    test::TempDataHome home;
    test::JackServer jack;
    std::unique_ptr<test::SimulatorProcess> sim;
    std::unique_ptr<AppHost> host;
    std::vector<std::string> errors;
};

TEST_F(TransportTest, SettingsRequestIsAnsweredThroughTheAudioCallback) {
    ASSERT_TRUE(host->StartAudio());
    EXPECT_TRUE(errors.empty());
    ASSERT_TRUE(SendRequestSettings15());
    EXPECT_GE(WaitForReceived(*sim, 1).received, 1);
    EXPECT_TRUE(test::WaitFor([&] { return ReplyArrived(); }));
}

TEST_F(TransportTest, NothingReachesTheReceiveEntryWhileTheStreamIsStopped) {
    ASSERT_TRUE(SendRequestSettings15()); // no stream was ever started
    EXPECT_GE(WaitForReceived(*sim, 1).received, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(Plugin().Received().empty());

    // The reply waited in the ring; the first buffer of a stream delivers it.
    ASSERT_TRUE(host->StartAudio());
    EXPECT_TRUE(test::WaitFor([&] { return ReplyArrived(); }));

    host->StopAudio();
    const std::size_t before = Plugin().Received().size();
    ASSERT_TRUE(SendRequestSettings15());
    EXPECT_GE(WaitForReceived(*sim, 2).received, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Plugin().Received().size(), before);
}

TEST_F(TransportTest, SendsFromTwoThreadsAtOnceEachArriveWhole) {
    constexpr int kEach = 150;
    auto sendMany = [&](std::uint8_t deviceNumber) {
        for (int i = 0; i < kEach; ++i) {
            const auto m = sysex::BuildSetParameter(deviceNumber, static_cast<std::uint8_t>(i & 0x7F));
            host->Transport().SendSysEx(m.data(), m.size());
        }
    };
    std::thread audioSide(sendMany, 0x01), uiSide(sendMany, 0x05);
    audioSide.join();
    uiSide.join();
    const SimCounters c = WaitForReceived(*sim, 2 * kEach);
    EXPECT_EQ(c.received, 2 * kEach);
    EXPECT_EQ(c.ignored, 0);
}

TEST_F(TransportTest, SendsWithoutAnOpenPortGoNowhereButCount) {
    host->SelectMidiPort(MidiDirection::Output, "off");
    EXPECT_EQ(host->Transport().OpenPortName(MidiDirection::Output), "");
    EXPECT_TRUE(SendRequestSettings15());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(QueryCounters(*sim).received, 0);
}

} // namespace
} // namespace tolvane
