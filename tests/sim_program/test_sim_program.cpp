// velumo-sim as a program: it opens its ports on a JACK server as one client,
// announces them, answers over real MIDI, takes commands, survives the server
// going away and ends cleanly.

#include <gtest/gtest.h>

#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "device/SysexBuilders.h"
#include "device/SysexChecksum.h"
#include "tests/support/JackServer.h"

namespace tolvane {
namespace {

using Bytes = std::vector<unsigned char>;
using namespace std::chrono_literals;

// An editor stand-in: one input and one output connected to the simulator.
// It is made once the pedal answers over the new connections.
class Client {
public:
    explicit Client(const test::SimulatorProcess& sim) : Client(sim.InPort(), sim.OutPort()) {}
    // readPort: the port the pedal speaks on; writePort: the one it listens on.
    Client(const std::string& readPort, const std::string& writePort)
        : in_(RtMidi::UNIX_JACK, "sim test"), out_(RtMidi::UNIX_JACK, "sim test") {
        in_.ignoreTypes(false, true, true);
        in_.setCallback(&Client::OnMessage, this);
        // A port opens by its index in a list that the server may reorder
        // between two looks (PipeWire's JACK does while clients come and go),
        // so a connection that does not answer is made again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            in_.openPort(IndexOf(in_, readPort), "from pedal");
            out_.openPort(IndexOf(out_, writePort), "to pedal");
            if (Handshake()) return;
            in_.closePort();
            out_.closePort();
        }
        ADD_FAILURE() << "the pedal does not answer over the new connections";
    }

    template <typename M> void Send(const M& m) { out_.sendMessage(m.data(), m.size()); }

    // The next message received, or an empty one after the limit.
    Bytes Next(std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, limit, [&] { return !received_.empty(); })) return {};
        Bytes m = std::move(received_.front());
        received_.erase(received_.begin());
        return m;
    }

private:
    // A connection carries MIDI only from some cycles after it is made (on
    // PipeWire noticeably later than on jackd), and what is sent before is
    // lost: the identification request is repeated until it is answered. A
    // request that was only late is answered twice; the spare is dropped.
    bool Handshake() {
        for (int attempt = 0; attempt < 20; ++attempt) {
            Send(sysex::BuildRequestSettingsBlock(15));
            if (Next(250ms).size() == 267u) {
                while (!Next(300ms).empty()) {
                }
                return true;
            }
        }
        // Whatever came over a wrong connection is not the pedal's.
        std::lock_guard lock(mutex_);
        received_.clear();
        return false;
    }

    // PipeWire's JACK shows a new client's ports to the others a little
    // after that client has them, so the list is looked at for a while.
    template <typename Port> static unsigned IndexOf(Port& port, const std::string& name) {
        for (int look = 0; look < 60; ++look) {
            for (unsigned i = 0; i < port.getPortCount(); ++i)
                if (port.getPortName(i) == name) return i;
            std::this_thread::sleep_for(50ms);
        }
        ADD_FAILURE() << "port not listed: " << name;
        return 0;
    }
    static void OnMessage(double, Bytes* m, void* self) {
        auto* c = static_cast<Client*>(self);
        std::lock_guard lock(c->mutex_);
        c->received_.push_back(*m);
        c->ready_.notify_one();
    }

    // What the input callback touches is declared before the ports, so that
    // it outlives them: a late answer may still arrive while the client is
    // being destroyed, until the input port's JACK client has closed.
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Bytes> received_;
    RtMidiIn in_;
    RtMidiOut out_;
};

// The ports jack_lsp lists for one client, sorted.
std::vector<std::string> ListedPorts(const std::string& client) {
    std::istringstream lines(test::detail::Capture({"jack_lsp"}, 5000ms));
    std::vector<std::string> ports;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(client + ":", 0) == 0) ports.push_back(line);
    std::sort(ports.begin(), ports.end());
    return ports;
}

// The next line that starts with prefix, or empty after the limit.
std::string NextLineStarting(test::SimulatorProcess& sim, const std::string& prefix,
                             std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::string line;
    while (std::chrono::steady_clock::now() < end)
        if (sim.ReadLine(line, 500ms) && line.rfind(prefix, 0) == 0) return line;
    return {};
}

std::string Quoted(const std::string& line, const std::string& key) {
    const auto from = line.find(key + "=\"");
    if (from == std::string::npos) return {};
    const auto start = from + key.size() + 2;
    return line.substr(start, line.find('"', start) - start);
}

class SimProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(jack_.Ok()) << jack_.Error(); }
    test::JackServer jack_;
};

TEST_F(SimProgram, AnnouncesItsPortsAndAnswersIdentification) {
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh", "--firmware-version", "13"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    EXPECT_EQ(sim.Api(), "jack");
    // One client owns both ports, under the same names on every JACK server.
    EXPECT_EQ(sim.InPort(), "Velumo Ostrel:Velumo Ostrel Out");
    EXPECT_EQ(sim.OutPort(), "Velumo Ostrel:Velumo Ostrel In");
    EXPECT_EQ(ListedPorts("Velumo Ostrel"), (std::vector<std::string>{"Velumo Ostrel:Velumo Ostrel In",
                                                                      "Velumo Ostrel:Velumo Ostrel Out"}));

    Client client(sim);
    client.Send(sysex::BuildRequestSettingsBlock(15));
    const Bytes reply = client.Next();
    ASSERT_EQ(reply.size(), 267u);
    EXPECT_EQ(reply[5], 0x52); // Settings block
    EXPECT_EQ(reply[6], 13);   // firmware version × 10
    EXPECT_EQ(reply[7], 15);   // identification
    EXPECT_TRUE(sysex::BlockChecksumValid(std::span<const std::uint8_t, 267>(reply.data(), 267)));
    EXPECT_NE(reply[8 + 224], ' '); // a serial number is there

    EXPECT_EQ(sim.Close(), 0); // end of input ends it cleanly
}

