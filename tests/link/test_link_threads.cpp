// The link under the threads of the program, all at once: the MIDI input
// thread copies the pedal's messages into the input rings, the audio thread
// runs the block step (and with it the receive entry), and the
// user-interface thread runs the framework tick (idle step), the periodic
// task and the user's actions. Under ThreadSanitizer this shows every piece
// of state the two sides share without a hand-over; in any build it shows
// screen work done off the user-interface thread and a link that stopped
// following the pedal.

#include "LinkFixture.h"
#include "device/SysexBuilders.h"

#include <atomic>
#include <thread>

namespace tolvane::testing {
namespace {

// Sends may come from the audio and the user-interface threads at once.
class CountingWire : public ISysExSender {
public:
    bool SendSysEx(const std::uint8_t*, std::size_t) override {
        sent.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    std::atomic<int> sent{0};
};

// The screen, counting every call made off the thread that built it.
class UiOnlySeam : public RecordingSeam {
public:
    std::atomic<int> offThread{0};
    bool IsEditorOpen() const override { return Note(), RecordingSeam::IsEditorOpen(); }
    void SetTextByTag(ControlTag tag, std::string_view text) override {
        Note();
        RecordingSeam::SetTextByTag(tag, text);
    }
    void SetTextColourByTag(ControlTag tag, Colour c) override {
        Note();
        RecordingSeam::SetTextColourByTag(tag, c);
    }
    void SetControlValueByTag(ControlTag tag, double v) override {
        Note();
        RecordingSeam::SetControlValueByTag(tag, v);
    }
    void ShowGroup(std::string_view g) override {
        Note();
        RecordingSeam::ShowGroup(g);
    }
    void HideGroup(std::string_view g) override {
        Note();
        RecordingSeam::HideGroup(g);
    }
    AskResult AskUser(std::string_view text, std::string_view caption, AskButtons b) override {
        Note();
        return RecordingSeam::AskUser(text, caption, b);
    }

private:
    void Note() const {
        if (std::this_thread::get_id() != ui_) const_cast<std::atomic<int>&>(offThread).fetch_add(1);
    }
    std::thread::id ui_ = std::this_thread::get_id();
};

// What a pedal says over a session: identification, checksums that start a
// bulk load, settings, dumps, knob reports, IR names, an IR stream, the
// statuses of the two-step IR number and the IR assignment, a name.
std::vector<Bytes> PedalTalk() {
    sim::PedalModel pedal(sim::FactoryState());
    std::vector<Bytes> out;
    pedal.SetOutput([&](std::span<const std::uint8_t> m) { out.emplace_back(m.begin(), m.end()); });
    auto ask = [&](const auto& m) { pedal.Receive({m.data(), m.size()}); };
    ask(sysex::BuildRequestSettingsBlock(15));
    ask(sysex::BuildRequestSettingsBlock(3));
    ask(sysex::BuildRequestSettingsBlock(0));
    ask(sysex::BuildRequestSettingsBlock(2));
    for (int slot = 0; slot < 12; ++slot)
        ask(sysex::BuildRequestPreset(static_cast<std::uint8_t>(slot)));
    for (int k = 0; k < 40; ++k)
        pedal.TurnKnob(k % 38, (k * 29) % 128);
    for (std::uint8_t block = 0; block < 4; ++block)
        ask(sysex::BuildRequestIrNameBlock(block));
    ask(sysex::BuildRequestImpulseResponse(386));
    pedal.ChangePreset(5);
    pedal.SendError();
    for (std::uint8_t code : {sysex::status::kIrNumberStepDone, sysex::status::kIrAssignmentDone,
                              sysex::status::kIrNumberStepDone, sysex::status::kOperationFinished}) {
        const auto status = sysex::BuildApplicationStatus(code);
        out.emplace_back(status.begin(), status.end());
    }
    const auto name = sysex::BuildNameMessage("Stress");
    out.emplace_back(name.begin(), name.end());
    return out;
}

TEST(LinkThreads, PedalTrafficAndUserActionsAtOnce) {
    TempFolder folder;
    LibraryStore store{folder.Path()};
    UiOnlySeam screen;
    CountingWire wire;
    Tolvane link(wire, screen, store);
    link.SetTeardownWait(std::chrono::milliseconds(0));
    link.SetTransferFiles(LibraryTransferFiles(folder.Path()));
    // What the editor's display logic reads when told: the IR samples it
    // draws and the slot view's rows.
    double drawn = 0;
    link.Display().irSamplesChanged = [&] { drawn += link.IrSamples()[0]; };
    std::atomic<std::size_t> rowText{0};
    // The row is read in place: the hook runs on the clock too, which
    // allocates nothing.
    link.Display().irSlotViewChanged = [&](int row) {
        rowText += link.Wiring()->SlotViewTextOf(row).View().size();
    };

    const std::vector<Bytes> talk = PedalTalk();
    constexpr int kRounds = 12;
    std::atomic<bool> midiDone{false};
    std::atomic<bool> stop{false};

    std::thread midi([&] {
        for (int round = 0; round < kRounds; ++round)
            for (const Bytes& m : talk)
                // The real input thread drops on a full ring; here every
                // message is to get through, so it waits for room.
                while (link.AcceptMidiInput(m.data(), m.size()) == MidiInputResult::Dropped)
                    std::this_thread::yield();
        midiDone = true;
    });
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        float* outputs[] = {left.data(), right.data()};
        while (!stop) {
            link.ProcessAudio(outputs, 512);
            std::this_thread::yield();
        }
    });

