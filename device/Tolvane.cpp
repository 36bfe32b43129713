// Construction, the framework hooks, the receive routes, the periodic task and
// the connection handshake.

#include "device/Tolvane.h"

#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "device/SysexBuilders.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace tolvane {

namespace {

// The identification request goes out when the poll counter exceeds this,
// every 33rd tick of the 100 ms task.
constexpr int kPollTicks = 32;
// Firmware versions (times ten) the editor accepts: 1.0 up to 10.9.
constexpr int kLowestVersionMajor = 1;
constexpr int kHighestVersionMajor = 10;
constexpr int kUpgradeToVersion = 10;
// The serial number: data bytes 224..255 of the identification block.
constexpr std::size_t kSerialOffset = 224;
constexpr std::size_t kSerialLength = 32;

} // namespace

// ---- Construction and hooks -------------------------------------------------------

Tolvane::Tolvane(ISysExSender& sender, IEditorSeam& editor, ILinkLibrary& library, ParamList reused)
    : sender_(sender), screen_(editor), library_(library), cache_(library) {
    if (reused.Size() == kNumParams) {
        Params() = std::move(reused);
        Params().ResetToDefaults();
    } else {
        InitDeviceParams(Params());
    }
    screen_.SetParamSink([this](int index, double value) { DeliverParamToControls(index, value, false); });
    screen_.SetQueuedHook([this] { HurryFrameworkTimer(); });
    cache_.SetResultSink([this](const CacheWriteResult& result) { CacheWritten(result); });
    folderScanAction_ = screen_.AddAction([this](int, int) { LabelPresetsFromFolderScan(); });
    for (auto& p : pending_)
        p.store(false);
    // The checksums of the cached presets decide what the synchronisation loads.
    ApplySlotFileLabels(library_.LabelPresetsFromSlotFiles(PatchOffset()));
    const ProgramMap identity = IdentityProgramMap();
    for (std::size_t n = 0; n < programMap_.size(); ++n)
        programMap_[n].store(identity[n]);
    const FactoryIrNames names = DefaultFactoryIrNames();
    for (int entry = 0; entry < kNumFactoryIrNames; ++entry)
        SetFactoryIrName(entry, names[static_cast<std::size_t>(entry)]);
    CreateDeviceTimer();
}

Tolvane::~Tolvane() {
    StopTimers();
    if (teardownWait_.count() > 0) std::this_thread::sleep_for(teardownWait_);
    // What the clock handed over and the idle step has not written yet is
    // written now; nobody is left to tell of the outcome.
    cache_.SetResultSink(nullptr);
    cache_.Drain();
}

ParamList Tolvane::ReleaseParams() {
    StopTimers();
    return std::move(Params());
}

void Tolvane::SetTransferFiles(TransferFiles files) {
    if (!files.irFiles || !files.presetFiles) return;
    wiring_.reset();
    // The transfers reach the IR cache through the mirror and the queue.
    cache_.SetDiskIrFiles(std::move(files.irFiles));
    files.irFiles = std::shared_ptr<IIrFiles>(std::shared_ptr<void>(), &cache_);
    wiring_.emplace(*this, std::move(files));
}

FactoryIrNames Tolvane::FactoryNames() const {
    FactoryIrNames names;
    for (std::size_t entry = 0; entry < names.size(); ++entry)
        names[entry] = FromNameText(factoryIrNames_[entry].Load());
    return names;
}

void Tolvane::SetFactoryIrName(int entry, std::string_view name) {
    if (entry >= 0 && entry < kNumFactoryIrNames)
        factoryIrNames_[static_cast<std::size_t>(entry)].Store(ToNameText(name));
}

ProgramMap Tolvane::GetProgramMap() const {
    ProgramMap map{};
    for (std::size_t n = 0; n < map.size(); ++n)
        map[n] = programMap_[n].load();
    return map;
}

int Tolvane::ParamInt(int index) const {
    const Param* p = GetParam(index);
    return p ? p->Int() : 0;
}

int Tolvane::PatchOffset() const {
    return ParamInt(kParamPatchOffset) != 0 ? 1 : 0;
}

void Tolvane::SetAndQueue(int index, double normalised) {
    SetParamAndNotify(index, normalised);
    if (const Param* p = GetParam(index)) QueueParamForControls(index, p->Value(), false);
}

bool Tolvane::PushParamChange(const ParamChange& change) {
    return screen_.QueueParamValue(change.index, change.value);
}

void Tolvane::ProcessSysEx(const SysExMessage& msg) {
    if (!msg.data || msg.size <= 0) return;
    RouteInbound(msg.data, static_cast<std::size_t>(msg.size), Connected(),
                 TransferQuery(transfers_.firmwareUpdateRunning), *this);
}

