// Whatever the user starts, from whatever state of the link, and whatever goes
// wrong on the way: once the pedal is healthy again the link finds it and
// nothing is left marked running.

#include "LinkFixture.h"
#include "test_transfer_wavfixture.h"

#include "device/IrUploadRecord.h"
#include "device/LinkTags.h"
#include "device/SysexConstants.h"

namespace tolvane::testing {
namespace {

enum class Transfer {
    ExportAll,
    ImportAll,
    Firmware,
    IrUpload,
    IrDownload,
    PresetSave,
    PresetLoad,
    BulkLoad
};
enum class Start { NotConnected, Connecting, Connected, DuringExport };
enum class Fault { None, Unplug, Drop, Delay, Reject, Corrupt };

constexpr Transfer kTransfers[] = {Transfer::ExportAll,  Transfer::ImportAll,  Transfer::Firmware,
                                   Transfer::IrUpload,   Transfer::IrDownload, Transfer::PresetSave,
                                   Transfer::PresetLoad, Transfer::BulkLoad};
constexpr Start kStarts[] = {Start::NotConnected, Start::Connecting, Start::Connected, Start::DuringExport};
constexpr Fault kFaults[] = {Fault::None,  Fault::Unplug, Fault::Drop,
                             Fault::Delay, Fault::Reject, Fault::Corrupt};

// Ticks with the fault in place, and the ticks the link may take afterwards.
constexpr int kFaultTicks = 40;
constexpr int kSettleLimit = 3000;

// One 100 ms tick: the periodic task, the pedal's time, its answers, and the
// user-interface thread's queued steps.
void Step(WiredEditorAndPedal& side) {
    side.tolvane->OnDeviceTimer();
    side.pedal.Advance(100);
    side.Pump();
    side.tolvane->OnIdle();
}

bool FirmwarePageShown(const RecordingSeam& screen) {
    const std::string shown = std::string("show ") + link::kGroupFirmwareUpdate;
    const std::string hidden = std::string("hide ") + link::kGroupFirmwareUpdate;
    for (auto it = screen.calls.rbegin(); it != screen.calls.rend(); ++it) {
        if (*it == shown) return true;
        if (*it == hidden) return false;
    }
    return false;
}

bool Settled(WiredEditorAndPedal& side) {
    TransferWiring& w = side.Wiring();
    return side.tolvane->Connected() && !FirmwarePageShown(side.screen) && !side.tolvane->BulkLoadRunning() &&
           !w.Backup().ExportActive() && !w.Backup().RestoreActive() && !w.Firmware().Active() &&
           !w.Upload().Active() && !w.Download().Receiving();
}

// Files the transfers read, made once: a backup of a factory pedal, a preset
// file, a WAV file and a firmware image.
struct Inputs {
    TempFolder folder;
    std::string backup = (folder.Path() / "all.dvb").string();
    std::string preset = (folder.Path() / "one.dvp").string();
    std::string wav = (folder.Path() / "cab.wav").string();
    std::string firmware = (folder.Path() / "update.ldr").string();

