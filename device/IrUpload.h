#pragma once
// Impulse-response upload: a WAV file (or a record from a preset file) becomes
// a 2436-byte record, is kept in the local cache, packed into the transfer
// buffer and sent as one IR stream paced by the pedal's Ready for next IR block.
//
// Entry points and who calls them:
//   ImportWav          user-interface thread: the IR page's IMPORT buttons (with
//                      the slot and the IR position that is to use it) and the
//                      IR slot view (after the caller set the slot with
//                      SetSelectedSlot).
//   StoreAndSendIr     user-interface thread (ImportWav).
//   StoreAndSendRecord user-interface thread (LoadPresetFile) and the inbound
//                      thread (the second IR of a preset file, from IR
//                      assignment done).
//   OnTick             periodic task, step 7: call it when connected and no
//                      firmware update, restore or export runs. Sends at most
//                      one message.
//   Watch              periodic task, every tick: an answer overdue by three
//                      seconds ends the upload with a message, and the
//                      library gets its earlier record back.
//   Cancel             user-interface thread: RECONNECT ends the upload the same way.
//   OnStatus           inbound thread, for the application statuses Ready for
//                      next IR block (0x63) and IR assignment done (0x61), whether
//                      or not connected. Returns true when it acted. Error (0x62)
//                      is the general "ERROR!" of the receive entry and leaves the
//                      upload as it is.

#include "core/EditorSeam.h"
#include "core/MessageSender.h"
#include "device/LinkTags.h"
#include "device/IrUploadFiles.h"
#include "device/IrUploadRecord.h"
#include "device/LinkFlags.h"
#include "device/TransferBuffer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// What the upload asks of the plug-in around it. Unset hooks do nothing.
struct IrUploadHooks {
    // 7 or 8 while that IR position is the IR edit target, else 0.
    std::function<int()> irEditTarget;
    // UserIrNames[slot] := name, and row (slot % 32) of the IR slot view shows it.
    std::function<void(int slot, const std::string& name)> userIrNameChanged;
    // RefreshIrDisplay for the current value of parameter 14 "IR".
    std::function<void()> refreshIrDisplay;
    // Store preset of the current preset.
    std::function<void()> sendStorePreset;
    // The second IR of a loaded preset file (PresetFileTransfer::LoadSecondIr).
    std::function<void()> loadSecondIr;
    // IR position 7 or 8 of the current preset is pointed at user IR slot
    // (an import's file was accepted).
    std::function<void(int position, int slot)> pointPositionAt;
    // The numbers shown for the cached presets, other than the current one,
    // that play user IR slot at position 7 or 8.
    std::function<std::vector<int>(int slot)> otherPresetsUsing;
};

class IrUpload {
public:
    IrUpload(ISysExSender& sender, IEditorSeam& editor, IIrFiles& files, TransferBuffer& transfer,
             LinkFlags& link, IrSampleBuffer& samples, IrUploadHooks hooks = {});

    // Asks for a WAV file and uploads it to the selected slot. A file that
    // cannot be read as WAV is refused with a message; nothing is stored or sent.
    void ImportWav() { ImportWav(selectedSlot_, 0); }
    // The same for slot, which becomes the selected slot only once the file
    // is accepted. A user IR slot that other cached presets play is replaced
    // only when the user agrees. Then IR position 7 or 8 (irPosition; 0:
    // none) is pointed at the slot. Until then nothing is stored or sent.
    void ImportWav(int slot, int irPosition);

    // Builds the record of the first 1200 samples of the sample buffer under
    // name (space-padded to 32), writes the slot's cache file, packs it into
    // the transfer buffer and, when connected, arms the upload.
    void StoreAndSendIr(const std::string& name, int slot);

    // The same for a record that already exists (one carried by a preset
    // file): its samples go into the sample buffer, and its name and gain are
    // kept, so that the pedal receives the record unchanged. Recomputing the
    // gain from the 16-bit samples could move it by one step.
    void StoreAndSendRecord(const ir::RecordBytes& record, int slot);

    void OnTick();
    bool OnStatus(std::uint8_t code);
    void Watch();
    void Cancel(link::LinkEnd why = link::LinkEnd::Reconnect);

    // The slot an import or upload targets, 0..16383; read again when the
    // stream's start message is sent.
    void SetSelectedSlot(int slot) { selectedSlot_ = slot; }
    int SelectedSlot() const { return selectedSlot_; }

    // Pending IR positions of a loaded preset file (flags A and B).
    void SetPendingAssignments(bool positionA, bool positionB);
    bool PendingA() const { return pendingA_; }
    bool PendingB() const { return pendingB_; }

    bool MaySend() const { return maySend_; }
    // Sending, or waiting for the pedal's answer.
    bool Active() const;
    double Gain() const { return gain_; }
    const std::string& LastWavPath() const { return lastWavPath_; }

    // "DI Box.wav" (after the last slash or backslash, last four characters
    // dropped) as a name of 32 characters, space-padded.
    static std::string NameFromPath(const std::string& path);

private:
    void StoreAndSend(const std::string& name, int slot, double gain);
    bool OthersAgreeToLose(int slot);
    void ShowProgress();
    void OnAssignmentDone();
    void Stop(const char* reason);
    enum class Wait { None, Ready, Assignment };

    ISysExSender& sender_;
    IEditorSeam& editor_;
    IIrFiles& files_;
    TransferBuffer& transfer_;
    LinkFlags& link_;
    IrSampleBuffer& samples_;
    IrUploadHooks hooks_;

    std::atomic<int> selectedSlot_{0};
    std::atomic<bool> maySend_{false};
    std::atomic<bool> pendingA_{false};
    std::atomic<bool> pendingB_{false};
    std::atomic<Wait> wait_{Wait::None};
    std::atomic<int> waitTicks_{0};
    // What the library held for the slot before this upload (none: nothing).
    int uploadSlot_ = 0;
    std::optional<ir::RecordBytes> previousRecord_;
    double gain_ = 1.0;
    std::string lastWavPath_;
};

} // namespace tolvane
