#include "device/PresetFileTransfer.h"

#include "device/FileNames.h"
#include "device/LinkTags.h"
#include "device/ParamTable.h"

#include <filesystem>

namespace tolvane {
namespace {

// White with alpha 100: the preset differs from its stored version.
// A user IR number high part of 0 or 1: one of the slots a file can carry.
constexpr int kHighestFileSlotHigh = 1;

constexpr const char* kUnknownFormat = "Unknown file format.";
constexpr const char* kNotOpened = "This preset file cannot be opened.\nNothing was loaded.";
constexpr const char* kTooLarge = "This file is too large to be a preset file.\nNothing was loaded.";
// User IR numbers from here on are the pedal's factory cabinets, which a
// preset file must not replace.
constexpr int kFirstNonUserIr = ir::kFirstFactoryNumber;
constexpr const char* kUnsupportedVersion =
    "Unsupported file version. \nPlease update Tolvane \nto the latest version.";
constexpr const char* kNotWritten =
    "The preset file could not be written (folder not writable or disk full).\nAn earlier file is unchanged.";
constexpr const char* kOverwriteIr =
    "This operation will overwrite the currently selected User IR. \nContinue without saving?";

std::string FileStem(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

std::string Directory(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

PresetFileTransfer::PresetFileTransfer(IEditorSeam& editor, IPresetFileStore& store, IIrFiles& files,
                                       const ParamList& params, LinkFlags& link, IrUpload& upload,
                                       PresetFileHooks hooks)
    : editor_(editor), store_(store), files_(files), params_(params), link_(link), upload_(upload),
      hooks_(std::move(hooks)) {}

int PresetFileTransfer::Value(int index) const {
    const Param* param = params_.GetParam(index);
    return param ? param->Int() : 0;
}

void PresetFileTransfer::SavePresetFile() {
    // The preset's name may come from an imported file or from the pedal: it
    // is proposed as a bare file name in the folder the user chose last.
    const std::string presetName = hooks_.presetNameText ? hooks_.presetNameText() : std::string();
    const std::string chosen =
        editor_.AskForFile(FileAction::Save, "dvp", Directory(lastPath_), ProposedFileName(presetName));
    if (chosen.empty()) return;
    const std::string path = WithExtension(chosen, "dvp");
    lastPath_ = path;

    PresetFileContent content;
    const std::string stem = FileStem(path);
    content.name = ir::PadName(stem);
    for (int i = 0; i < kPresetFileValues; ++i)
        content.values[i] = static_cast<std::uint8_t>(Value(i) & 0xFF);
    const bool onA = Value(kParamIrMode7) != 0;
    const bool onB = Value(kParamIrMode8) != 0;
    content.irName7 = ir::PadName(onA && hooks_.irPositionName ? hooks_.irPositionName(7) : "");
    content.irName8 = ir::PadName(onB && hooks_.irPositionName ? hooks_.irPositionName(8) : "");
    auto appendRecord = [&](bool on, int high, int low) {
        if (!on || high > kHighestFileSlotHigh) return;
        if (const auto record = files_.ReadIrRecord(high * 128 + low)) content.records.push_back(*record);
    };
    appendRecord(onA, Value(kParamUserIr7PresetMsb), Value(kParamUserIr7Preset));
    appendRecord(onB, Value(kParamUserIr8PresetMsb), Value(kParamUserIr8Preset));

    if (!store_.Write(path, content)) {
        editor_.AskUser(kNotWritten, "", AskButtons::Ok);
        return;
    }
    // The file carries the name the user typed; the preset keeps its own.
    link_.presetModified = false;
}

void PresetFileTransfer::LoadPresetFile() {
    const std::string path = editor_.AskForFile(FileAction::Open, "dvp", Directory(lastPath_), "");
    if (path.empty()) return;
    lastPath_ = path;

    PresetFileContent content;
    switch (store_.Read(path, content)) {
    case PresetFileRead::NotReadable:
        editor_.AskUser(kNotOpened, "", AskButtons::Ok);
        return;
    case PresetFileRead::TooLarge:
        editor_.AskUser(kTooLarge, "", AskButtons::Ok);
        return;
    case PresetFileRead::UnknownFormat:
        if (hooks_.setPendingMessage) hooks_.setPendingMessage(kUnknownFormat);
        return;
    case PresetFileRead::UnsupportedVersion:
        editor_.AskUser(kUnsupportedVersion, "", AskButtons::Ok);
        return;
    case PresetFileRead::Ok:
        break;
    }
    // Numbers with a high part of 0 or 1 are redirected to the preset's own
    // slots below; any other number a position uses must be a user slot.
    auto outsideUserSlots = [&](int mode, int high, int low) {
        return content.values[mode] != 0 && content.values[high] > kHighestFileSlotHigh &&
               content.values[high] * 128 + content.values[low] >= kFirstNonUserIr;
    };
    if (outsideUserSlots(kParamIrMode7, kParamUserIr7PresetMsb, kParamUserIr7Preset) ||
        outsideUserSlots(kParamIrMode8, kParamUserIr8PresetMsb, kParamUserIr8Preset)) {
        if (hooks_.setPendingMessage) hooks_.setPendingMessage(kUnknownFormat);
        return;
    }
    if (link_.presetModified &&
        editor_.AskUser(link::kTextPresetNotSaved, "", AskButtons::OkCancel) == AskResult::Cancel)
        return;
    bool overwritesIr = false;
    if (Value(kParamIrMode7) != 0)
        overwritesIr = content.values[kParamIrMode7] != 0;
    else if (Value(kParamIrMode8) != 0)
        overwritesIr = content.values[kParamIrMode8] != 0;
    if (overwritesIr && editor_.AskUser(kOverwriteIr, "", AskButtons::OkCancel) == AskResult::Cancel) return;

    // The file's IRs go to the current preset's own slots: p and 128 + p.
    const int p = hooks_.currentPreset ? hooks_.currentPreset() : 0;
    if (content.values[kParamUserIr7PresetMsb] < 2) {
        content.values[kParamUserIr7PresetMsb] = 0;
        content.values[kParamUserIr7Preset] = static_cast<std::uint8_t>(p);
    }
    if (content.values[kParamUserIr8PresetMsb] < 2) {
        content.values[kParamUserIr8PresetMsb] = 1;
        content.values[kParamUserIr8Preset] = static_cast<std::uint8_t>(p);
    }

    link_.applyFlag = true;
    for (int i = 0; i < kPresetFileValues; ++i) {
        link_.editTracking = false;
        if (hooks_.applyFileValue) hooks_.applyFileValue(i, static_cast<std::int8_t>(content.values[i]));
        link_.editTracking = true;
    }
    link_.applyFlag = false;

    link_.presetModified = true;
    editor_.SetTextColourByTag(link::kTagNumberDisplay, link::kColourDisplayModified);
    editor_.SetTextByTag(link::kTagPresetName, ir::TrimName(content.name));
    if (hooks_.presetNameChanged) hooks_.presetNameChanged(ir::TrimName(content.name));
    const bool onA = content.values[kParamIrMode7] != 0;
    const bool onB = content.values[kParamIrMode8] != 0;
    if (onA) {
        const std::string name = ir::TrimName(content.irName7);
        if (hooks_.setIrPositionName) hooks_.setIrPositionName(7, name);
        editor_.SetTextByTag(link::kTagIrName7, name);
    }
    if (onB) {
        const std::string name = ir::TrimName(content.irName8);
        if (hooks_.setIrPositionName) hooks_.setIrPositionName(8, name);
        editor_.SetTextByTag(link::kTagIrName8, name);
    }

    if (content.records.empty()) {
        if (link_.connected && hooks_.sendStorePreset) hooks_.sendStorePreset();
        return;
    }
    if (onA) {
        upload_.SetPendingAssignments(true, onB);
        UploadRecord(content.records.front(),
                     content.values[kParamUserIr7PresetMsb] * 128 + content.values[kParamUserIr7Preset]);
    } else if (onB) {
        upload_.SetPendingAssignments(false, true);
        UploadRecord(content.records.front(),
                     content.values[kParamUserIr8PresetMsb] * 128 + content.values[kParamUserIr8Preset]);
    }
}

void PresetFileTransfer::UploadRecord(const ir::RecordBytes& record, int slot) {
    upload_.SetSelectedSlot(slot);
    upload_.StoreAndSendRecord(record, slot);
}

void PresetFileTransfer::LoadSecondIr() {
    PresetFileContent content;
    if (lastPath_.empty() || store_.Read(lastPath_, content) != PresetFileRead::Ok || content.records.empty())
        return;
    // A file with one record gives it to both positions.
    UploadRecord(content.records.back(), Value(kParamUserIr8PresetMsb) * 128 + Value(kParamUserIr8Preset));
}

} // namespace tolvane
