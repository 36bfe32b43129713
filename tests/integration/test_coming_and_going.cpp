// The pedal and the sound system coming and going while the program runs: the
// pedal pulled out in the middle of the preset load and plugged back in under
// another JACK client name, the simulator ended and started again, and the
// JACK server stopped and started again, for both audio drivers. Each time
// the program notices, says so, and finds the pedal again without a restart.

#include "LinkRig.h"

#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "library/DataFolder.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <atomic>
#include <fstream>
#include <string>

namespace tolvane {
namespace {

using namespace std::chrono_literals;

// One look of the host's port watch, with room for a busy machine.
constexpr auto kOnePoll = 1500ms;

struct ReadyPorts {
    std::string in, out;
};

// The ports of the simulator's next "ready" line (after plug).
ReadyPorts NextReady(test::SimulatorProcess& sim) {
    std::string line;
    while (sim.ReadLine(line, 5000ms))
        if (line.rfind("ready", 0) == 0) {
            auto field = [&](const std::string& key) {
                const auto from = line.find(key) + key.size();
                return line.substr(from, line.find('"', from) - from);
            };
            return {field("in=\""), field("out=\"")};
        }
    return {};
}

bool SaidOnce(const std::vector<std::string>& said, const std::string& start) {
    return std::count_if(said.begin(), said.end(), [&](const std::string& s) { return s.rfind(start, 0) == 0; }) == 1;
}

bool Shown(const test::HeadlessSeam& seam, ControlTag tag, const std::string& text) {
    for (auto it = seam.texts.rbegin(); it != seam.texts.rend(); ++it)
        if (it->first == tag) return it->second == text;
    return false;
}

class ComingAndGoing : public test::SimulatorTest {
protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        if (HasFatalFailure()) return;
        sim = StartSimulator();
        ASSERT_TRUE(sim->Ok()) << sim->Error();
    }
    static bool Synchronised(test::LinkRig& rig) {
        return rig.Plugin().Connected() && !rig.Plugin().BulkLoadRunning();
    }
    // The pedal's knob reaches the program.
    void Follows(test::LinkRig& rig, int value) {
        ASSERT_TRUE(sim->Command("knob " + std::to_string(kParamDrive) + " " + std::to_string(value)));
        EXPECT_TRUE(test::RunUntil([&] { return rig.Plugin().GetParam(kParamDrive)->Int() == value; }, 3s))
            << "the knob was not followed";
    }
};

TEST_F(ComingAndGoing, APedalPulledOutDuringTheLoadIsNoticedAndFoundAgainUnderANewClientName) {
    StaleCache();
    test::LinkRig rig(sim->InPort(), sim->OutPort(), kBufferFrames, true);
    ASSERT_TRUE(rig.Started());
    ASSERT_TRUE(test::RunUntil([&] {
        return test::WithCommand(rig.Received().Items(), sysex::command::kPresetDump).size() >= 10;
    }, 20s));
    ASSERT_TRUE(rig.Plugin().BulkLoadRunning());

    // Pulled out: noticed within one look, the load ends saying why.
    ASSERT_TRUE(sim->Command("unplug"));
    ASSERT_TRUE(test::RunUntil([&] { return rig.Host().PortsGone(); }, kOnePoll));
    EXPECT_FALSE(rig.Plugin().Connected());
    EXPECT_FALSE(rig.Plugin().BulkLoadRunning());
    EXPECT_TRUE(Shown(rig.Seam(), link::kTagDeviceLine, link::kTextPortsGone));
    EXPECT_TRUE(Shown(rig.Seam(), link::kTagVersionLine, link::kTextWaitingForPorts));
    // The idle step shows the pending message.
    EXPECT_TRUE(test::RunUntil([&] { return SaidOnce(rig.Seam().questions, link::kTextLoadStoppedPortsGone); }, 2s));
    EXPECT_EQ(rig.Host().Transport().OpenPortName(MidiDirection::Input), "");

    // Back under another client name: reopened, remembered, connected, loaded.
    ASSERT_TRUE(sim->Command("plug Velumo Ostrel-02"));
    const ReadyPorts back = NextReady(*sim);
    ASSERT_NE(back.in, sim->InPort());
    ASSERT_EQ(back.in.rfind("Velumo Ostrel-02", 0), 0u) << back.in;
    ASSERT_TRUE(test::RunUntil([&] { return !rig.Host().PortsGone(); }, kOnePoll));
    EXPECT_TRUE(Shown(rig.Seam(), link::kTagVersionLine, link::kTextConnecting));
    EXPECT_EQ(rig.Host().Transport().OpenPortName(MidiDirection::Input), back.in);
    EXPECT_EQ(rig.Host().Settings().midiOutputPort, back.out);
    EXPECT_NE(SettingsFile(DataFolder() / kSettingsFileName).Load().midiInputPort.find("Velumo Ostrel-02"),
              std::string::npos);
    ASSERT_TRUE(test::RunUntil([&] { return Synchronised(rig); }, 30s));
    Follows(rig, 77);

    // The simulator ended and started again: the same once more, by the old name.
    sim.reset();
    ASSERT_TRUE(test::RunUntil([&] { return rig.Host().PortsGone(); }, kOnePoll));
    sim = StartSimulator();
    ASSERT_TRUE(sim->Ok()) << sim->Error();
    ASSERT_TRUE(test::RunUntil([&] { return !rig.Host().PortsGone() && Synchronised(rig); }, 15s));
    Follows(rig, 33);
    EXPECT_EQ(rig.Plugin().InputOverflows(), 0u);
}

// Counts the connections of the program's ports undone, as a patchbay sees them.
class ConnectionWatcher {
public:
    ConnectionWatcher() {
        client_ = jack_client_open("tolvane-test-watcher", JackNoStartServer, nullptr);
        if (!client_) return;
        jack_set_port_connect_callback(client_, &ConnectionWatcher::Changed, this);
        if (jack_activate(client_) != 0) {
            jack_client_close(client_);
            client_ = nullptr;
        }
    }
    ~ConnectionWatcher() {
        if (client_) jack_client_close(client_);
    }
    bool Ok() const { return client_ != nullptr; }
    int Undone() const { return undone_.load(); }

private:
    static void Changed(jack_port_id_t a, jack_port_id_t b, int connected, void* self) {
        auto& watcher = *static_cast<ConnectionWatcher*>(self);
        const auto ours = [&](jack_port_id_t id) {
            const jack_port_t* port = jack_port_by_id(watcher.client_, id);
            return port && std::string(jack_port_name(port)).rfind("Tolvane:", 0) == 0;
        };
        if (!connected && (ours(a) || ours(b))) ++watcher.undone_;
    }
    jack_client_t* client_ = nullptr;
    std::atomic<int> undone_{0};
};

TEST_F(ComingAndGoing, ReconnectClosesBothPortsAndOpensThemAgain) {
    test::LinkRig rig(sim->InPort(), sim->OutPort(), kBufferFrames, true);
    ASSERT_TRUE(rig.Started());
    ASSERT_TRUE(test::RunUntil([&] { return Synchronised(rig); }, 30s));
    ConnectionWatcher watcher;
    ASSERT_TRUE(watcher.Ok());

    rig.Plugin().Reconnect();
    EXPECT_TRUE(test::RunUntil([&] { return watcher.Undone() >= 2; }, 2s)) << watcher.Undone() << " undone";
    EXPECT_FALSE(rig.Host().PortsGone());
    EXPECT_EQ(rig.Host().Transport().OpenPortName(MidiDirection::Input), sim->InPort());
    EXPECT_EQ(rig.Host().Transport().OpenPortName(MidiDirection::Output), sim->OutPort());
    ASSERT_TRUE(test::RunUntil([&] { return Synchronised(rig); }, 15s));
    Follows(rig, 58);
}

TEST_F(ComingAndGoing, TheJackServerStoppingAndStartingAgainIsSurvivedWithEitherDriver) {
    for (unsigned driver : {kDriverSystem, kDriverJack}) {
        SCOPED_TRACE("driver " + std::to_string(driver));
        if (!sim) sim = StartSimulator();
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        test::LinkRig rig(sim->InPort(), sim->OutPort(), kBufferFrames, true, driver);
        ASSERT_TRUE(rig.Started());
        ASSERT_TRUE(test::RunUntil([&] { return Synchronised(rig); }, 30s));

        jack.Stop();
        ASSERT_TRUE(test::RunUntil([&] { return rig.Host().SoundServerGone() && rig.Host().PortsGone(); }, 5s));
        // Shown by the idle step, which a loaded machine may run late.
        EXPECT_TRUE(test::RunUntil([&] { return SaidOnce(rig.Seam().questions, "The sound system has stopped"); }, 2s));
        EXPECT_FALSE(rig.Plugin().Connected());
        sim.reset();

        ASSERT_TRUE(jack.Start()) << jack.Error();
        sim = StartSimulator();
        ASSERT_TRUE(sim->Ok()) << sim->Error();
        // The watch looks for a server every two seconds.
        ASSERT_TRUE(test::RunUntil([&] { return !rig.Host().SoundServerGone(); }, 2 * kOnePoll));
        ASSERT_TRUE(test::RunUntil([&] { return !rig.Host().PortsGone() && Synchronised(rig); }, 15s));
        EXPECT_TRUE(rig.Host().ClockRunning());
        EXPECT_NE(rig.Host().Transport().Jack(), nullptr);
        Follows(rig, 40 + static_cast<int>(driver));
    }
}

} // namespace
} // namespace tolvane