    // The user-interface thread: ticks and the user's hands.
    auto userSets = [&](int index, double plain) {
        const Param* p = link.GetParam(index);
        link.ParamChangeFromControl(index, p->NormalFromValue(plain));
    };
    for (int i = 0; !midiDone || i < 400; ++i) {
        link.OnFrameworkTick();
        if (i % 5 == 0) link.OnDeviceTimer();
        userSets(kParamDrive, i % 128);
        userSets(kParamIr, (i * 7) % 128);
        if (i % 7 == 0) userSets(kParamIrMode7, i % 2);
        if (i % 11 == 0) link.TargetUserIrSlot(i % 2 == 0, i % 256);
        if (i % 13 == 0) userSets(kParamCustomIrBank, i % 8);
        if (i % 17 == 0) link.PickPresetSlot(i % 128);
        if (i % 19 == 0) link.ApplyAmpVoicing(i % 10);
        if (i % 23 == 0) link.CommitPresetName("Name " + std::to_string(i));
        if (i % 29 == 0) link.PressSave();
        if (i % 31 == 0) link.ApplyAmbienceVoicing(i % 5);
        if (i % 37 == 0) link.SetIrNameText(i % 2, "IR " + std::to_string(i));
        if (i % 41 == 0) {
            link.OpenProgramMapPage();
            link.LeaveProgramMapPage();
        }
        if (i % 97 == 0) {
            screen.files.push_back((folder.Path() / "stress.dvb").string());
            link.HandleMenuCommand(MenuCommand::ExportAllPresets);
        }
        if (i % 101 == 0) link.Reconnect();
        if (i % 103 == 0) link.ClearCacheData();
        (void)link.LastEditIndex();
        (void)link.FactoryNames();
        (void)link.GetProgramMap();
        std::this_thread::yield();
    }
    stop = true;
    midi.join();
    audio.join();

    EXPECT_EQ(screen.offThread.load(), 0) << "screen work done off the user-interface thread";
    // Still following the pedal: a knob report reaches the parameter (after
    // what the input rings still hold).
    std::vector<float> left(64), right(64);
    float* outputs[] = {left.data(), right.data()};
    link.ProcessAudio(outputs, 64);
    const auto report = sysex::BuildParameterChanged(kParamDrive, 77);
    link.SetAutoConnect(false);
    ASSERT_EQ(link.AcceptMidiInput(report.data(), report.size()), MidiInputResult::Queued);
    link.ProcessAudio(outputs, 64);
    link.OnFrameworkTick();
    EXPECT_EQ(link.GetParam(kParamDrive)->Int(), 77);
    EXPECT_GT(wire.sent.load(), 0);
    EXPECT_GT(rowText.load(), 0u);
}

} // namespace
} // namespace tolvane::testing
