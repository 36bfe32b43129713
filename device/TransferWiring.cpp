// Sections
//   1. Construction and the plug-in's call points
//   2. The IR slot view's rows
//   3. The components' hooks

#include "device/TransferWiring.h"

#include "device/ParamTable.h"
#include "device/Tolvane.h"

#include <algorithm>
#include <cstring>

namespace tolvane {

namespace {

constexpr int kSlotsPerBank = TransferWiring::kSlotViewRows;
// The pedal's factory impulse responses, 384 .. 391.
constexpr int kFactoryCabinets = 8;
constexpr const char* kNotConnected = "The pedal is not connected.\nNothing was sent.";
constexpr const char* kBackupRunning = "Export All or Import All is still running.\nNothing was started.";

// Trailing blanks and everything from a NUL on removed; seen in place.
std::string_view FieldView(const char* field, std::size_t size) {
    std::string_view text(field, strnlen(field, size));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string FieldText(const char* field, std::size_t size) {
    return std::string(FieldView(field, size));
}

} // namespace

// ---- 1. Construction and call points ------------------------------------------------

TransferWiring::TransferWiring(Tolvane& plugin, TransferFiles files)
    : plugin_(plugin), files_(std::move(files)),
      upload_(plugin.sender_, plugin.Screen(), *files_.irFiles, transfer_, plugin.SharedFlags(),
              plugin.irSamples_, UploadHooks()),
      firmware_(plugin.sender_, plugin.Screen(), transfer_, plugin.SharedFlags()),
      download_(plugin.sender_, plugin.Screen(), *files_.irFiles, DownloadHooks()),
      display_(plugin.Screen(), *files_.irFiles, plugin.Params(), plugin.irSamples_, DisplayHooks()),
      backup_(plugin.sender_, plugin.Screen(), plugin.SharedFlags(), plugin.BulkStartPendingFlag(),
              files_.dataFolder, BackupFileHooks()),
      presetFile_(plugin.Screen(), *files_.presetFiles, *files_.irFiles, plugin.Params(),
                  plugin.SharedFlags(), upload_, PresetHooks()) {
    refreshAction_ =
        plugin.ScreenQueue().AddAction([this](int irValue, int) { display_.RefreshIrDisplay(irValue); });
    loadSecondIrAction_ = plugin.ScreenQueue().AddAction([this](int, int) { presetFile_.LoadSecondIr(); });
    verifyRestoreAction_ = plugin.ScreenQueue().AddAction([this](int, int) {
        const std::string report = backup_.VerifyRestore();
        if (!report.empty()) plugin_.SetPendingMessage(report);
    });
    showBankAction_ = plugin.ScreenQueue().AddAction([this](int bank, int) { download_.ShowBank(bank); });
    clearCacheAction_ = plugin.ScreenQueue().AddAction([this](int, int) {
        plugin_.cache_.DeleteCachedFiles();
        plugin_.LabelPresetsFromSlotFiles();
    });
    FillCallPoints();
    // The cabinets' names are those of the factory IRs already in the cache.
    for (int k = 0; k < kFactoryCabinets; ++k)
        FactoryIrWritten(k);
}

void TransferWiring::FillCallPoints() {
    TransferCallPoints& t = plugin_.Transfers();
    // Periodic task, in the order of its steps.
    t.firmwareUpdateRunning = [this] { return firmware_.Running(); };
    t.sendNextFirmwareBlock = [this] { firmware_.OnTick(); };
    t.restoreRunning = [this] { return backup_.RestoreActive(); };
    t.restoreMaySend = [this] { return backup_.RestoreMaySend(); };
    t.sendNextRestoreMessage = [this] { backup_.OnRestoreTick(); };
    t.exportRunning = [this] { return backup_.ExportActive(); };
    // The export abandons itself when the link is not connected; the periodic
    // task holds it back while the presets of a connection are being read.
    t.exportStep = [this](bool) { backup_.OnExportTick(); };
    t.irUploadStep = [this] { upload_.OnTick(); };
    t.requestIr = [this](int number) { download_.RequestIr(number); };
    t.watchTransfers = [this] {
        firmware_.Watch();
        backup_.Watch();
        upload_.Watch();
        download_.Watch();
    };
    t.presetLoaded = [this](int slot, std::span<const std::uint8_t> record) {
        backup_.OnPresetReloaded(slot, record);
    };
    // The load ends on the clock: the check (which builds text) is queued.
    t.presetsLoaded = [this] { plugin_.ScreenQueue().RunOnUi(verifyRestoreAction_); };
    t.resetTransfers = [this](link::LinkEnd why) {
        firmware_.Cancel(why);
        backup_.Cancel(why);
        upload_.Cancel(why);
        download_.Cancel(why);
    };

    // Receive side. While an export runs, the answer to its request is kept
    // byte for byte; every other dump or stream is taken as it is without an
    // export (the screen follows the pedal's preset).
    t.exportPresetDump = [this](const sysex::SysexBlockView& block) {
        if (!backup_.OnExportMessage(block.Message())) plugin_.NormalPresetDump(block);
    };
    t.irStream = [this](const sysex::StreamMessageView& stream) {
        if (!backup_.OnExportMessage(stream.message)) download_.OnStreamMessage(stream);
    };
    t.irNameBlock = [this](const sysex::SysexBlockView& block) { download_.OnNameBlock(block); };
    // The block statuses belong to a running restore; the IR statuses to the upload.
    t.transferStatus = [this](std::uint8_t code) {
        if (!backup_.OnStatus(code)) upload_.OnStatus(code);
    };
    t.bootLoaderStatus = [this](std::uint8_t code) { firmware_.OnBootLoaderStatus(code); };

    t.refreshIrDisplay = [this](int irValue) { plugin_.ScreenQueue().RunOnUi(refreshAction_, irValue); };
    t.showIrBank = [this](int bank) { plugin_.ScreenQueue().RunOnUi(showBankAction_, bank); };
    t.slotViewName = [this](int slot) { return SlotViewName(slot); };

    // Import All and Export All need the pedal: without the link they would
    // wait for it. They share one buffer, so one runs at a time. The firmware
    // page opens regardless, since a pedal held in its boot loader answers no
    // identification and is reached only there.
    t.menuCommand = [this](MenuCommand command) {
        const bool backup =
            command == MenuCommand::ImportAllPresets || command == MenuCommand::ExportAllPresets;
        const char* refusal = !backup                                             ? nullptr
                              : !plugin_.Connected()                              ? kNotConnected
                              : backup_.ExportActive() || backup_.RestoreActive() ? kBackupRunning
                                                                                  : nullptr;
        if (refusal) {
            plugin_.Screen().AskUser(refusal, "", AskButtons::Ok);
            return;
        }
        switch (command) {
        case MenuCommand::FirmwareUpdate:
            firmware_.OpenPage();
            break;
        case MenuCommand::ImportAllPresets:
            backup_.ImportAll();
            break;
        case MenuCommand::ExportAllPresets:
            backup_.ExportAll();
            break;
        default:
            break;
        }
    };
}

// ---- 2. IR slot view --------------------------------------------------------------------

void TransferWiring::SetSlotViewRow(int row, std::string_view text) {
    if (row < 0 || row >= kSlotViewRows) return;
    RowText entry;
    entry.set = true;
    text.copy(entry.text, sizeof entry.text - 1);
    rows_[static_cast<std::size_t>(row)].Store(entry);
    if (plugin_.Display().irSlotViewChanged) plugin_.Display().irSlotViewChanged(row);
}

std::string TransferWiring::SlotViewName(int slot) {
    return std::string(SlotViewTextOf(slot).View());
}

SlotViewText TransferWiring::SlotViewTextOf(int slot) {
    SlotViewText shown;
    if (slot >= 0 && slot / kSlotsPerBank == Param(kParamCustomIrBank)) {
        const RowText row = rows_[static_cast<std::size_t>(slot % kSlotsPerBank)].Load();
        if (row.set) {
            std::memcpy(shown.text, row.text, sizeof shown.text);
            return shown;
        }
    }
    const NameText name = plugin_.cache_.UserIrName(slot);
    std::memcpy(shown.text, name.data(), name.size());
    return shown;
}

// ---- 3. Hooks ------------------------------------------------------------------------------

int TransferWiring::Param(int index) const {
    return plugin_.ParamInt(index);
}

int TransferWiring::UserIrNumber(int highIndex, int lowIndex) const {
    return Param(highIndex) * 128 + Param(lowIndex);
}

void TransferWiring::Refresh() {
    plugin_.ScreenQueue().RunOnUi(refreshAction_, Param(kParamIr));
}

void TransferWiring::FactoryIrWritten(int factoryIndex) {
    // Read from the cache's mirror: a download calls this on the clock.
    NameText name;
    if (!plugin_.cache_.RecordName(ir::kFirstFactoryNumber + factoryIndex, name)) return;
    // Entry 0 of the factory names is the flat response; the cabinets follow.
    plugin_.SetFactoryIrName(factoryIndex + 1, FieldView(name.data(), name.size()));
}

IrUploadHooks TransferWiring::UploadHooks() {
    IrUploadHooks h;
    h.irEditTarget = [this] {
        if (plugin_.irEditTargetA_.load()) return 7;
        return plugin_.irEditTargetB_.load() ? 8 : 0;
    };
    h.userIrNameChanged = [this](int slot, const std::string& name) {
        // The cache file already holds the name; the slot view and the IR
        // name kept for Store preset follow it.
        if (slot / kSlotsPerBank == Param(kParamCustomIrBank)) SetSlotViewRow(slot % kSlotsPerBank, name);
        plugin_.SetIrNameText(plugin_.irEditTargetA_.load() ? 0 : 1, name);
    };
    h.refreshIrDisplay = [this] { Refresh(); };
    h.sendStorePreset = [this] { plugin_.StorePreset(); };
    h.loadSecondIr = [this] { plugin_.ScreenQueue().RunOnUi(loadSecondIrAction_); };
    h.pointPositionAt = [this](int position, int slot) { plugin_.TargetUserIrSlot(position == 7, slot); };
    h.otherPresetsUsing = [this](int slot) {
        std::vector<int> shown;
        for (const int preset : files_.irFiles->PresetsUsingUserIr(slot))
            if (preset != plugin_.CurrentPreset()) shown.push_back(plugin_.PatchOffset() + preset);
        return shown;
    };
    return h;
}

IrDownloadHooks TransferWiring::DownloadHooks() {
    IrDownloadHooks h;
    h.setSlotViewRow = [this](int row, std::string_view text) { SetSlotViewRow(row, text); };
    h.userIrName = [this](int slot) { return FromNameText(plugin_.cache_.UserIrName(slot)); };
    h.selectedSlot = [this] { return upload_.SelectedSlot(); };
    h.factoryIrWritten = [this](int k) { FactoryIrWritten(k); };
    h.refreshIrDisplay = [this] { Refresh(); };
    h.positionBOn = [this] { return Param(kParamIrMode8) != 0; };
    h.irSlotB = [this] { return UserIrNumber(kParamUserIr8PresetMsb, kParamUserIr8Preset); };
    return h;
}

IrDisplayHooks TransferWiring::DisplayHooks() {
    IrDisplayHooks h;
    h.irSlotA = [this] { return UserIrNumber(kParamUserIr7PresetMsb, kParamUserIr7Preset); };
    h.irSlotB = [this] { return UserIrNumber(kParamUserIr8PresetMsb, kParamUserIr8Preset); };
    h.samplesChanged = [this] {
        if (plugin_.Display().irSamplesChanged) plugin_.Display().irSamplesChanged();
    };
    return h;
}

BackupHooks TransferWiring::BackupFileHooks() {
    BackupHooks h;
    h.readFile = files_.readBackup;
    h.writeFile = files_.writeBackup;
    h.fileSize = files_.fileSize;
    // The end of a restore: the caches no longer match the pedal, so the next
    // connection loads every preset again. A restore ends on the clock (the
    // pedal's last status) or on the user-interface thread; the files are
    // deleted on the latter.
    h.clearCacheAndRelabel = [this] { plugin_.ScreenQueue().RunOnUi(clearCacheAction_); };
    return h;
}

PresetFileHooks TransferWiring::PresetHooks() {
    PresetFileHooks h;
    h.presetNameText = [this] {
        const NameText name = plugin_.presetName_.Load();
        return FieldText(name.data(), name.size());
    };
    h.irPositionName = [this](int position) {
        const NameText name = plugin_.irNameText_[position == 7 ? 0 : 1].Load();
        return FieldText(name.data(), name.size());
    };
    h.currentPreset = [this] { return plugin_.CurrentPreset(); };
    h.applyFileValue = [this](int index, int value) {
        plugin_.deviceValueCache_[static_cast<std::size_t>(index)] = value;
        plugin_.ApplyValue(index, value);
    };
    h.setIrPositionName = [this](int position, const std::string& name) {
        plugin_.SetIrNameText(position == 7 ? 0 : 1, name);
    };
    h.presetNameChanged = [this](const std::string& name) { plugin_.SetPresetNameText(name); };
    h.setPendingMessage = [this](const std::string& text) { plugin_.SetPendingMessage(text); };
    h.sendStorePreset = [this] { plugin_.StorePreset(); };
    return h;
}

} // namespace tolvane