void Tolvane::OnIdle() {
    // The cache first: screen steps replayed next may read what it writes.
    cache_.Drain();
    screen_.Drain();
    // Edit tracking: an edit that has not moved for 20 ticks is over.
    if (flags_.editTracking.load()) {
        if (editSampleTicks_ == 0) sampledEdit_ = lastEdit_.Load();
        if (++editSampleTicks_ >= 20) {
            editSampleTicks_ = 0;
            const EditMark now = lastEdit_.Load();
            if (sampledEdit_.index != -1 && now.index == sampledEdit_.index &&
                now.value == sampledEdit_.value)
                lastEdit_.Store({});
        }
    }
    ShowPendingMessage();
    // The two-digit display returns to the preset number after a held value.
    if (displayHoldAsked_.exchange(false)) {
        displayHold_ = true;
        displayHoldTicks_ = 0;
    }
    if (displayHold_ && ++displayHoldTicks_ > 60) {
        displayHold_ = false;
        displayHoldTicks_ = 0;
        if (EditorOpen()) ShowPresetNumber(ParamInt(kParamPatchOffset) + CurrentPreset());
    }
    if (display_.idleDisplay) display_.idleDisplay();
}

bool Tolvane::IdleNeedsTicks() const {
    const bool trackingAnEdit =
        flags_.editTracking.load() && (editSampleTicks_ != 0 || lastEdit_.Load().index != -1);
    return trackingAnEdit || !pendingMessages_.Empty() || displayHoldAsked_.load() || displayHold_ ||
           (display_.idleDisplayNeedsTicks && display_.idleDisplayNeedsTicks());
}

bool Tolvane::ShowInputLoss() {
    if (!EditorOpen()) return false;
    screen_.AskUser(link::kTextMessagesLost, "", AskButtons::Ok);
    return true;
}

void Tolvane::EditorClosing() {
    if (Connected()) Send(sysex::BuildEditorClosing());
}

bool Tolvane::RequestAbout() {
    return TransferQuery(transfers_.requestAbout);
}

bool Tolvane::RequestManual() {
    return TransferQuery(transfers_.requestManual);
}

void Tolvane::HandleMenuCommand(MenuCommand command) {
    switch (command) {
    case MenuCommand::GlobalSettings:
        OpenGlobalSettings();
        break;
    case MenuCommand::ClearCacheData:
        ClearCacheData();
        break;
    default:
        if (transfers_.menuCommand) transfers_.menuCommand(command);
        break;
    }
}

bool Tolvane::HandleEditorCommand(EditorCommand command) {
    return display_.editorCommand && display_.editorCommand(command);
}

namespace {

// The user-IR slot number reaches the pedal in two steps, the second after
// the pedal's answer to the first; putting an old number back is not one edit.
constexpr bool IsUserIrSlotParam(int index) {
    return index >= kParamUserIr7PresetMsb && index <= kParamUserIr8Preset;
}

} // namespace

bool Tolvane::IsUndoable(int index) const {
    return (IsPresetParam(index) && !IsUserIrSlotParam(index)) || index == kParamCompression ||
           index == kParamIrSelectorInverted || IsGlobalParam(index) ||
           (index >= kFirstKnobCcParam && index < kFirstKnobCcParam + kNumKnobCcParams);
}

bool Tolvane::FencesHistory(int index) const {
    return IsUserIrSlotParam(index);
}

// ---- The periodic task ------------------------------------------------------------------

