#pragma once
// A test bench for the transfer components: the editor side wired as the
// plug-in wires it (receive entry -> router -> component; periodic task steps
// 2, 3, 4 and 7 in their order), connected straight to the pedal model, with a
// recording editor seam, a manual clock and a temporary data folder.

#include "core/EditorSeam.h"
#include "core/MessageSender.h"
#include "core/ParamList.h"
#include "core/RealtimeScope.h"
#include "device/BackupTransfer.h"
#include "device/CacheHandOver.h"
#include "device/FirmwareUpdate.h"
#include "device/InboundRouter.h"
#include "device/IrDisplay.h"
#include "device/IrDownload.h"
#include "device/IrUpload.h"
#include "device/LinkFlags.h"
#include "device/ParamTable.h"
#include "device/PresetFileTransfer.h"
#include "device/SysexBuilders.h"
#include "device/TransferBuffer.h"
#include "library/BackupFile.h"
#include "library/LibraryFiles.h"
#include "library/LibraryStore.h"
#include "library/PresetFile.h"
#include "library/WavIrFiles.h"
#include "sim/model/FactoryContent.h"
#include "sim/model/PedalModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace tolvane::xfertest {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("tolvane_xfer_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Records what the link asks of the screen; answers questions from scripts.
class RecordingSeam : public IEditorSeam {
public:
    bool open = true;
    std::map<ControlTag, std::string> texts;
    std::map<ControlTag, double> values;
    std::map<ControlTag, Colour> colours;
    std::vector<std::string> groups;        // "show x", "hide x", "enable x", "disable x", in order
    std::vector<std::string> asked;         // every AskUser text
    std::vector<AskButtons> askedButtons;   // the buttons each of them offered
    std::deque<AskResult> answers;          // Ok when empty
    std::deque<std::string> files;          // "" when empty
    std::vector<std::string> fileQuestions; // "open wav dir|name"

    bool IsEditorOpen() const override { return open; }
    // The editor works on the user-interface thread: what it does is not the clock's.
    void SetTextByTag(ControlTag tag, std::string_view text) override {
        const OffClock screen;
        texts[tag] = std::string(text);
    }
    void SetTextColourByTag(ControlTag tag, Colour colour) override {
        const OffClock screen;
        colours[tag] = colour;
    }
    void SetControlValueByTag(ControlTag tag, double v) override {
        const OffClock screen;
        values[tag] = v;
    }
    void ShowGroup(std::string_view g) override {
        const OffClock screen;
        groups.push_back("show " + std::string(g));
    }
    void HideGroup(std::string_view g) override {
        const OffClock screen;
        groups.push_back("hide " + std::string(g));
    }
    void EnableGroup(std::string_view g) override {
        const OffClock screen;
        groups.push_back("enable " + std::string(g));
    }
    void DisableGroup(std::string_view g) override {
        const OffClock screen;
        groups.push_back("disable " + std::string(g));
    }
    AskResult AskUser(std::string_view text, std::string_view, AskButtons buttons) override {
        const OffClock screen;
        asked.emplace_back(text);
        askedButtons.push_back(buttons);
        if (answers.empty()) return AskResult::Ok;
        const AskResult a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string AskForFile(FileAction action, const std::string& ext, const std::string& dir,
                           const std::string& name) override {
        const OffClock screen;
        fileQuestions.push_back(std::string(action == FileAction::Open ? "open " : "save ") + ext + " " +
                                dir + "|" + name);
        if (files.empty()) return "";
        std::string f = files.front();
        files.pop_front();
        return f;
    }
};

class TransferRig : public ISysExSender, public IInboundHandler {
public:
    explicit TransferRig(sim::PedalState pedalState = sim::FactoryState())
        : pedal(std::move(pedalState)), files(store),
          upload(*this, seam, files, transfer, link, samples, UploadHooks()),
          firmware(*this, seam, transfer, link), download(*this, seam, files, DownloadHooks()),
          display(seam, files, params, samples, DisplayHooks()),
          backup(*this, seam, link, bulkStartPending, folder.Path().string(), BackupFileHooks()),
          presetFile(seam, presetStore, files, params, link, upload, PresetHooks()) {
        InitDeviceParams(params);
        // The components reach the IR cache as the plug-in wires them: through
        // the mirror and the queue the clock hands its writes to.
        files.SetDiskIrFiles(std::make_shared<WavIrFiles>(folder.Path()));
        files.SetResultSink([this](const CacheWriteResult& result) {
            if (result.kind == CacheWrite::IrRecord && !result.written) download.RecordNotKept();
        });
        pedal.SetOutput(
            [this](std::span<const std::uint8_t> m) { inbound.emplace_back(m.begin(), m.end()); });
        link.connected = true;
        link.applyFlag = false;
    }

