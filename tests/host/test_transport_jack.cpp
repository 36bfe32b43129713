// The MIDI transport and the program's JACK client against the pedal
// simulator over a private JACK dummy server: one client holds both ports,
// requests reach the pedal whole, replies reach the receive entry through the
// client's callback at whatever period the server runs, and closing returns
// within its deadline even when the server is frozen.

#include "HostTestSupport.h"
#include "device/SysexBuilders.h"
#include "host/AppHost.h"
#include "host/JackClient.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <csignal>
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

// Every MIDI port of the server, by the name of the client that owns it.
std::vector<std::string> AllMidiPorts(jack_client_t* client) {
    std::vector<std::string> names;
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0);
    for (const char** p = ports; p && *p; ++p)
        names.emplace_back(*p);
    jack_free(ports);
    return names;
}

// A plain client of the test's own, to look at the graph and change the period.
struct TestClient {
    TestClient() { client = jack_client_open("tolvane-test-look", JackNoStartServer, nullptr); }
    ~TestClient() {
        if (client) jack_client_close(client);
    }
    jack_client_t* client = nullptr;
};

TEST_F(TransportTest, OneClientHoldsBothPortsAndItsCallbackDeliversTheReply) {
    TestClient look;
    ASSERT_NE(look.client, nullptr);
    std::vector<std::string> ours;
    for (const std::string& port : AllMidiPorts(look.client)) {
        const std::string client = port.substr(0, port.find(':'));
        EXPECT_EQ(port.find("RtMidi"), std::string::npos) << port;
        if (client != "system" && port != sim->InPort() && port != sim->OutPort()) ours.push_back(port);
    }
    EXPECT_EQ(ours, (std::vector<std::string>{"Tolvane:pedal in", "Tolvane:pedal out"}));

    host->StartClock();
    EXPECT_TRUE(errors.empty());
    ASSERT_TRUE(SendRequestSettings15());
    EXPECT_GE(WaitForReceived(*sim, 1).received, 1);
    EXPECT_TRUE(test::WaitFor([&] { return ReplyArrived(); }));
}

TEST_F(TransportTest, ThePeriodChangingWhileConnectedKeepsTheRepliesComing) {
    TestClient look;
    ASSERT_NE(look.client, nullptr);
    for (jack_nframes_t period : {256u, 1024u, 512u}) {
        SCOPED_TRACE("period " + std::to_string(period));
        ASSERT_EQ(jack_set_buffer_size(look.client, period), 0);
        ASSERT_TRUE(test::WaitFor([&] { return host->Transport().Jack()->PeriodFrames() == period; }));
        const std::size_t before = Plugin().Received().size();
        ASSERT_TRUE(SendRequestSettings15());
        EXPECT_TRUE(test::WaitFor([&] { return Plugin().Received().size() > before && ReplyArrived(); }));
    }
}

TEST_F(TransportTest, SendsFromTwoThreadsAtOnceEachArriveWhole) {
    constexpr int kEach = 150;
    auto sendMany = [&](std::uint8_t deviceNumber) {
        for (int i = 0; i < kEach; ++i) {
            const auto m = sysex::BuildSetParameter(deviceNumber, static_cast<std::uint8_t>(i & 0x7F));
            host->Transport().SendSysEx(m.data(), m.size());
        }
    };
    std::thread clockSide(sendMany, 0x01), uiSide(sendMany, 0x05);
    clockSide.join();
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

TEST(JackClientClose, ReturnsWithinItsDeadlineWhenTheServerIsFrozen) {
    test::JackServer jack(512, test::JackServer::Mode::Asynchronous);
    ASSERT_TRUE(jack.Ok()) << jack.Error();
    const pid_t server = test::ServerPid(jack.Name());
    ASSERT_GT(server, 0) << "no jackd process for " << jack.Name();
    test::RecordingPlugin plugin;
    JackClient client(plugin);
    ASSERT_TRUE(client.Open());
    const std::uint8_t closing[] = {0xF0, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7};
    client.SendSysEx(closing, sizeof closing); // waits in the queue: nothing drains it now

    kill(server, SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    client.Close();
    const auto took = std::chrono::steady_clock::now() - start;
    kill(server, SIGCONT);
    const bool answers = test::ServerAnswersAgain();

    EXPECT_TRUE(answers);
    EXPECT_LT(took, kJackCloseDeadline * 2 + std::chrono::milliseconds(200));
    EXPECT_FALSE(client.IsOpen());
    EXPECT_FALSE(client.SendSysEx(closing, sizeof closing));
}

} // namespace
} // namespace tolvane
