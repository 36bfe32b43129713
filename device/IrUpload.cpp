#include "device/IrUpload.h"

#include "device/LinkTags.h"
#include "device/SysexBuilders.h"
#include "device/TransferTimeouts.h"

#include <cstdio>

namespace tolvane {
namespace {

constexpr int kFactorySlots = 8;
constexpr const char* kWavRefused = "This file cannot be read as a WAV file.\nNothing was sent.";
constexpr const char* kWavTooLarge =
    "This WAV file is larger than 16 MiB, far more than an impulse response needs.\nNothing was sent.";
constexpr const char* kNoAnswer = "The impulse response did not reach the pedal: it did not answer.";
constexpr const char* kByReconnect = "The impulse response upload was stopped by RECONNECT.";
constexpr const char* kPortsGone = "The impulse response upload stopped: the pedal's MIDI ports went away.";
constexpr const char* kLinkLost = "The impulse response upload stopped: the link to the pedal was lost.";
constexpr const char* kSharedSlot = "The user IR slot this import replaces is also used by preset";
constexpr const char* kSharedSlotQuestion = ".\nThey will play the imported IR too. Replace it?";
// Presets named in the question; the rest are counted.
constexpr std::size_t kPresetsNamed = 16;
constexpr const char* kNotCached =
    "The impulse response could not be saved in the data folder (not writable or disk full).\nNothing was sent.";

std::string Percent(double fraction) {
    char text[16];
    std::snprintf(text, sizeof text, "%d %%", static_cast<int>(fraction * 100.0));
    return text;
}

std::string SharedSlotQuestion(const std::vector<int>& presets) {
    std::string text = kSharedSlot;
    text += presets.size() > 1 ? "s " : " ";
    for (std::size_t i = 0; i < presets.size() && i < kPresetsNamed; ++i)
        text += (i ? ", " : "") + std::to_string(presets[i]);
    if (presets.size() > kPresetsNamed)
        text += " and " + std::to_string(presets.size() - kPresetsNamed) + " more";
    return text + kSharedSlotQuestion;
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

void IrUpload::ImportWav(int slot, int irPosition) {
    std::string directory;
    if (const std::size_t slash = lastWavPath_.find_last_of("/\\"); slash != std::string::npos)
        directory = lastWavPath_.substr(0, slash);
    const std::string path = editor_.AskForFile(FileAction::Open, "wav", directory, "");
    if (path.empty()) return;
    lastWavPath_ = path;
    // Read aside: the shared buffer is what the IR display draws, and the
    // user may still decline below.
    IrSampleBuffer read{};
    switch (files_.ParseWav(path, read)) {
    case WavLoad::Ok:
        break;
    case WavLoad::Rejected:
        editor_.AskUser(kWavRefused, "", AskButtons::Ok);
        return;
    case WavLoad::TooLarge:
        editor_.AskUser(kWavTooLarge, "", AskButtons::Ok);
        return;
    }
    if (!OthersAgreeToLose(slot)) return;
    // The preset's IR position follows the slot only now: before, the pedal
    // would point it at a slot that may never get this IR.
    selectedSlot_ = slot;
    if ((irPosition == 7 || irPosition == 8) && hooks_.pointPositionAt)
        hooks_.pointPositionAt(irPosition, slot);
    samples_ = read;
    StoreAndSendIr(NameFromPath(path), slot);
}

bool IrUpload::OthersAgreeToLose(int slot) {
    if (slot >= ir::kFirstFactoryNumber || !hooks_.otherPresetsUsing) return true;
    const std::vector<int> others = hooks_.otherPresetsUsing(slot);
    return others.empty() ||
           editor_.AskUser(SharedSlotQuestion(others), "", AskButtons::OkCancel) == AskResult::Ok;
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
    wait_ = Wait::None;
    uploadSlot_ = slot;
    previousRecord_ = files_.ReadIrRecord(slot);
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
        waitTicks_ = 0;
        wait_ = Wait::Ready;
        editor_.SetTextByTag(link::kTagProgressCaption, link::kTextSendingIr);
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
        waitTicks_ = 0;
        wait_ = Wait::Assignment;
        editor_.SetControlValueByTag(link::kTagProgressKnob, 0.0);
        editor_.SetTextByTag(link::kTagProgressText, "0 %");
        editor_.HideGroup(link::kGroupProgress);
    } else {
        // Everything has been sent: a late Ready for next IR block has nothing to release.
        maySend_ = false;
    }
}

void IrUpload::Watch() {
    if (wait_ == Wait::None) {
        waitTicks_ = 0;
        return;
    }
    if (++waitTicks_ >= kAnswerTimeoutTicks) Stop(kNoAnswer);
}

bool IrUpload::Active() const {
    // A Ready for next IR block with nothing left to send sets the send flag
    // without starting anything.
    return wait_ != Wait::None || (maySend_ && transfer_.remaining > 0);
}

void IrUpload::Cancel(link::LinkEnd why) {
    if (!Active()) return;
    Stop(why == link::LinkEnd::PortsGone  ? kPortsGone
         : why == link::LinkEnd::LinkLost ? kLinkLost
                                          : kByReconnect);
}

void IrUpload::Stop(const char* reason) {
    const Wait was = wait_.exchange(Wait::None);
    maySend_ = false;
    pendingA_ = false;
    pendingB_ = false;
    transfer_.total = transfer_.remaining = transfer_.position = 0;
    // Once the pedal had the whole stream only its confirmation is missing;
    // before that it keeps its old IR, and so does the library.
    const bool pedalHasAll = was == Wait::Assignment;
    if (!pedalHasAll) {
        if (previousRecord_)
            files_.WriteIrRecord(uploadSlot_, *previousRecord_);
        else
            files_.RemoveIrRecord(uploadSlot_);
    }
    editor_.SetControlValueByTag(link::kTagProgressKnob, 0.0);
    editor_.SetTextByTag(link::kTagProgressText, "0 %");
    editor_.HideGroup(link::kGroupProgress);
    const std::string text = std::string(reason) + (pedalHasAll ? "\nIt was sent whole but not confirmed." :
                                                                  "\nThe pedal and the library keep their earlier IR.");
    editor_.AskUser(text, "", AskButtons::Ok);
}

void IrUpload::SetPendingAssignments(bool positionA, bool positionB) {
    pendingA_ = positionA;
    pendingB_ = positionB;
}

bool IrUpload::OnStatus(std::uint8_t code) {
    if (code == sysex::status::kReadyForNextIrBlock) {
        Wait ready = Wait::Ready;
        wait_.compare_exchange_strong(ready, Wait::None);
        maySend_ = true;
        return true;
    }
    if (code == sysex::status::kIrAssignmentDone) {
        wait_ = Wait::None;
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
