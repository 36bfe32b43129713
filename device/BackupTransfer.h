#pragma once
// Backup export and restore ("Export All Presets", "Import All Presets").
// The export asks for the 128 presets and every user IR they use and keeps
// the pedal's answers byte for byte; the restore replays such a file with the
// dump commands turned into restore commands, paced by the pedal's statuses.
//
// Entry points and who calls them:
//   ExportAll, ImportAll  user-interface thread: menu codes 6 and 5; either
//                         does nothing while an export or restore runs.
//   OnRestoreTick         periodic task, step 3: call it while RestoreActive();
//                         the tick ends there. It sends nothing while not
//                         connected or while waiting; when the shared
//                         bulk-start flag is set it sends Begin bulk transfer
//                         and clears it (a caller that sends Begin itself and
//                         clears the flag first gets the next message instead).
//   OnExportTick          periodic task, step 4: call it while ExportActive();
//                         the tick ends there. It takes the answer the clock
//                         handed over into the backup and sends the next request.
//   OnExportMessage       inbound thread: Preset dumps (routed while connected)
//                         and IR stream messages. Only the answer to the request
//                         in flight is kept, once; for anything else it returns
//                         false and the message has its ordinary meaning.
//   Watch                 periodic task, every tick: an answer overdue by
//                         three seconds ends the export or restore, with a
//                         message saying what was done.
//   Cancel                user-interface thread: RECONNECT (or the pedal's
//                         ports going away) ends either.
//   OnStatus              inbound thread, for Block accepted (0x71, 0x7D),
//                         Block accepted, continue (0x73) and Block rejected
//                         (0x72, 0x7E). Returns false when no restore runs: the
//                         status then has its ordinary meaning.

#include "core/EditorSeam.h"
#include "core/MessageSender.h"
#include "device/BackupTransferMessages.h"
#include "device/LinkFlags.h"
#include "device/LinkTags.h"
#include "device/SysexConstants.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

struct BackupHooks {
    // The whole file; nullopt when it cannot be read or is larger than 1 MiB.
    std::function<std::optional<std::vector<std::uint8_t>>(const std::string& path)> readFile;
    // The file's size, asked before it is read; nullopt when it cannot be opened.
    std::function<std::optional<std::uintmax_t>(const std::string& path)> fileSize;
    // Writes (replaces) the file; false when it could not be written.
    std::function<bool(const std::string& path, std::span<const std::uint8_t> bytes)> writeFile;
    // Deletes the cached preset and IR files and labels the presets from the
    // slot files again (the end of a restore).
    std::function<void()> clearCacheAndRelabel;
};

class BackupTransfer {
    static constexpr std::size_t kRestoredRecordBytes = 256;

public:
    static constexpr const char* kDefaultName = "Dunvale_Presets_and_IRs";

    // dataFolder: where the export's file question starts.
    BackupTransfer(ISysExSender& sender, IEditorSeam& editor, LinkFlags& link,
                   std::atomic<bool>& bulkStartPending, std::string dataFolder, BackupHooks hooks);

    void ExportAll();
    void ImportAll();
    void OnExportTick();
    void OnRestoreTick();
    bool OnExportMessage(std::span<const std::uint8_t> message);
    bool OnStatus(std::uint8_t code);
    void Watch();
    void Cancel(link::LinkEnd why = link::LinkEnd::Reconnect);
    // After a finished restore the link reads every preset again; each one
    // read is compared with the backup (inbound thread), and when the reading
    // is done the slots that differ are reported: empty when all agree or no
    // restore is being checked.
    void OnPresetReloaded(int slot, std::span<const std::uint8_t> record);
    std::string VerifyRestore();

    bool ExportActive() const { return exportActive_; }
    bool RestoreActive() const { return restoreActive_; }
    // The restore may send its next message (it is not waiting for a status).
    bool RestoreMaySend() const { return restoreSendNext_; }
    const std::string& LastBackupPath() const { return lastBackupPath_; }

private:
    void Progress(double fraction);
    void AbandonExport(const char* message);
    void FinishExport();
    void TakeAnswer(std::uint32_t request);
    void Ask(std::uint32_t previous, bool ir, int slot);
    // Clock thread: message (part of) the answer to request; the answer is
    // handed over when last.
    bool Keep(std::uint32_t request, std::span<const std::uint8_t> message, bool last);
    void FinishRestore();
    // The restore ends before its last message: End bulk transfer, and the
    // caches are emptied so that the next connection reads what the pedal holds.
    void StopRestore(const char* reason);

    ISysExSender& sender_;
    IEditorSeam& editor_;
    LinkFlags& link_;
    std::atomic<bool>& bulkStartPending_;
    std::string dataFolder_;
    BackupHooks hooks_;

    // The export's answers, or the file being restored; the user-interface
    // thread's alone (a finished restore reads it on the clock, once nothing
    // else can change it).
    std::vector<std::uint8_t> buffer_;
    std::string lastBackupPath_;
    std::string exportPath_;

    std::atomic<bool> exportActive_{false};
    // The export's position (user-interface thread).
    int presetCounter_ = 0;
    int presetsReceived_ = 0;
    int irCounter_ = 0;
    std::array<bool, backup::kUserIrSlots> neededIr_{};
    // The request in flight and how far its answer is, as one word so that
    // the clock reads both at once (see the encoding in the source). The
    // periodic task moves it to waiting when it sends a request; the clock
    // moves it on when the answer is whole, and only then does the periodic
    // task read the answer.
    std::atomic<std::uint32_t> answerState_{0};
    // The answer being received: written by the clock while a request waits,
    // read by the periodic task once it is handed over. 128 dumps and 256
    // answers of this size fit the 1 MiB a backup may have; an IR's stream
    // is 2880 bytes.
    static constexpr std::size_t kLargestAnswer =
        (backup::kBufferSize - backup::kPresetCount * sysex::kBlockLength) / backup::kUserIrSlots;
    std::array<std::uint8_t, kLargestAnswer> answer_{};
    std::size_t answerLength_ = 0;
    // The request whose IR stream has started and not ended (clock thread).
    std::uint32_t streamFor_ = 0;

    std::atomic<bool> restoreActive_{false};
    std::atomic<bool> restoreSendNext_{false};
    std::vector<backup::MessageSpan> messages_;
    std::atomic<std::size_t> messageIndex_{0};
    std::uint32_t restoreSum_ = 0;
    // The presets of the last finished restore, until the re-read checks them.
    std::atomic<bool> verifying_{false};
    // Held in place: a restore ends on the clock (the pedal's last status).
    std::array<std::array<std::uint8_t, kRestoredRecordBytes>, backup::kPresetCount> restored_{};
    std::array<bool, backup::kPresetCount> restoredKept_{};
    std::array<std::atomic<int>, backup::kPresetCount> reloaded_{}; // 0 not read, 1 same, 2 differs
    // Ticks the export or restore has waited for the pedal's answer.
    std::atomic<int> waitTicks_{0};
};

} // namespace tolvane
