#include "device/IrUpload.h"

#include "device/LinkTags.h"
#include "device/SysexBuilders.h"

#include <cstdio>

namespace tolvane {
namespace {

constexpr int kSlotViewRows = 32;
constexpr int kFactorySlots = 8;
constexpr const char* kWavRefused = "This file cannot be read as a WAV file.\nNothing was sent.";
constexpr const char* kWavTooLarge =
    "This WAV file is larger than 16 MiB, far more than an impulse response needs.\nNothing was sent.";
constexpr const char* kNotCached =
    "The impulse response could not be saved in the data folder (not writable or disk full).\nNothing was sent.";

std::string Percent(double fraction) {
    char text[16];
    std::snprintf(text, sizeof text, "%d %%", static_cast<int>(fraction * 100.0));
    return text;
}

} // namespace

IrUpload::IrUpload(ISysExSender& sender, IEditorSeam& editor, IIrFiles& files, TransferBuffer& transfer,
                   LinkFlags& link, IrSampleBuffer& samples, IrUploadHooks hooks)
    : sender_(sender), editor_(editor), files_(files), transfer_(transfer), link_(link), samples_(samples),
      hooks_(std::move(hooks)) {}

std::string IrUpload::NameFromPath(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    name.resize(name.size() >= 4 ? name.size() - 4 : 0);
    return ir::PadName(name);
}

void IrUpload::ImportWav() {
    std::string directory;
    if (const std::size_t slash = lastWavPath_.find_last_of("/\\"); slash != std::string::npos)
        directory = lastWavPath_.substr(0, slash);
    const std::string path = editor_.AskForFile(FileAction::Open, "wav", directory, "");
    if (path.empty()) return;
    lastWavPath_ = path;
    // A rejected file would otherwise upload whatever the buffer held before
    // under this file's name.
    switch (files_.ParseWav(path, samples_)) {
    case WavLoad::Ok:
        break;
    case WavLoad::Rejected:
        editor_.AskUser(kWavRefused, "", AskButtons::Ok);
        return;
    case WavLoad::TooLarge:
        editor_.AskUser(kWavTooLarge, "", AskButtons::Ok);
        return;
    }
    StoreAndSendIr(NameFromPath(path), selectedSlot_);
}

void IrUpload::StoreAndSendIr(const std::string& name, int slot) {
    StoreAndSend(name, slot, ir::ComputeGain(samples_));
}

void IrUpload::StoreAndSendRecord(const ir::RecordBytes& record, int slot) {
    double gain = 1.0;
    ir::ReadRecordSamples(record, samples_, gain);
    const std::string name(reinterpret_cast<const char*>(record.data() + ir::kNameOffset), ir::kNameLength);
    StoreAndSend(name, slot, gain);
}

void IrUpload::StoreAndSend(const std::string& name, int slot, double gain) {
    gain_ = gain;
    const ir::RecordBytes record = ir::BuildRecord(samples_, gain_, name);
    maySend_ = false;
    // The pedal gets only what the library keeps, so that the two agree.
    if (!files_.WriteIrRecord(slot, record)) {
        pendingA_ = false;
        pendingB_ = false;
        editor_.AskUser(kNotCached, "", AskButtons::Ok);
        return;
    }

    transfer_.Fill(record);
    if (link_.connected) maySend_ = true;

    const std::string trimmed = ir::TrimName(ir::PadName(name));
    if (!editor_.IsEditorOpen()) return;
    const int target = hooks_.irEditTarget ? hooks_.irEditTarget() : 0;
    if (target == 7 || target == 8) {
        if (hooks_.userIrNameChanged) hooks_.userIrNameChanged(slot, trimmed);
        editor_.SetTextByTag(target == 7 ? link::kTagIrName7 : link::kTagIrName8, trimmed);
    }
    if (slot >= ir::kFirstFactoryNumber && slot < ir::kFirstFactoryNumber + kFactorySlots)
        editor_.SetTextByTag(link::kTagIrRowBase + 1 + (slot & 127), trimmed); // rows 1..8
}

void IrUpload::ShowProgress() {
    const double fraction = static_cast<double>(transfer_.position) / transfer_.total;
    editor_.SetControlValueByTag(link::kTagProgressKnob, fraction);
    editor_.SetTextByTag(link::kTagProgressText, Percent(fraction));
}

void IrUpload::OnTick() {
    if (!maySend_ || transfer_.total == 0) return;
    using namespace sysex;
    if (transfer_.position == 0) {
        const auto message =
            BuildStreamStart(kTargetApplication, command::kIrStreamStart, selectedSlot_,
                             static_cast<std::uint32_t>(transfer_.total), transfer_.Peek(kStreamChunk));
        sender_.SendSysEx(message.data(), message.size());
        transfer_.Advance(kStreamChunk);
        maySend_ = false;
        editor_.ShowGroup(link::kGroupProgress);
        ShowProgress();
    } else if (transfer_.remaining > static_cast<int>(kStreamChunk)) {
        const auto message =
            BuildStreamData(kTargetApplication, command::kIrStreamData, transfer_.Peek(kStreamChunk));
        sender_.SendSysEx(message.data(), message.size());
        transfer_.Advance(kStreamChunk);
        ShowProgress();
    } else if (transfer_.remaining > 0) {
        const int checksum = Join14(transfer_.checksumHigh, transfer_.checksumLow);
        const auto message =
            BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, transfer_.Peek(kStreamChunk), checksum);
        sender_.SendSysEx(message.data(), message.size());
        transfer_.Advance(static_cast<std::size_t>(transfer_.remaining));
        maySend_ = false;
        editor_.SetControlValueByTag(link::kTagProgressKnob, 0.0);
        editor_.SetTextByTag(link::kTagProgressText, "0 %");
        editor_.HideGroup(link::kGroupProgress);
    } else {
        // Everything has been sent: a late Ready for next IR block has nothing to release.
        maySend_ = false;
    }
}

void IrUpload::SetPendingAssignments(bool positionA, bool positionB) {
    pendingA_ = positionA;
    pendingB_ = positionB;
}

bool IrUpload::OnStatus(std::uint8_t code) {
    if (code == sysex::status::kReadyForNextIrBlock) {
        maySend_ = true;
        return true;
    }
    if (code == sysex::status::kIrAssignmentDone) {
        OnAssignmentDone();
        return true;
    }
    return false;
}

void IrUpload::OnAssignmentDone() {
    auto refresh = [this] {
        if (hooks_.refreshIrDisplay) hooks_.refreshIrDisplay();
    };
    auto store = [this] {
        if (hooks_.sendStorePreset) hooks_.sendStorePreset();
    };
    if (pendingA_) {
        pendingA_ = false;
        if (pendingB_) {
            if (hooks_.loadSecondIr) hooks_.loadSecondIr();
            return;
        }
        refresh();
        store();
    } else if (pendingB_) {
        pendingB_ = false;
        refresh();
        store();
    } else {
        refresh();
    }
}

} // namespace tolvane