TEST_F(SimProgram, KnobCommandSendsParameterChanged) {
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    Client client(sim);
    ASSERT_TRUE(sim.Command("knob 5 90"));
    const Bytes m = client.Next();
    EXPECT_EQ(m, (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x51, 0x0A, 0x05, 0x5A, 0xF7}));

    ASSERT_TRUE(sim.Command("unplug"));
    std::string line;
    ASSERT_TRUE(sim.ReadLine(line));
    client.Send(sysex::BuildRequestSettingsBlock(15));
    EXPECT_TRUE(client.Next(500ms).empty()) << "an unplugged pedal answers nothing";
}

TEST_F(SimProgram, PlugsBackInUnderAnotherClientName) {
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    ASSERT_TRUE(sim.Command("unplug"));
    ASSERT_EQ(NextLineStarting(sim, "ok unplug"), "ok unplug");
    EXPECT_TRUE(ListedPorts("Velumo Ostrel").empty()) << "unplugged, the ports are gone";

    ASSERT_TRUE(sim.Command("plug Spare Ostrel"));
    const std::string ready = NextLineStarting(sim, "ready");
    EXPECT_EQ(Quoted(ready, "in"), "Spare Ostrel:Velumo Ostrel Out") << ready;
    EXPECT_EQ(Quoted(ready, "out"), "Spare Ostrel:Velumo Ostrel In") << ready;
    EXPECT_EQ(ListedPorts("Spare Ostrel").size(), 2u);
    EXPECT_TRUE(ListedPorts("Velumo Ostrel").empty());

    Client client(Quoted(ready, "in"), Quoted(ready, "out")); // answered there
}

TEST_F(SimProgram, KeepsItsStateAcrossRunsAndStopsOnSigterm) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("velumo-sim-state-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    {
        test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--state", folder.string()});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Client client(sim);
        client.Send(sysex::BuildSelectPreset(42));
        ASSERT_EQ(client.Next().size(), 267u);
        kill(sim.Pid(), SIGTERM);
        const int status = sim.Close();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    {
        test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--state", folder.string()});
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        Client client(sim);
        client.Send(sysex::BuildRequestSettingsBlock(0));
        const Bytes block = client.Next();
        ASSERT_EQ(block.size(), 267u);
        EXPECT_EQ(block[8], 42) << "the current preset survived the restart";
    }
    std::filesystem::remove_all(folder);
}

TEST_F(SimProgram, SurvivesTheServerGoingAwayAndPlugsInOnTheNextOne) {
    if (jack_.External()) GTEST_SKIP() << "the server is not ours to stop";
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    jack_.Stop();
    EXPECT_NE(NextLineStarting(sim, "gone:"), "") << "the loss is told on standard output";
    ASSERT_TRUE(test::detail::StillRunning(sim.Pid()));

    ASSERT_TRUE(jack_.Start()) << jack_.Error();
    ASSERT_TRUE(sim.Command("plug"));
    const std::string ready = NextLineStarting(sim, "ready");
    ASSERT_EQ(Quoted(ready, "in"), "Velumo Ostrel:Velumo Ostrel Out") << ready;
    Client client(sim); // answered there
    EXPECT_EQ(sim.Close(), 0);
}

TEST_F(SimProgram, ABurstLargerThanOnePeriodArrivesWholeAndInOrder) {
    // Unpaced, 128 preset dumps (34 kB) are queued at once: more than one
    // period's MIDI buffer takes, so the rest waits for the next periods.
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh", "--byte-time-us", "0"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    Client client(sim);
    for (int slot = 0; slot < 128; ++slot)
        client.Send(sysex::BuildRequestPreset(static_cast<std::uint8_t>(slot)));
    std::vector<int> slots;
    for (Bytes m = client.Next(); !m.empty(); m = client.Next(1000ms)) {
        ASSERT_EQ(m.size(), 267u);
        slots.push_back(m[7]);
    }
    std::vector<int> expected(128);
    for (int slot = 0; slot < 128; ++slot)
        expected[static_cast<std::size_t>(slot)] = slot;
    EXPECT_EQ(slots, expected);
}

TEST_F(SimProgram, SendsNoFasterThanItsLink) {
    // 200 us a byte: the eleven messages of an IR stream (2955 bytes) cannot
    // all arrive before the first ten have had their time on the wire.
    test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh", "--byte-time-us", "200"});
    ASSERT_TRUE(sim.Ok()) << sim.Error();
    Client client(sim);
    client.Send(sysex::BuildRequestImpulseResponse(384)); // the first factory IR
    const Bytes first = client.Next();
    ASSERT_EQ(first.size(), 269u);
    const auto start = std::chrono::steady_clock::now();
    Bytes last;
    int received = 1;
    for (int i = 1; i < 11; ++i) {
        last = client.Next();
        if (last.empty()) break;
        ++received;
    }
    const auto spread = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(last.size(), 235u) << "the stream end; " << received << " of 11 messages arrived";
    // 269 + 9 x 264 bytes at 200 us each before the end may leave.
    EXPECT_GE(spread, 500ms);
}

} // namespace
} // namespace tolvane
