#pragma once
// The user IR names shown in the IR slot view and the download of an IR from
// the pedal into the local cache.
//
// Entry points and who calls them:
//   ShowBank         user-interface thread: a change of parameter 77 "Custom IR Bank".
//   OnNameBlock      inbound thread: IR name block (0x6B), routed while connected.
//   RequestIr        any thread: periodic task step 1 (the deferred request),
//                    the Preset dump handling, the backup export, and itself.
//   OnStreamMessage  inbound thread: IR stream start / data / end while
//                    connected and no backup export runs.
//   Watch            periodic task, every tick: a stream that stops for three
//                    seconds is dropped with a message; nothing is written.
//   Cancel           user-interface thread: RECONNECT drops it the same way.
//   RecordNotKept    user-interface thread: the cache write of a record
//                    received on the clock failed when it was made.

#include "core/EditorSeam.h"
#include "core/MessageSender.h"
#include "device/IrUploadFiles.h"
#include "device/LinkTags.h"
#include "device/SevenBitPacking.h"
#include "device/SysexChecksum.h"
#include "device/SysexViews.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tolvane {

struct IrDownloadHooks {
    // Row 0..31 of the IR slot view shows text (also called on the clock).
    std::function<void(int row, std::string_view text)> setSlotViewRow;
    // Row 0..31 of the IR slot view drawn as chosen or not.
    std::function<void(int row, bool chosen)> setSlotViewRowChosen;
    // UserIrNames[slot].
    std::function<std::string(int slot)> userIrName;
    // The selected user IR slot of the upload.
    std::function<int()> selectedSlot;
    // A factory IR record (index 0..7) was written: read its name again.
    std::function<void(int factoryIndex)> factoryIrWritten;
    // RefreshIrDisplay for the current value of parameter 14 "IR".
    std::function<void()> refreshIrDisplay;
    // Position 8 uses a user IR (parameter 41 on) and its number, IR slot B.
    std::function<bool()> positionBOn;
    std::function<int()> irSlotB;
};

enum class IrReception { Ignored, Receiving, Written, Dropped };

class IrDownload {
public:
    static constexpr std::size_t kReceiveCapacity = 4096;

    IrDownload(ISysExSender& sender, IEditorSeam& editor, IIrFiles& files, IrDownloadHooks hooks = {});

    void ShowBank(int bank);
    void OnNameBlock(const sysex::SysexBlockView& block);
    void RequestIr(int number);
    // Written: the record was stored; Dropped: its stream checksum did not match.
    IrReception OnStreamMessage(const sysex::StreamMessageView& stream);
    void Watch();
    void Cancel(link::LinkEnd why = link::LinkEnd::Reconnect);
    bool Receiving() const { return receiving_; }
    // User-interface thread: a record written for the clock could not be
    // kept in the cache after all (the disk refused it); the user is told.
    void RecordNotKept();

private:
    void Progress(double fraction, std::string_view text);
    void Drop(const char* reason);

    ISysExSender& sender_;
    IEditorSeam& editor_;
    IIrFiles& files_;
    IrDownloadHooks hooks_;

    std::array<std::uint8_t, kReceiveCapacity> received_{};
    SevenBitUnpacker unpacker_;
    sysex::StreamChecksum checksum_;
    std::atomic<bool> receiving_{false};
    std::atomic<int> waitTicks_{0};
    // Set when a stream starts (audio thread), named by a drop on a stall or
    // RECONNECT (user-interface thread).
    std::atomic<int> irNumber_{0};
    std::size_t expected_ = 0;
};

} // namespace tolvane
