#include "device/BackupTransfer.h"

#include "device/FileNames.h"
#include "device/LinkTags.h"
#include "device/SysexBuilders.h"
#include "device/SysexChecksum.h"
#include "device/TransferTimeouts.h"

#include <algorithm>

#include <cstdio>
#include <filesystem>

// Sections: 1. export  2. restore

namespace tolvane {
namespace {

constexpr const char* kCommunicationError = "Communication error!";
constexpr const char* kOverwriteQuestion =
    "This operation will overwrite the current Presets!\nAre you sure to continue?";
constexpr const char* kExportAnswerTooLarge =
    "Export All stopped: the pedal sent an answer larger than any IR.";
constexpr const char* kExportNotWritten =
    "The backup file could not be written (folder not writable or disk full).\nAn earlier file is unchanged.";
constexpr const char* kNotABackup = "This file is not a backup of the pedal.\nNothing was sent.";
constexpr const char* kExportNoAnswer = "Export All stopped: the pedal did not answer.";
constexpr const char* kExportLinkLost = "Export All stopped: the link to the pedal was lost.";
constexpr const char* kExportByReconnect = "Export All stopped by RECONNECT.";
constexpr const char* kExportPortsGone = "Export All stopped: the pedal's MIDI ports went away.";
constexpr const char* kRestoreNoAnswer = "Import All stopped: the pedal did not answer.";
constexpr const char* kRestoreByReconnect = "Import All stopped by RECONNECT.";
constexpr const char* kRestorePortsGone = "Import All stopped: the pedal's MIDI ports went away.";
constexpr const char* kRestoreLinkLost = "Import All stopped: the link to the pedal was lost.";
constexpr const char* kExportUnreadable =
    "The backup file was written but does not read back as a backup.\nPlease export again.";
constexpr const char* kNotOpened = "This backup file cannot be opened.\nNothing was sent.";
constexpr const char* kTooLarge =
    "This file is larger than 1 MiB and cannot be a backup of the pedal.\nNothing was sent.";

} // namespace

BackupTransfer::BackupTransfer(ISysExSender& sender, IEditorSeam& editor, LinkFlags& link,
                               std::atomic<bool>& bulkStartPending, std::string dataFolder, BackupHooks hooks)
    : sender_(sender), editor_(editor), link_(link), bulkStartPending_(bulkStartPending),
      dataFolder_(std::move(dataFolder)), hooks_(std::move(hooks)) {}

void BackupTransfer::Progress(double fraction) {
    editor_.SetControlValueByTag(link::kTagProgressKnob, fraction);
    char text[16];
    std::snprintf(text, sizeof text, "%d %%", static_cast<int>(fraction * 100.0));
    editor_.SetTextByTag(link::kTagProgressText, text);
}

// ---- 1. export ----

// The word of answerState_: the phase in bits 0-1, an IR (rather than a
// preset) asked for in bit 2, its slot in bits 3-11, and from bit 12 a count of
// the requests. The count keeps an answer that arrives after its request was
// given up from being taken for the next one.
namespace {

enum : std::uint32_t { kIdle = 0, kWaiting = 1, kAnswered = 2, kOversized = 3 };
constexpr std::uint32_t kPhaseBits = 3;
constexpr std::uint32_t kIrBit = 4;
constexpr int kSlotShift = 3;
constexpr std::uint32_t kSlotMask = 0x1FF;
constexpr int kCountShift = 12;

constexpr std::uint32_t Phase(std::uint32_t word) {
    return word & kPhaseBits;
}
constexpr std::uint32_t WithPhase(std::uint32_t word, std::uint32_t phase) {
    return (word & ~kPhaseBits) | phase;
}
constexpr bool ForIr(std::uint32_t word) {
    return (word & kIrBit) != 0;
}
constexpr int Slot(std::uint32_t word) {
    return static_cast<int>((word >> kSlotShift) & kSlotMask);
}
// The word after previous: the next count, phase as given.
constexpr std::uint32_t Next(std::uint32_t previous, std::uint32_t phase, bool ir = false, int slot = 0) {
    return (((previous >> kCountShift) + 1) << kCountShift) |
           (static_cast<std::uint32_t>(slot) << kSlotShift) | (ir ? kIrBit : 0) | phase;
}

} // namespace

void BackupTransfer::ExportAll() {
    // One backup transfer at a time: both use the one buffer.
    if (exportActive_ || restoreActive_) return;
    const std::string proposed = lastBackupPath_.empty() ? kDefaultName : lastBackupPath_;
    const std::string chosen = editor_.AskForFile(FileAction::Save, "dvb", dataFolder_, proposed);
    if (chosen.empty()) return;
    lastBackupPath_ = exportPath_ = WithExtension(chosen, "dvb");
    buffer_.clear();
    buffer_.reserve(backup::kBufferSize);
    presetCounter_ = 0;
    presetsReceived_ = 0;
    irCounter_ = 0;
    neededIr_.fill(false);
    answerState_.store(Next(answerState_.load(), kIdle));
    exportActive_ = true;
}

void BackupTransfer::OnExportTick() {
    if (!exportActive_) return;
    if (!link_.connected) {
        AbandonExport(kExportLinkLost);
        return;
    }
    const std::uint32_t request = answerState_.load(std::memory_order_acquire);
    switch (Phase(request)) {
    case kWaiting:
        return;
    case kOversized:
        AbandonExport(kExportAnswerTooLarge);
        return;
    case kAnswered:
        TakeAnswer(request);
        // Taken once: the next tick may have nothing more to ask.
        answerState_.store(WithPhase(request, kIdle));
        break;
    default:
        break;
    }
    waitTicks_ = 0;
    if (presetCounter_ < backup::kPresetCount) {
        Ask(request, false, presetCounter_++);
        return;
    }
    if (irCounter_ < backup::kUserIrSlots) {
        int slot = irCounter_;
        while (slot < backup::kUserIrSlots && !neededIr_[static_cast<std::size_t>(slot)])
            ++slot;
        irCounter_ = slot == backup::kUserIrSlots ? slot : slot + 1;
        if (slot < backup::kUserIrSlots) Ask(request, true, slot);
        return;
    }
    FinishExport();
}

void BackupTransfer::Ask(std::uint32_t previous, bool ir, int slot) {
    // Waiting before the request leaves: its answer may come at once.
    answerState_.store(Next(previous, kWaiting, ir, slot), std::memory_order_release);
    if (ir) {
        const auto message = sysex::BuildRequestImpulseResponse(slot);
        sender_.SendSysEx(message.data(), message.size());
    } else {
        const auto message = sysex::BuildRequestPreset(static_cast<std::uint8_t>(slot));
        sender_.SendSysEx(message.data(), message.size());
    }
}

void BackupTransfer::TakeAnswer(std::uint32_t request) {
    const auto answer = std::span<const std::uint8_t>(answer_).first(answerLength_);
    // Fits the reserve: see kLargestAnswer.
    buffer_.insert(buffer_.end(), answer.begin(), answer.end());
    editor_.ShowGroup(link::kGroupProgress);
    if (ForIr(request)) {
        editor_.SetTextByTag(link::kTagProgressCaption, link::kTextExportingIrs);
        Progress(irCounter_ / static_cast<double>(backup::kUserIrSlots));
        return;
    }
    for (const auto slot : backup::UsedIrSlots(answer))
        if (slot) neededIr_[static_cast<std::size_t>(*slot)] = true;
    ++presetsReceived_;
    editor_.SetTextByTag(link::kTagProgressCaption, link::kTextExportingPresets);
    Progress(presetsReceived_ / static_cast<double>(backup::kPresetCount));
}

void BackupTransfer::FinishExport() {
    exportActive_ = false;
    // Written, then read back and taken apart as a restore would, before
    // success is reported.
    const bool written = hooks_.writeFile && hooks_.writeFile(exportPath_, buffer_);
    bool readsBack = false;
    if (written && hooks_.readFile) {
        const auto back = hooks_.readFile(exportPath_);
        readsBack = back && *back == buffer_ && backup::SplitMessages(*back) &&
                    backup::StreamsComplete(*back, *backup::SplitMessages(*back));
    }
    if (!editor_.IsEditorOpen()) return;
    editor_.HideGroup(link::kGroupProgress);
    editor_.AskUser(!written    ? kExportNotWritten
                    : readsBack ? link::kTextFinished
                                : kExportUnreadable,
                    "", AskButtons::Ok);
}

void BackupTransfer::AbandonExport(const char* message) {
    if (!exportActive_.exchange(false)) return;
    // An answer still on its way is no longer taken.
    answerState_.store(Next(answerState_.load(), kIdle), std::memory_order_release);
    buffer_.clear();
    char text[128];
    std::snprintf(text, sizeof text, "%s\n%d of %d presets were received; no file was written.", message,
                  presetsReceived_, backup::kPresetCount);
    editor_.HideGroup(link::kGroupProgress);
    editor_.AskUser(text, "", AskButtons::Ok);
}

void BackupTransfer::Watch() {
    const bool waiting =
        (exportActive_ && Phase(answerState_.load()) == kWaiting) || (restoreActive_ && !restoreSendNext_);
    if (!waiting) {
        waitTicks_ = 0;
        return;
    }
    if (++waitTicks_ < kAnswerTimeoutTicks) return;
    waitTicks_ = 0;
    if (exportActive_)
        AbandonExport(kExportNoAnswer);
    else
        StopRestore(kRestoreNoAnswer);
}

void BackupTransfer::Cancel(link::LinkEnd why) {
    switch (why) {
    case link::LinkEnd::Reconnect:
        if (exportActive_) AbandonExport(kExportByReconnect);
        if (restoreActive_) StopRestore(kRestoreByReconnect);
        break;
    case link::LinkEnd::PortsGone:
        if (exportActive_) AbandonExport(kExportPortsGone);
        if (restoreActive_) StopRestore(kRestorePortsGone);
        break;
    case link::LinkEnd::LinkLost:
        if (exportActive_) AbandonExport(kExportLinkLost);
        if (restoreActive_) StopRestore(kRestoreLinkLost);
        break;
    }
}

bool BackupTransfer::OnExportMessage(std::span<const std::uint8_t> message) {
    using namespace sysex;
    const std::uint32_t request = answerState_.load(std::memory_order_acquire);
    if (Phase(request) != kWaiting || message.size() <= kOffsetCommand) return false;
    const std::uint8_t command = message[kOffsetCommand];
    if (!ForIr(request)) {
        if (command != command::kPresetDump || message.size() != kBlockLength ||
            message[kOffsetBlockIndex] != Slot(request))
            return false;
        answerLength_ = 0;
        return Keep(request, message, true);
    }
    switch (command) {
    case command::kIrStreamStart:
        if (message.size() != kStreamStartLength ||
            Join14(message[kOffsetStreamItem], message[kOffsetStreamItem + 1]) != Slot(request))
            return false;
        streamFor_ = request;
        answerLength_ = 0;
        return Keep(request, message, false);
    case command::kIrStreamData:
    case command::kIrStreamEnd:
        // Only inside the stream that answers this request.
        if (streamFor_ != request) return false;
        if (command == command::kIrStreamEnd) streamFor_ = 0;
        return Keep(request, message, command == command::kIrStreamEnd);
    default:
        return false;
    }
}

bool BackupTransfer::Keep(std::uint32_t request, std::span<const std::uint8_t> message, bool last) {
    if (answerLength_ + message.size() > answer_.size()) {
        streamFor_ = 0;
        answerState_.compare_exchange_strong(request, WithPhase(request, kOversized),
                                             std::memory_order_release, std::memory_order_relaxed);
        return true;
    }
    std::copy(message.begin(), message.end(), answer_.begin() + static_cast<std::ptrdiff_t>(answerLength_));
    answerLength_ += message.size();
    // Handed over only if the request still waits (it may have been given up).
    if (last)
        answerState_.compare_exchange_strong(request, WithPhase(request, kAnswered),
                                             std::memory_order_release, std::memory_order_relaxed);
    return true;
}

// ---- 2. restore ----

void BackupTransfer::ImportAll() {
    if (exportActive_ || restoreActive_) return;
    if (editor_.AskUser(kOverwriteQuestion, "", AskButtons::OkCancel) == AskResult::Cancel) return;
    const std::string directory = lastBackupPath_.empty()
                                      ? std::string()
                                      : std::filesystem::path(lastBackupPath_).parent_path().string();
    const std::string path = editor_.AskForFile(FileAction::Open, "dvb", directory, "");
    if (path.empty()) return;
    lastBackupPath_ = path;
    const auto size = hooks_.fileSize ? hooks_.fileSize(path) : std::nullopt;
    if (size && *size > backup::kBufferSize) {
        editor_.AskUser(kTooLarge, "", AskButtons::Ok);
        return;
    }
    auto content = size && hooks_.readFile ? hooks_.readFile(path) : std::nullopt;
    if (!content) {
        editor_.AskUser(kNotOpened, "", AskButtons::Ok);
        return;
    }
    auto messages = backup::SplitMessages(*content);
    // A stream without its end would leave the restore waiting for good.
    if (!messages || !backup::StreamsComplete(*content, *messages)) {
        // A damaged file would send messages cut at the wrong places.
        editor_.AskUser(kNotABackup, "", AskButtons::Ok);
        return;
    }
    buffer_ = std::move(*content);
    messages_ = std::move(*messages);
    messageIndex_ = 0;
    restoreSum_ = 0;
    restoreSendNext_ = true;
    bulkStartPending_ = true;
    restoreActive_ = true;
    if (editor_.IsEditorOpen()) {
        Progress(0.0);
        editor_.SetTextByTag(link::kTagProgressCaption, link::kTextImportingBackup);
        editor_.ShowGroup(link::kGroupProgress);
    }
}

void BackupTransfer::OnRestoreTick() {
    if (!restoreActive_ || !link_.connected || !restoreSendNext_) return;
    if (bulkStartPending_) {
        bulkStartPending_ = false;
        const auto begin = sysex::BuildBulkTransfer(true);
        sender_.SendSysEx(begin.data(), begin.size());
        return;
    }
    restoreSendNext_ = false;
    waitTicks_ = 0;
    const std::size_t index = messageIndex_;
    if (index >= messages_.size()) return;
    const backup::MessageSpan where = messages_[index];
    std::vector<std::uint8_t> message(buffer_.begin() + static_cast<std::ptrdiff_t>(where.offset),
                                      buffer_.begin() +
                                          static_cast<std::ptrdiff_t>(where.offset + where.length));
    backup::RewriteForRestore(message, restoreSum_);
    sender_.SendSysEx(message.data(), message.size());
    Progress((index + 1) / static_cast<double>(messages_.size()));
    if (message[sysex::kOffsetCommand] == sysex::command::kRestoreIrData) {
        messageIndex_ = index + 1;
        restoreSendNext_ = messageIndex_ < messages_.size();
    }
}

bool BackupTransfer::OnStatus(std::uint8_t code) {
    if (!restoreActive_) return false;
    using namespace sysex::status;
    switch (code) {
    case kBlockAccepted:
    case kBlockAcceptedAlt:
    case kBlockAcceptedContinue:
        // The last message answered with "accepted, continue" ends the restore
        // as well: nothing more would ever be sent.
        if (++messageIndex_ < messages_.size())
            restoreSendNext_ = true;
        else
            FinishRestore();
        return true;
    case kBlockRejected:
    case kBlockRejectedAlt:
        restoreActive_ = false;
        Progress(0.0);
        editor_.HideGroup(link::kGroupProgress);
        editor_.AskUser(kCommunicationError, "", AskButtons::Ok);
        return true;
    default:
        return false;
    }
}

void BackupTransfer::StopRestore(const char* reason) {
    if (!restoreActive_.exchange(false)) return;
    restoreSendNext_ = false;
    const auto end = sysex::BuildBulkTransfer(false);
    sender_.SendSysEx(end.data(), end.size());
    char text[128];
    std::snprintf(text, sizeof text, "%s\n%zu of %zu messages were taken; the presets are read again.",
                  reason, static_cast<std::size_t>(messageIndex_), messages_.size());
    editor_.HideGroup(link::kGroupProgress);
    editor_.AskUser(text, "", AskButtons::Ok);
    // What the pedal holds is now partly the backup: the caches are read anew.
    if (hooks_.clearCacheAndRelabel) hooks_.clearCacheAndRelabel();
    link_.connected = false;
    link_.autoConnect = true;
}

namespace {

// The parts of a preset record the pedal keeps: the name, the 65 values and
// the names of the two user IRs (bytes 0-1 and 99-191 carry nothing).
bool SamePreset(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    auto same = [&](std::size_t from, std::size_t to) {
        return std::equal(a.begin() + static_cast<std::ptrdiff_t>(from),
                          a.begin() + static_cast<std::ptrdiff_t>(to),
                          b.begin() + static_cast<std::ptrdiff_t>(from));
    };
    return a.size() >= 256 && b.size() >= 256 && same(2, 99) && same(192, 256);
}

} // namespace

void BackupTransfer::OnPresetReloaded(int slot, std::span<const std::uint8_t> record) {
    if (!verifying_ || slot < 0 || slot >= backup::kPresetCount) return;
    const auto& expected = restored_[static_cast<std::size_t>(slot)];
    if (!restoredKept_[static_cast<std::size_t>(slot)]) return;
    reloaded_[static_cast<std::size_t>(slot)] = SamePreset(expected, record) ? 1 : 2;
}

std::string BackupTransfer::VerifyRestore() {
    if (!verifying_.exchange(false)) return {};
    std::string slots;
    int differing = 0;
    for (int slot = 0; slot < backup::kPresetCount; ++slot) {
        const auto& expected = restored_[static_cast<std::size_t>(slot)];
        const int state = reloaded_[static_cast<std::size_t>(slot)];
        // A slot not read again is one whose checksum says empty: only an
        // empty record in the backup agrees with it.
        const bool empty =
            std::all_of(expected.begin(), expected.end(), [](std::uint8_t b) { return b == 0; });
        if (!restoredKept_[static_cast<std::size_t>(slot)] || state == 1 || (state == 0 && empty)) continue;
        ++differing;
        if (slots.size() < 60) slots += (slots.empty() ? "" : ", ") + std::to_string(slot);
    }
    if (differing == 0) return {};
    char text[128];
    std::snprintf(text, sizeof text,
                  "Import All: %d presets on the pedal differ from the backup.\nSlots: %s%s", differing,
                  slots.c_str(), slots.size() >= 60 ? " ..." : "");
    return text;
}

void BackupTransfer::FinishRestore() {
    const auto end = sysex::BuildBulkTransfer(false);
    sender_.SendSysEx(end.data(), end.size());
    // Kept for the check once the presets have been read back.
    for (auto& kept : restoredKept_)
        kept = false;
    for (const auto& m : messages_) {
        const auto message = std::span<const std::uint8_t>(buffer_).subspan(m.offset, m.length);
        const int slot = message[sysex::kOffsetBlockIndex];
        if (message[sysex::kOffsetCommand] == sysex::command::kPresetDump &&
            m.length == sysex::kBlockLength && slot < backup::kPresetCount) {
            std::copy_n(message.begin() + sysex::kOffsetBlockData, kRestoredRecordBytes,
                        restored_[static_cast<std::size_t>(slot)].begin());
            restoredKept_[static_cast<std::size_t>(slot)] = true;
        }
    }
    for (auto& r : reloaded_)
        r = 0;
    verifying_ = true;
    restoreActive_ = false;
    if (editor_.IsEditorOpen()) {
        editor_.HideGroup(link::kGroupProgress);
        editor_.AskUser(link::kTextFinished, "", AskButtons::Ok);
    }
    if (hooks_.clearCacheAndRelabel) hooks_.clearCacheAndRelabel();
    link_.connected = false;
    link_.autoConnect = true;
}

} // namespace tolvane