    // ---- wire ----
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override {
        // The MIDI output and the pedal beyond it are not the clock's work.
        const OffClock midiOut;
        sent.emplace_back(bytes, bytes + size);
        pedal.Receive(std::span(bytes, size));
        return true;
    }
    // The user-interface thread's part around each message: the cache is
    // read again (tests put files there behind its back), and what the clock
    // handed over is written.
    void Deliver() {
        files.Reload();
        while (!inbound.empty()) {
            const Bytes m = std::move(inbound.front());
            inbound.pop_front();
            received.push_back(m);
            {
                const RealtimeScope clock; // the receive entry runs on the clock
                RouteInbound(m.data(), m.size(), link.connected, firmware.Running(), *this);
            }
            files.Drain();
        }
    }
    // One 100 ms tick of the periodic task (the transfer steps), then the
    // answers that came back are handed to the receive entry.
    void Tick() {
        firmware.Watch();
        backup.Watch();
        upload.Watch();
        download.Watch();
        if (!firmware.OnTick()) {
            if (backup.RestoreActive())
                backup.OnRestoreTick();
            else if (backup.ExportActive())
                backup.OnExportTick();
            else if (link.connected)
                upload.OnTick();
        }
        pedal.Advance(100);
        Deliver();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            Tick();
    }
    // Sent messages with the given target and command byte.
    std::vector<Bytes> SentWith(std::uint8_t command) const {
        std::vector<Bytes> out;
        for (const auto& m : sent)
            if (m.size() > 5 && m[5] == command) out.push_back(m);
        return out;
    }
    void SetParam(int index, int plain) { params.GetParam(index)->SetValue(plain); }
    int Param(int index) const { return params.GetParam(index)->Int(); }

    // ---- receive entry ----
    void OnPresetDump(const sysex::SysexBlockView& block) override {
        backup.OnExportMessage(block.Message());
    }
    void OnSettingsBlock(const sysex::SysexBlockView&, bool) override {}
    void OnIrNameBlock(const sysex::SysexBlockView& block) override { download.OnNameBlock(block); }
    void OnNameMessage(std::string_view) override {}
    void OnIrStream(const sysex::StreamMessageView& stream) override {
        if (!backup.OnExportMessage(stream.message)) lastReception = download.OnStreamMessage(stream);
    }
    void OnParameterChanged(int, int) override {}
    void OnApplicationStatus(std::uint8_t code) override {
        {
            const OffClock bookkeeping;
            statuses.push_back(code);
        }
        if (backup.OnStatus(code) || upload.OnStatus(code)) return;
        if (code == sysex::status::kError) seam.AskUser("ERROR!", "", AskButtons::Ok);
    }
    void OnBootLoaderStatus(std::uint8_t code) override { firmware.OnBootLoaderStatus(code); }

    TempFolder folder;
    sim::PedalModel pedal;
    RecordingSeam seam;
    LinkFlags link;
    std::atomic<bool> bulkStartPending{false};
    ParamList params;
    TransferBuffer transfer;
    IrSampleBuffer samples{};
    LibraryStore store{folder.Path()};
    CacheHandOver files;
    PresetFileStore presetStore;

    int storePresets = 0;
    int refreshes = 0;
    int irEditTarget = 0;
    int currentPreset = 0;
    std::string presetName = "Crunch Lead";
    std::map<int, std::string> userIrNames;
    std::map<int, std::string> slotViewRows;
    std::vector<int> factoryNamesReread;
    std::vector<std::string> pendingMessages;
    std::vector<std::uint8_t> statuses;
    IrReception lastReception = IrReception::Ignored;

    std::vector<Bytes> sent;
    std::vector<Bytes> received;
    std::deque<Bytes> inbound;