void Tolvane::OnDeviceTimer() {
    // 0. Transfers whose answer is overdue end here, so that none can hold
    //    the steps below for good.
    if (transfers_.watchTransfers) transfers_.watchTransfers();
    WatchBulkLoad();
    // 1. The deferred request for the user IR being edited; does not end the tick.
    if (irRequestPending_.exchange(false)) {
        if (irEditTargetA_.load())
            RequestIr(irSlotA_.load());
        else if (irEditTargetB_.load())
            RequestIr(irSlotB_.load());
    }
    // 2. Firmware update. Its page holds the link as connected while open, so
    //    a pedal in its boot loader (which answers no identification) is
    //    still reached.
    if (TransferQuery(transfers_.firmwareUpdateRunning)) {
        if (transfers_.sendNextFirmwareBlock) transfers_.sendNextFirmwareBlock();
        return;
    }
    // 5. Looking for the pedal, taken before the transfer steps so that
    //    nothing that runs keeps it from its turn: a transfer that finds the
    //    link not connected ends here, with a message, instead of waiting
    //    for a link that nothing restores.
    if (!Connected()) {
        if (transfers_.resetTransfers) transfers_.resetTransfers(link::LinkEnd::LinkLost);
        if (flags_.autoConnect.load()) {
            if (++pollCounter_ > kPollTicks) {
                pollCounter_ = 0;
                Send(sysex::BuildRequestSettingsBlock(sysex::settings::kIdentification));
            }
        } else {
            pollCounter_ = 0;
        }
        return;
    }
    // 3. Restore of a backup (connected).
    if (TransferQuery(transfers_.restoreRunning)) {
        if (TransferQuery(transfers_.restoreMaySend)) {
            if (bulkStartPending_.exchange(false))
                Send(sysex::BuildBulkTransfer(true));
            else if (transfers_.sendNextRestoreMessage)
                transfers_.sendNextRestoreMessage();
        }
        return;
    }
    // 4. Backup export (connected). While the presets of a connection are
    //    being read, every dump is that reading's: the export waits until the
    //    load (started by step 6) has ended.
    if (TransferQuery(transfers_.exportRunning) && !bulkLoadRunning_.load()) {
        if (transfers_.exportStep) transfers_.exportStep(Connected());
        return;
    }
    // 6. A bulk preset load waiting to start.
    if (bulkLoadRunning_.load() && bulkIndex_.load() == -1) {
        if (bulkStartPending_.exchange(false))
            Send(sysex::BuildBulkTransfer(true));
        else
            StartBulkLoad();
        return;
    }
    // 7. The IR upload.
    if (transfers_.irUploadStep) transfers_.irUploadStep();
}

void Tolvane::RequestIr(int number) {
    // The IR download sends the request when the transfers are wired.
    if (transfers_.requestIr)
        transfers_.requestIr(number);
    else
        Send(sysex::BuildRequestImpulseResponse(number));
}

// ---- Transfers started by the user ------------------------------------------------------

void Tolvane::ImportIrFile(int slot, int irPosition) {
    if (wiring_) wiring_->Upload().ImportWav(slot, irPosition);
}

void Tolvane::LoadFirmware(const std::string& path) {
    if (wiring_) wiring_->Firmware().LoadFirmware(path);
}

void Tolvane::CloseFirmwarePage() {
    if (wiring_) wiring_->Firmware().ClosePage();
}

void Tolvane::SavePresetFile() {
    if (wiring_) wiring_->PresetFile().SavePresetFile();
}

void Tolvane::LoadPresetFile() {
    if (wiring_) wiring_->PresetFile().LoadPresetFile();
}

// ---- Receive routes ----------------------------------------------------------------------

void Tolvane::OnSettingsBlock(const sysex::SysexBlockView& block, bool connected) {
    if (!connected)
        IdentificationReply(block);
    else
        SettingsBlock(block);
}

void Tolvane::OnIrNameBlock(const sysex::SysexBlockView& block) {
    if (transfers_.irNameBlock) transfers_.irNameBlock(block);
}

void Tolvane::OnNameMessage(std::string_view name) {
    if (EditorOpen()) screen_.SetTextByTag(link::kTagNameMessage, name);
}

void Tolvane::OnIrStream(const sysex::StreamMessageView& stream) {
    if (transfers_.irStream) transfers_.irStream(stream);
}

void Tolvane::OnParameterChanged(int index, int value) {
    ParameterChangedByPedal(index, value);
}

void Tolvane::OnApplicationStatus(std::uint8_t code) {
    namespace st = sysex::status;
    const bool restoring = TransferQuery(transfers_.restoreRunning);
    switch (code) {
    case st::kOperationFinished:
        if (EditorOpen()) {
            SetPendingMessage(link::kTextFinished);
            RequestSettingsBlock(sysex::settings::kGlobal);
        }
        return;
    case st::kIrNumberStepDone:
        IrNumberStepDone();
        return;
    case st::kError:
        if (EditorOpen()) SetPendingMessage(link::kTextError);
        return;
    case st::kBlockAccepted:
    case st::kBlockAcceptedAlt:
        // Outside a restore the pedal has taken a single block: the bulk ends.
        if (!restoring) {
            Send(sysex::BuildBulkTransfer(false));
            return;
        }
        break;
    case st::kBlockRejected:
    case st::kBlockRejectedAlt:
    case st::kBlockAcceptedContinue:
        // Nothing waits for these outside a restore.
        if (!restoring) return;
        break;
    default:
        break;
    }
    if (transfers_.transferStatus) transfers_.transferStatus(code);
}

void Tolvane::OnBootLoaderStatus(std::uint8_t code) {
    if (transfers_.bootLoaderStatus) transfers_.bootLoaderStatus(code);
}

