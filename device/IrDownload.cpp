#include "device/IrDownload.h"

#include "device/LinkTags.h"
#include "device/SysexBuilders.h"
#include "device/TransferTimeouts.h"

#include <algorithm>
#include <cstdio>

namespace tolvane {
namespace {

constexpr int kSlotsPerBank = 32;
constexpr int kBlocksPerBank = 4;
constexpr int kFactoryIndexMask = 127;
constexpr const char* kStalled = "Impulse response %d was not received whole: the pedal stopped sending.\nNothing was written.";
constexpr const char* kByReconnect = "Impulse response %d was not received whole: stopped by RECONNECT.\nNothing was written.";
constexpr const char* kPortsGone =
    "Impulse response %d was not received whole: the pedal's MIDI ports went away.\nNothing was written.";
constexpr const char* kLinkLost =
    "Impulse response %d was not received whole: the link to the pedal was lost.\nNothing was written.";
constexpr const char* kNotCached =
    "A downloaded impulse response could not be saved in the data folder (not writable or disk full).";

} // namespace

IrDownload::IrDownload(ISysExSender& sender, IEditorSeam& editor, IIrFiles& files, IrDownloadHooks hooks)
    : sender_(sender), editor_(editor), files_(files), hooks_(std::move(hooks)) {}

void IrDownload::ShowBank(int bank) {
    const int selected = hooks_.selectedSlot ? hooks_.selectedSlot() : -1;
    if (hooks_.setSlotViewRowChosen && selected >= 0)
        hooks_.setSlotViewRowChosen(selected % kSlotsPerBank, false);
    if (hooks_.setSlotViewRow && hooks_.userIrName)
        for (int row = 0; row < kSlotsPerBank; ++row)
            hooks_.setSlotViewRow(row, hooks_.userIrName(bank * kSlotsPerBank + row));
    if (hooks_.setSlotViewRowChosen && selected >= 0 && selected / kSlotsPerBank == bank)
        hooks_.setSlotViewRowChosen(selected % kSlotsPerBank, true);
    const auto message = sysex::BuildRequestIrNameBlock(static_cast<std::uint8_t>(kBlocksPerBank * bank));
    sender_.SendSysEx(message.data(), message.size());
}

void IrDownload::OnNameBlock(const sysex::SysexBlockView& block) {
    if (block.Byte6() != sysex::kPayloadMarker || !block.ChecksumValid()) return;
    const int f = block.Index();
    const int firstRow = (f & (kBlocksPerBank - 1)) * static_cast<int>(sysex::kNamesPerIrNameBlock);
    for (int i = 0; i < static_cast<int>(sysex::kNamesPerIrNameBlock); ++i) {
        // Seen in place or written into a fixed buffer: this runs on the clock.
        std::string_view name = sysex::NameView(block.NameAt(i));
        char empty[32];
        if (name.find_first_not_of(' ') == std::string_view::npos) {
            const int n = std::snprintf(empty, sizeof empty, "Empty Slot %d", firstRow + 1 + i);
            name = std::string_view(empty, static_cast<std::size_t>(std::max(n, 0)));
        }
        if (hooks_.setSlotViewRow) hooks_.setSlotViewRow(firstRow + i, name);
    }
    if (((f + 1) & (kBlocksPerBank - 1)) != 0) {
        const auto message = sysex::BuildRequestIrNameBlock(static_cast<std::uint8_t>(f + 1));
        sender_.SendSysEx(message.data(), message.size());
    }
}

void IrDownload::RequestIr(int number) {
    const auto message = sysex::BuildRequestImpulseResponse(number);
    sender_.SendSysEx(message.data(), message.size());
}

void IrDownload::Progress(double fraction, std::string_view text) {
    editor_.SetControlValueByTag(link::kTagProgressKnob, fraction);
    editor_.SetTextByTag(link::kTagProgressText, text);
}

void IrDownload::Watch() {
    if (!receiving_) {
        waitTicks_ = 0;
        return;
    }
    if (++waitTicks_ >= kAnswerTimeoutTicks) Drop(kStalled);
}

void IrDownload::Cancel(link::LinkEnd why) {
    if (receiving_)
        Drop(why == link::LinkEnd::PortsGone  ? kPortsGone
             : why == link::LinkEnd::LinkLost ? kLinkLost
                                              : kByReconnect);
}

void IrDownload::RecordNotKept() {
    editor_.AskUser(kNotCached, "", AskButtons::Ok);
}

void IrDownload::Drop(const char* reason) {
    if (!receiving_.exchange(false)) return;
    Progress(0.0, "0 %");
    editor_.HideGroup(link::kGroupProgress);
    char text[128];
    std::snprintf(text, sizeof text, reason, irNumber_.load());
    editor_.AskUser(text, "", AskButtons::Ok);
}

IrReception IrDownload::OnStreamMessage(const sysex::StreamMessageView& stream) {
    switch (stream.part) {
    case sysex::StreamPart::Start:
        irNumber_ = stream.item;
        expected_ = UnpackedLength(stream.packedLength);
        unpacker_.Reset(received_, expected_);
        checksum_.Reset();
        waitTicks_ = 0;
        receiving_ = true;
        unpacker_.Feed(stream.packed);
        checksum_.Add(stream.packed);
        Progress(0.0, "0 %");
        editor_.SetTextByTag(link::kTagProgressCaption, link::kTextLoadingIr);
        editor_.ShowGroup(link::kGroupProgress);
        return IrReception::Receiving;
    case sysex::StreamPart::Data: {
        if (!receiving_) return IrReception::Ignored;
        waitTicks_ = 0;
        unpacker_.Feed(stream.packed);
        checksum_.Add(stream.packed);
        const double fraction = expected_ ? static_cast<double>(unpacker_.Produced()) / expected_ : 0.0;
        char text[16];
        std::snprintf(text, sizeof text, "%.0f %%", fraction * 100.0);
        Progress(fraction, text);
        return IrReception::Receiving;
    }
    case sysex::StreamPart::End:
        break;
    }
    if (!receiving_.exchange(false)) return IrReception::Ignored;
    unpacker_.Feed(stream.packed);
    unpacker_.Feed(std::uint8_t{0});
    checksum_.Add(stream.packed);
    if (checksum_.Value() != stream.checksum) {
        // A cabinet that arrived damaged is not cached: the old file, if any, stays.
        Progress(0.0, "0 %");
        editor_.HideGroup(link::kGroupProgress);
        return IrReception::Dropped;
    }
    const int number = irNumber_.load();
    if (!files_.WriteIrRecord(number, std::span<const std::uint8_t>(received_.data(), unpacker_.Stored()))) {
        Progress(0.0, "0 %");
        editor_.HideGroup(link::kGroupProgress);
        editor_.AskUser(kNotCached, "", AskButtons::Ok);
        return IrReception::Dropped;
    }
    if (number >= ir::kFirstFactoryNumber && (number & kFactoryIndexMask) < 8 &&
        hooks_.factoryIrWritten)
        hooks_.factoryIrWritten(number & kFactoryIndexMask);
    if (hooks_.refreshIrDisplay) hooks_.refreshIrDisplay();
    if (hooks_.positionBOn && hooks_.irSlotB && hooks_.positionBOn()) {
        const int slotB = hooks_.irSlotB();
        if (slotB != number && !files_.IrCached(slotB)) RequestIr(slotB);
    }
    Progress(1.0, "100 %");
    editor_.HideGroup(link::kGroupProgress);
    return IrReception::Written;
}

} // namespace tolvane