    Inputs() {
        WiredEditorAndPedal source;
        source.Connect();
        source.screen.files.push_back(backup);
        source.tolvane->HandleMenuCommand(MenuCommand::ExportAllPresets);
        source.TickUntil([&] { return !source.Wiring().Backup().ExportActive(); }, 1000);
        source.screen.files.push_back(preset);
        source.tolvane->SavePresetFile();
        xfertest::WriteFile(wav, xfertest::Wav16(xfertest::DecayingIr(2000)));
        Bytes image(1000);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        xfertest::WriteFile(firmware, image);
    }
};

void Begin(WiredEditorAndPedal& side, Transfer transfer, const Inputs& in) {
    switch (transfer) {
    case Transfer::ExportAll:
        side.screen.files.push_back((side.folder.Path() / "export.dvb").string());
        side.tolvane->HandleMenuCommand(MenuCommand::ExportAllPresets);
        break;
    case Transfer::ImportAll:
        side.screen.files.push_back(in.backup);
        side.tolvane->HandleMenuCommand(MenuCommand::ImportAllPresets);
        break;
    case Transfer::Firmware:
        side.tolvane->HandleMenuCommand(MenuCommand::FirmwareUpdate);
        side.tolvane->LoadFirmware(in.firmware);
        break;
    case Transfer::IrUpload:
        side.screen.files.push_back(in.wav);
        side.tolvane->ImportIrFile(5);
        break;
    case Transfer::IrDownload:
        side.Wiring().Download().RequestIr(ir::kFirstFactoryNumber);
        break;
    case Transfer::PresetSave:
        side.screen.files.push_back((side.folder.Path() / "saved.dvp").string());
        side.tolvane->SavePresetFile();
        break;
    case Transfer::PresetLoad:
        side.screen.files.push_back(in.preset);
        side.tolvane->LoadPresetFile();
        break;
    case Transfer::BulkLoad:
        // An empty library: every preset is loaded again.
        side.store.DeleteCachedFiles();
        side.tolvane->Reconnect();
        break;
    }
}

void Reach(WiredEditorAndPedal& side, Start start) {
    switch (start) {
    case Start::NotConnected:
        break;
    case Start::Connecting:
        // Identified; the 128 presets of an empty library are loading.
        side.Tick(34);
        ASSERT_TRUE(side.tolvane->BulkLoadRunning());
        break;
    case Start::Connected:
        side.Connect();
        break;
    case Start::DuringExport:
        side.Connect();
        side.screen.files.push_back((side.folder.Path() / "other.dvb").string());
        side.tolvane->HandleMenuCommand(MenuCommand::ExportAllPresets);
        side.Tick(3);
        ASSERT_TRUE(side.Wiring().Backup().ExportActive());
        break;
    }
}

void Inject(sim::Faults& faults, Fault fault) {
    switch (fault) {
    case Fault::None:
    case Fault::Unplug:
        break;
    case Fault::Drop:
        faults.dropAnswers = 1;
        break;
    case Fault::Delay:
        faults.answerDelayMs = 250;
        break;
    case Fault::Reject:
        faults.rejectRestoreMessage = 2;
        break;
    case Fault::Corrupt:
        faults.corruptBlocks = 1;
        break;
    }
}

// The files are made once for all cases.
const Inputs& SharedInputs() {
    static const Inputs inputs;
    return inputs;
}

class LinkSettles : public ::testing::TestWithParam<Transfer> {};

TEST_P(LinkSettles, FromEveryStateWithEveryFault) {
    const Inputs& in = SharedInputs();
    const Transfer transfer = GetParam();
    for (const Start start : kStarts)
        for (const Fault fault : kFaults) {
            SCOPED_TRACE(::testing::Message()
                         << "start " << static_cast<int>(start) << ", fault " << static_cast<int>(fault));
            WiredEditorAndPedal side;
            Reach(side, start);
            sim::Faults& faults = side.pedal.GetFaults();
            Inject(faults, fault);
            Begin(side, transfer, in);
            for (int t = 1; t <= kFaultTicks; ++t) {
                if (fault == Fault::Unplug && t == 3) {
                    faults.unplugged = true;
                    side.tolvane->MidiPortsGone();
                }
                if (fault == Fault::Unplug && t == 20) {
                    faults.unplugged = false;
                    side.tolvane->MidiPortsBack();
                }
                Step(side);
            }
            // The pedal is healthy again.
            faults = sim::Faults{};
            // A firmware page left open without an update running is closed
            // by the user, as its X allows.
            if (FirmwarePageShown(side.screen) && !side.Wiring().Firmware().Active())
                side.tolvane->CloseFirmwarePage();
            int ticks = 0;
            while (!Settled(side) && ticks < kSettleLimit) {
                Step(side);
                ++ticks;
            }
            EXPECT_TRUE(Settled(side)) << "connected " << side.tolvane->Connected();
        }
}

std::string TransferName(const ::testing::TestParamInfo<Transfer>& info) {
    constexpr const char* kNames[] = {"ExportAll",  "ImportAll",  "Firmware",   "IrUpload",
                                      "IrDownload", "PresetSave", "PresetLoad", "BulkLoad"};
    return kNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryTransfer, LinkSettles, ::testing::ValuesIn(kTransfers), TransferName);

// Import All and Export All need the pedal and run one at a time: otherwise
// they ask for no file, send nothing and say why.
TEST(LinkRefuses, ImportAndExportAllWithoutThePedalOrDuringAnother) {
    const std::string notConnected = "ask The pedal is not connected.\nNothing was sent.";
    const std::string running = "ask Export All or Import All is still running.\nNothing was started.";
    const struct {
        Start start;
        MenuCommand command;
        const std::string& message;
    } cases[] = {
        {Start::NotConnected, MenuCommand::ImportAllPresets, notConnected},
        {Start::NotConnected, MenuCommand::ExportAllPresets, notConnected},
        {Start::DuringExport, MenuCommand::ImportAllPresets, running},
        {Start::DuringExport, MenuCommand::ExportAllPresets, running},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        WiredEditorAndPedal side;
        Reach(side, c.start);
        const bool exporting = side.Wiring().Backup().ExportActive();
        const std::size_t asked = side.screen.calls.size();
        const std::size_t sent = side.wire.sent.size();
        side.screen.files.push_back((side.folder.Path() / "all.dvb").string());
        side.tolvane->HandleMenuCommand(c.command);
        EXPECT_EQ(std::vector<std::string>(side.screen.calls.begin() + static_cast<long>(asked),
                                           side.screen.calls.end()),
                  std::vector<std::string>{c.message});
        EXPECT_FALSE(side.Wiring().Backup().RestoreActive());
        EXPECT_EQ(side.Wiring().Backup().ExportActive(), exporting);
        EXPECT_EQ(side.wire.sent.size(), sent);
    }
}

// Closing the firmware page drops the link while a restore waits for its
// next turn: the restore ends with a message instead of holding the periodic
// task, and the pedal is found again.
TEST(LinkAfterDrop, RestoreThatFindsTheLinkDroppedEndsAndPollingGoesOn) {
    WiredEditorAndPedal side;
    side.Connect();
    Begin(side, Transfer::ImportAll, SharedInputs());
    side.Tick(10);
    ASSERT_TRUE(side.Wiring().Backup().RestoreActive());
    side.tolvane->HandleMenuCommand(MenuCommand::FirmwareUpdate);
    side.tolvane->CloseFirmwarePage();
    ASSERT_FALSE(side.tolvane->Connected());
    const std::size_t mark = side.wire.sent.size();
    side.Tick(33);
    EXPECT_FALSE(side.Wiring().Backup().RestoreActive());
    bool told = false;
    for (const auto& call : side.screen.calls)
        told = told || call.rfind("ask Import All stopped: the link to the pedal was lost.", 0) == 0;
    EXPECT_TRUE(told);
    EXPECT_FALSE(side.SentWith(sysex::command::kRequestSettingsBlock, mark).empty());
    side.Connect();
    EXPECT_TRUE(side.tolvane->Connected());
}

} // namespace
} // namespace tolvane::testing