    IrUpload upload;
    FirmwareUpdate firmware;
    IrDownload download;
    IrDisplay display;
    BackupTransfer backup;
    PresetFileTransfer presetFile;

private:
    // Store preset as the plug-in builds it: the current values and name.
    void SendStorePreset() {
        const OffClock stand_in; // the plug-in's own Store preset allocates nothing
        ++storePresets;
        std::array<std::uint8_t, sysex::kBlockDataSize> record{};
        record[0] = 1;
        const std::string name = ir::PadName(presetName);
        std::copy(name.begin(), name.end(), record.begin() + sim::kPresetNameOffset);
        for (int i = 0; i < kNumPresetParams; ++i)
            record[sim::kPresetValuesOffset + i] = static_cast<std::uint8_t>(Param(i) & 0x7F);
        const auto m = sysex::BuildStorePreset(static_cast<std::uint8_t>(currentPreset), record);
        SendSysEx(m.data(), m.size());
    }
    IrUploadHooks UploadHooks() {
        IrUploadHooks h;
        h.irEditTarget = [this] { return irEditTarget; };
        h.userIrNameChanged = [this](int slot, const std::string& n) {
            const OffClock bookkeeping;
            userIrNames[slot] = n;
        };
        h.refreshIrDisplay = [this] { ++refreshes; };
        h.sendStorePreset = [this] { SendStorePreset(); };
        h.loadSecondIr = [this] {
            // Queued to the user-interface thread by the plug-in.
            const OffClock uiStep;
            presetFile.LoadSecondIr();
        };
        return h;
    }
    IrDownloadHooks DownloadHooks() {
        IrDownloadHooks h;
        h.setSlotViewRow = [this](int row, std::string_view t) {
            const OffClock bookkeeping;
            slotViewRows[row] = std::string(t);
        };
        h.userIrName = [this](int slot) {
            const OffClock bookkeeping;
            return userIrNames.count(slot) ? userIrNames[slot] : std::string("?");
        };
        h.selectedSlot = [this] { return upload.SelectedSlot(); };
        h.factoryIrWritten = [this](int k) {
            const OffClock bookkeeping;
            factoryNamesReread.push_back(k);
        };
        h.refreshIrDisplay = [this] { ++refreshes; };
        h.positionBOn = [this] { return Param(kParamIrMode8) != 0; };
        h.irSlotB = [this] { return Param(kParamUserIr8PresetMsb) * 128 + Param(kParamUserIr8Preset); };
        return h;
    }
    IrDisplayHooks DisplayHooks() {
        IrDisplayHooks h;
        h.irSlotA = [this] { return Param(kParamUserIr7PresetMsb) * 128 + Param(kParamUserIr7Preset); };
        h.irSlotB = [this] { return Param(kParamUserIr8PresetMsb) * 128 + Param(kParamUserIr8Preset); };
        return h;
    }
    BackupHooks BackupFileHooks() {
        BackupHooks h;
        h.readFile = [](const std::string& p) { return ReadBackupFile(p); };
        h.fileSize = [](const std::string& p) { return FileSize(p); };
        h.writeFile = [](const std::string& p, std::span<const std::uint8_t> b) {
            return WriteBackupFile(p, b);
        };
        h.clearCacheAndRelabel = [this] {
            const OffClock bookkeeping;
            pendingMessages.push_back("<cache cleared>");
        };
        return h;
    }
    PresetFileHooks PresetHooks() {
        PresetFileHooks h;
        h.presetNameText = [this] { return presetName; };
        h.irPositionName = [this](int position) { return seam.texts[position == 7 ? 69 : 70]; };
        h.currentPreset = [this] { return currentPreset; };
        h.applyFileValue = [this](int i, int v) {
            EXPECT_TRUE(link.applyFlag);
            EXPECT_FALSE(link.editTracking);
            SetParam(i, v);
        };
        h.setIrPositionName = [](int, const std::string&) {};
        h.setPendingMessage = [this](const std::string& t) {
            const OffClock bookkeeping;
            pendingMessages.push_back(t);
        };
        h.sendStorePreset = [this] { SendStorePreset(); };
        return h;
    }
};

} // namespace tolvane::xfertest