// ---- Connection -----------------------------------------------------------------------------

void Tolvane::IdentificationReply(const sysex::SysexBlockView& block) {
    const int v = block.Byte6();
    char version[32];
    std::snprintf(version, sizeof version, "VERSION: %.1f", v / 10.0);
    if (EditorOpen()) {
        screen_.SetTextByTag(link::kTagDeviceLine, link::kTextDevice);
        screen_.SetTextByTag(link::kTagVersionLine, version);
        screen_.EnableGroup(link::kGroupPedal);
    }
    if (v / 10 < kLowestVersionMajor) {
        char text[96];
        std::snprintf(text, sizeof text, link::kTextUpgrade, kUpgradeToVersion);
        SetPendingMessage(text);
        return;
    }
    if (v / 10 > kHighestVersionMajor) {
        SetPendingMessage(link::kTextEditorOutOfDate);
        return;
    }
    if (!block.ChecksumValid()) return;
    switch (block.Index()) {
    case sysex::settings::kIdentification: {
        flags_.connected.store(true);
        keptBlocks_.ForgetAll();
        if (EditorOpen()) {
            const auto data = block.Data();
            constexpr std::string_view kSerialLabel = "SERIAL: ";
            char line[kSerialLabel.size() + kSerialLength];
            std::size_t n = kSerialLabel.copy(line, kSerialLabel.size());
            for (std::size_t i = 0; i < kSerialLength && data[kSerialOffset + i] != 0; ++i)
                line[n++] = static_cast<char>(data[kSerialOffset + i]);
            screen_.SetTextByTag(link::kTagSerialLine, std::string_view(line, n));
        }
        RequestSettingsBlock(sysex::settings::kPresetChecksums);
        break;
    }
    case sysex::settings::kGlobal: {
        // Only the three global tone settings; the apply flag keeps its state.
        const bool applying = flags_.applyFlag.exchange(true);
        const auto data = block.Data();
        ApplySettingValue(kParamSoftClipping, data[11]);
        ApplySettingValue(kParamAnalogSimGain, data[12]);
        ApplySettingValue(kParamAntiAliasingFilter, data[13]);
        flags_.applyFlag.store(applying);
        break;
    }
    default:
        break;
    }
}

void Tolvane::SetPendingMessage(std::string_view text) {
    PendingText entry{};
    const std::size_t n = std::min(text.size(), sizeof entry.text - 1);
    std::copy_n(text.data(), n, entry.text);
    pendingMessages_.Push(entry);
    WakeFrameworkTimer();
}

void Tolvane::ShowPendingMessage() {
    // Only the newest text is shown; older ones were replaced before showing.
    PendingText entry{};
    bool any = false;
    while (pendingMessages_.Pop(entry))
        any = true;
    if (any && EditorOpen()) screen_.AskUser(entry.text, "", AskButtons::Ok);
}

void Tolvane::Reconnect() {
    EndLink(link::LinkEnd::Reconnect);
    // Both ports are closed and opened again: a connection that carries
    // nothing any more (a port that went and came back) is made anew.
    ReopenMidiPorts();
    ShowLinkLines("", link::kTextConnecting);
}

void Tolvane::MidiPortsGone() {
    EndLink(link::LinkEnd::PortsGone);
    ShowLinkLines(link::kTextPortsGone, link::kTextWaitingForPorts);
}

void Tolvane::MidiPortsBack() {
    ShowLinkLines("", link::kTextConnecting);
}

void Tolvane::ShowHostMessage(const std::string& text) {
    std::fprintf(stderr, "Tolvane: %s\n", text.c_str());
    SetPendingMessage(text);
}

void Tolvane::EndLink(link::LinkEnd why) {
    // Nothing that was running may keep the periodic task from looking for
    // the pedal again.
    if (transfers_.resetTransfers) transfers_.resetTransfers(why);
    if (bulkLoadRunning_.exchange(false))
        EndBulkLoadEarly(why == link::LinkEnd::PortsGone ? link::kTextLoadStoppedPortsGone
                                                         : link::kTextLoadStoppedByReconnect);
    flags_.connected.store(false);
    flags_.autoConnect.store(true);
}

void Tolvane::ShowLinkLines(const char* device, const char* version) {
    if (!EditorOpen()) return;
    screen_.SetTextByTag(link::kTagDeviceLine, device);
    screen_.SetTextByTag(link::kTagSerialLine, "");
    screen_.SetTextByTag(link::kTagVersionLine, version);
    screen_.DisableGroup(link::kGroupPedal);
    screen_.HideGroup(link::kGroupProgress);
}

} // namespace tolvane
