#include "sim/model/PedalModel.h"

#include <algorithm>
#include <array>

#include "device/DeviceTables.h"
#include "device/SevenBitPacking.h"
#include "device/SysexBuilders.h"
#include "device/SysexViews.h"
#include "sim/model/FactoryContent.h"

// Index
//   1. Construction, routing and time
//   2. Presets and live edits
//   3. Settings blocks and factory reset
//   4. Impulse responses: names, download, upload, restore
//   5. Boot loader
//   6. Unprompted messages and the way out (faults applied here)

namespace tolvane::sim {

using namespace sysex;

namespace {

constexpr std::size_t kIrPackedLimit = 4096;        // an IR record packs to 2785
constexpr std::size_t kFirmwarePackedLimit = 65536; // the editor's transfer buffer
constexpr std::uint8_t kLowChecksumBit = 0x01;

// Device parameter numbers of the high part of a user-IR number: the pedal
// acknowledges them so that the editor sends the low part next.
constexpr bool IsIrNumberHighPart(int deviceNumber) {
    return deviceNumber == 57 || deviceNumber == 59;
}

BlockData AsBlock(const BlockBytes& bytes) {
    return BlockData(bytes.data(), kBlockDataSize);
}

std::span<const std::uint8_t, kBlockDataSize> BlockDataOf(std::span<const std::uint8_t> m) {
    return std::span<const std::uint8_t, kBlockLength>(m.data(), kBlockLength)
        .subspan<kOffsetBlockData, kBlockDataSize>();
}

bool BlockValid(std::span<const std::uint8_t> m) {
    return BlockChecksumValid(std::span<const std::uint8_t, kBlockLength>(m.data(), kBlockLength));
}

} // namespace

// ---- 1. Construction, routing and time ------------------------------------------

PedalModel::PedalModel(PedalState state)
    : state_(std::move(state)), irUpload_(kIrPackedLimit), irRestore_(kIrPackedLimit),
      firmware_(kFirmwarePackedLimit) {}

PedalModel::PedalModel() : PedalModel(FactoryState()) {}

const PedalModel::Route* PedalModel::FindRoute(std::uint8_t target, std::uint8_t command,
                                               std::size_t length) {
    static const Route kApplication[] = {
        {command::kStorePreset, kBlockLength, kBlockLength, &PedalModel::OnStorePreset},
        {command::kSelectPreset, kOneValueLength, kOneValueLength, &PedalModel::OnSelectPreset},
        {command::kRequestPreset, kOneValueLength, kOneValueLength, &PedalModel::OnRequestPreset},
        {command::kSetParameter, kTwoValueLength, kTwoValueLength, &PedalModel::OnSetParameter},
        {command::kStoreSettingsBlock, kBlockLength, kBlockLength, &PedalModel::OnStoreSettingsBlock},
        {command::kRequestSettingsBlock, kOneValueLength, kOneValueLength,
         &PedalModel::OnRequestSettingsBlock},
        {command::kFactoryReset, kOneValueLength, kOneValueLength, &PedalModel::OnFactoryReset},
        {command::kBeginBulkTransfer, kCommandLength, kCommandLength, &PedalModel::OnBeginBulk},
        {command::kEndBulkTransfer, kCommandLength, kCommandLength, &PedalModel::OnEndBulk},
        {command::kEditorClosing, kCommandLength, kCommandLength, &PedalModel::OnEditorClosing},
        {command::kIrStreamStart, kStreamStartLength, kStreamStartLength, &PedalModel::OnIrStreamStart},
        {command::kIrStreamData, kStreamDataLength, kStreamDataLength, &PedalModel::OnIrStreamData},
        {command::kIrStreamEnd, kStreamEndOverhead + 1, kStreamEndMaxLength, &PedalModel::OnIrStreamEnd},
        {command::kRequestImpulseResponse, kTwoValueLength, kTwoValueLength,
         &PedalModel::OnRequestImpulseResponse},
        {command::kRequestIrNameBlock, kOneValueLength, kOneValueLength, &PedalModel::OnRequestIrNameBlock},
        {command::kRestoreIrStart, kStreamStartLength, kStreamStartLength, &PedalModel::OnRestoreIrStart},
        {command::kRestoreIrData, kStreamDataLength, kStreamDataLength, &PedalModel::OnRestoreIrData},
        {command::kRestoreIrEnd, kStreamEndOverhead + 1, kStreamEndMaxLength, &PedalModel::OnRestoreIrEnd},
        {command::kRestorePreset, kBlockLength, kBlockLength, &PedalModel::OnRestorePreset},
    };
    static const Route kBootLoader[] = {
        {command::kEnterFirmwareUpdate, kStatusLength, kStatusLength, &PedalModel::OnEnterFirmwareUpdate},
        {command::kFirstFirmwareBlock, kBootFirstBlockLength, kBootFirstBlockLength,
         &PedalModel::OnFirstFirmwareBlock},
        {command::kFirmwareBlock, kBootLastBlockOverhead + 1, kBootLastBlockMaxLength,
         &PedalModel::OnFirmwareBlock},
    };
    std::span<const Route> routes;
    if (target == kTargetApplication) routes = kApplication;
    if (target == kTargetBootLoader) routes = kBootLoader;
    for (const Route& r : routes)
        if (r.command == command && length >= r.minLength && length <= r.maxLength) return &r;
    return nullptr;
}

void PedalModel::Receive(std::span<const std::uint8_t> m) {
    if (faults_.unplugged) return;
    const std::size_t n = m.size();
    const bool framed =
        n >= kStatusLength && m[0] == kStart && m[n - 1] == kEnd &&
        std::equal(kManufacturer.begin(), kManufacturer.end(), m.begin() + kOffsetManufacturer) &&
        std::all_of(m.begin() + 1, m.end() - 1, [](std::uint8_t b) { return b <= kDataMask; });
    const Route* route = framed ? FindRoute(m[kOffsetTarget], m[kOffsetCommand], n) : nullptr;
    // Every message to the application carries the 0x0A marker in byte 6.
    if (route && m[kOffsetTarget] == kTargetApplication && m[kOffsetMarker] != kPayloadMarker)
        route = nullptr;
    if (!route) {
        ++activity_.ignored;
        return;
    }
    ++activity_.received;
    (this->*route->handler)(m);
}

void PedalModel::Advance(int milliseconds) {
    now_ += std::max(0, milliseconds);
    Flush();
}

bool PedalModel::TakeDirty() {
    const bool was = dirty_;
    dirty_ = false;
    return was;
}

// ---- 2. Presets and live edits ----------------------------------------------------

void PedalModel::SelectSlot(int slot) {
    state_.currentPreset = slot;
    state_.editBuffer = state_.presets[static_cast<std::size_t>(slot)];
    dirty_ = true;
}

void PedalModel::OnStorePreset(std::span<const std::uint8_t> m) {
    const int slot = m[kOffsetBlockIndex];
    // A damaged block is not stored: the slot keeps what it had.
    if (slot >= kNumPresetSlots || !BlockValid(m)) return;
    auto& record = state_.presets[static_cast<std::size_t>(slot)];
    std::copy_n(BlockDataOf(m).begin(), kBlockDataSize, record.begin());
    if (slot == state_.currentPreset) state_.editBuffer = record;
    dirty_ = true;
}

void PedalModel::OnSelectPreset(std::span<const std::uint8_t> m) {
    const int slot = m[kOffsetValue1];
    if (slot >= kNumPresetSlots) return;
    SelectSlot(slot);
    SendPresetDump(slot);
}

void PedalModel::OnRequestPreset(std::span<const std::uint8_t> m) {
    const int slot = m[kOffsetValue1];
    if (slot < kNumPresetSlots) SendPresetDump(slot);
}

void PedalModel::OnSetParameter(std::span<const std::uint8_t> m) {
    const int number = m[kOffsetValue1];
    const std::uint8_t value = m[kOffsetValue2];
    if (number == kDeviceNumberSaveToSlot) {
        if (value >= kNumPresetSlots) return;
        state_.presets[value] = state_.editBuffer;
        state_.currentPreset = value;
        dirty_ = true;
        SendPresetDump(value);
        return;
    }
    const int index = ParamIndexForDeviceNumber(number);
    if (index < 0) return;
    state_.editBuffer[kPresetValuesOffset + static_cast<std::size_t>(index)] = value;
    dirty_ = true;
    if (IsIrNumberHighPart(number)) SendStatus(status::kIrNumberStepDone);
}

void PedalModel::OnRestorePreset(std::span<const std::uint8_t> m) {
    const int slot = m[kOffsetBlockIndex];
    if (RestoreRejectedNow() || slot >= kNumPresetSlots || !BlockValid(m)) {
        SendStatus(status::kBlockRejected);
        return;
    }
    auto& record = state_.presets[static_cast<std::size_t>(slot)];
    std::copy_n(BlockDataOf(m).begin(), kBlockDataSize, record.begin());
    if (slot == state_.currentPreset) state_.editBuffer = record;
    dirty_ = true;
    SendStatus(status::kBlockAccepted);
}

void PedalModel::OnBeginBulk(std::span<const std::uint8_t>) {
    ++activity_.bulkBegins;
    activity_.bulkOpen = true;
    activity_.restoreAnswered = 0;
}

void PedalModel::OnEndBulk(std::span<const std::uint8_t>) {
    ++activity_.bulkEnds;
    activity_.bulkOpen = false;
}

void PedalModel::OnEditorClosing(std::span<const std::uint8_t>) {
    ++activity_.editorClosings;
}

bool PedalModel::RestoreRejectedNow() {
    ++activity_.restoreAnswered;
    return faults_.rejectRestoreMessage > 0 && activity_.restoreAnswered == faults_.rejectRestoreMessage;
}

// ---- 3. Settings blocks and factory reset --------------------------------------------

void PedalModel::OnStoreSettingsBlock(std::span<const std::uint8_t> m) {
    if (!BlockValid(m)) return;
    const auto data = BlockDataOf(m);
    switch (m[kOffsetBlockIndex]) {
    case settings::kGlobal:
        // Offset 0 names the current preset; switching presets is not done this way.
        std::copy(data.begin() + 1, data.end(), state_.globalSettings.begin() + 1);
        break;
    case settings::kMidiCcNumbers:
        // The whole block is stored, controller-jack set-up and all, so an
        // editor that writes zeros there wipes it, as on the pedal.
        std::copy(data.begin(), data.end(), state_.midiCcNumbers.begin());
        break;
    case settings::kProgramMapping:
        std::copy(data.begin(), data.end(), state_.programMap.begin());
        break;
    default:
        return;
    }
    dirty_ = true;
}

void PedalModel::OnRequestSettingsBlock(std::span<const std::uint8_t> m) {
    SendSettingsBlock(m[kOffsetValue1]);
}

void PedalModel::SendSettingsBlock(int type) {
    BlockBytes data{};
    switch (type) {
    case settings::kGlobal:
        data = state_.globalSettings;
        data[kGlobalCurrentPresetOffset] = static_cast<std::uint8_t>(state_.currentPreset);
        break;
    case settings::kMidiCcNumbers:
        data = state_.midiCcNumbers;
        break;
    case settings::kProgramMapping:
        data = state_.programMap;
        break;
    case settings::kPresetChecksums:
        for (std::size_t k = 0; k < kNumPresetSlots; ++k) {
            const SevenBitPair sum = Split14(BlockChecksum(state_.presets[k]));
            data[2 * k] = sum.high;
            data[2 * k + 1] = sum.low;
        }
        break;
    case settings::kIdentification:
        for (std::size_t i = 0; i < kSerialChars; ++i)
            data[kSerialOffset + i] =
                static_cast<std::uint8_t>(i < state_.serial.size() ? state_.serial[i] : ' ');
        break;
    default:
        return; // the pedal has no such block
    }
    Send(BuildSettingsBlock(static_cast<std::uint8_t>(faults_.firmwareVersion),
                            static_cast<std::uint8_t>(type), AsBlock(data)));
}

void PedalModel::OnFactoryReset(std::span<const std::uint8_t> m) {
    const std::uint8_t kind = m[kOffsetValue1];
    if (kind == reset::kEverything || kind == reset::kPresets) {
        state_.presets = FactoryPresets();
        state_.editBuffer = state_.presets[static_cast<std::size_t>(state_.currentPreset)];
    }
    if (kind == reset::kEverything) {
        state_.userIrs = FactoryUserIrs();
        state_.factoryIrs = FactoryCabinets();
    }
    if (kind == reset::kEverything || kind == reset::kSettings) ResetSettings(state_);
    if (kind > reset::kSettings) return;
    dirty_ = true;
    SendStatus(status::kOperationFinished);
}

// ---- 4. Impulse responses -------------------------------------------------------------

void PedalModel::OnRequestIrNameBlock(std::span<const std::uint8_t> m) {
    const int block = m[kOffsetValue1];
    BlockBytes names{};
    std::fill(names.begin(), names.end(), ' ');
    for (std::size_t i = 0; i < kNamesPerIrNameBlock; ++i) {
        const IrData* ir =
            IrSlot(state_, block * static_cast<int>(kNamesPerIrNameBlock) + static_cast<int>(i));
        if (ir && !IsEmptyIr(*ir))
            std::copy_n(ir->begin() + kIrNameOffset, kNameChars, names.begin() + i * kNameChars);
    }
    Send(BuildIrNameBlock(static_cast<std::uint8_t>(block), AsBlock(names)));
}

void PedalModel::OnRequestImpulseResponse(std::span<const std::uint8_t> m) {
    SendIrStream(Join14(m[kOffsetValue1], m[kOffsetValue2]));
}

void PedalModel::SendIrStream(int number) {
    const IrData* ir = IrSlot(state_, number);
    if (!ir) return; // no such slot: the pedal stays silent
    std::array<std::uint8_t, PackedLength(kIrBytes)> packed{};
    Pack7(*ir, packed);
    const std::span<const std::uint8_t> all(packed);
    Send(BuildStreamStart(kTargetApplication, command::kIrStreamStart, number,
                          static_cast<std::uint32_t>(packed.size()), all.first(kStreamChunk)));
    std::size_t at = kStreamChunk;
    for (; packed.size() - at > kStreamChunk; at += kStreamChunk)
        Send(BuildStreamData(kTargetApplication, command::kIrStreamData, all.subspan(at, kStreamChunk)));
    Send(BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, all.subspan(at), StreamChecksumOf(all))
             .Span());
}

bool PedalModel::StoreIr(int number, const PackedStreamReceiver::Result& result) {
    IrData* slot = IrSlot(state_, number);
    if (!slot || result.outcome != PackedStreamReceiver::Outcome::Complete ||
        result.unpacked.size() != kIrBytes)
        return false;
    std::copy(result.unpacked.begin(), result.unpacked.end(), slot->begin());
    dirty_ = true;
    return true;
}

void PedalModel::OnIrStreamStart(std::span<const std::uint8_t> m) {
    const auto view = ReadStreamMessage(m, StreamPart::Start);
    if (!view || !IrSlot(state_, view->item)) {
        SendStatus(status::kError);
        return;
    }
    irUploadNumber_ = view->item;
    irUpload_.Start(view->packedLength, view->packed);
    SendStatus(status::kReadyForNextIrBlock);
}

void PedalModel::OnIrStreamData(std::span<const std::uint8_t> m) {
    if (const auto view = ReadStreamMessage(m, StreamPart::Data)) irUpload_.Add(view->packed);
}

void PedalModel::OnIrStreamEnd(std::span<const std::uint8_t> m) {
    const auto view = ReadStreamMessage(m, StreamPart::End);
    if (!view) return;
    const auto result = irUpload_.Finish(view->packed, view->checksum);
    SendStatus(StoreIr(irUploadNumber_, result) ? status::kIrAssignmentDone : status::kError);
}

void PedalModel::OnRestoreIrStart(std::span<const std::uint8_t> m) {
    const auto view = ReadStreamMessage(m, StreamPart::Start);
    if (RestoreRejectedNow() || !view || !IrSlot(state_, view->item)) {
        SendStatus(status::kBlockRejectedAlt);
        return;
    }
    irRestoreNumber_ = view->item;
    irRestore_.Start(view->packedLength, view->packed);
    SendStatus(status::kBlockAcceptedAlt);
}

void PedalModel::OnRestoreIrData(std::span<const std::uint8_t> m) {
    if (const auto view = ReadStreamMessage(m, StreamPart::Data)) irRestore_.Add(view->packed);
}

void PedalModel::OnRestoreIrEnd(std::span<const std::uint8_t> m) {
    const auto view = ReadStreamMessage(m, StreamPart::End);
    if (!view) return;
    const auto result = irRestore_.Finish(view->packed, view->checksum);
    const bool rejected = RestoreRejectedNow();
    SendStatus(!rejected && StoreIr(irRestoreNumber_, result) ? status::kBlockAcceptedAlt
                                                              : status::kBlockRejectedAlt);
}

// ---- 5. Boot loader ------------------------------------------------------------------

void PedalModel::OnEnterFirmwareUpdate(std::span<const std::uint8_t>) {
    activity_.bootLoaderActive = true;
    firmware_ = PackedStreamReceiver(kFirmwarePackedLimit);
    Send(BuildBootLoaderStatus(status::kBootLoaderReady));
}

void PedalModel::OnFirstFirmwareBlock(std::span<const std::uint8_t> m) {
    if (!activity_.bootLoaderActive) return;
    const std::uint32_t length =
        Join21(m[kOffsetBootLength], m[kOffsetBootLength + 1], m[kOffsetBootLength + 2]);
    firmware_.Start(length, m.subspan(kOffsetBootFirstPacked, kBootChunk));
}

void PedalModel::OnFirmwareBlock(std::span<const std::uint8_t> m) {
    if (!activity_.bootLoaderActive || !firmware_.Running()) return;
    // A 247-byte message is a middle block while more than one block's worth
    // is due; otherwise the block is the last one, with the checksum.
    if (m.size() == kBootBlockLength && firmware_.Outstanding() > kBootChunk) {
        firmware_.Add(m.subspan(kOffsetBootPacked, kBootChunk));
        return;
    }
    const std::size_t n = m.size() - kBootLastBlockOverhead;
    const int checksum = Join14(m[kOffsetBootPacked + n], m[kOffsetBootPacked + n + 1]);
    auto result = firmware_.Finish(m.subspan(kOffsetBootPacked, n), checksum);
    activity_.bootLoaderActive = false;
    if (result.outcome == PackedStreamReceiver::Outcome::Complete && !faults_.failFirmwareUpdate) {
        ++activity_.firmwareUpdates;
        activity_.lastFirmwareImage = std::move(result.unpacked);
        Send(BuildBootLoaderStatus(status::kUpdateComplete));
    } else {
        Send(BuildBootLoaderStatus(status::kUpdateFailed));
    }
}

// ---- 6. Unprompted messages and the way out ------------------------------------------

void PedalModel::TurnKnob(int index, int value) {
    if (faults_.unplugged) return;
    const auto idx = static_cast<std::uint8_t>(index & kDataMask);
    const auto val = static_cast<std::uint8_t>(value & kDataMask);
    if (idx < kNumPresetParams) {
        state_.editBuffer[kPresetValuesOffset + idx] = val;
        dirty_ = true;
    }
    Send(BuildParameterChanged(idx, val));
}

void PedalModel::ChangePreset(int slot) {
    if (faults_.unplugged || slot < 0 || slot >= kNumPresetSlots) return;
    SelectSlot(slot);
    SendPresetDump(slot);
}

void PedalModel::SendError() {
    if (!faults_.unplugged) SendStatus(status::kError);
}

void PedalModel::SendPresetDump(int slot) {
    Send(BuildPresetDump(static_cast<std::uint8_t>(slot),
                         AsBlock(state_.presets[static_cast<std::size_t>(slot)])));
}

void PedalModel::SendStatus(std::uint8_t code) {
    Send(BuildApplicationStatus(code));
}

void PedalModel::Send(std::span<const std::uint8_t> message) {
    if (faults_.dropAnswers > 0) {
        --faults_.dropAnswers;
        return;
    }
    std::vector<std::uint8_t> bytes(message.begin(), message.end());
    if (bytes.size() == kBlockLength && faults_.corruptBlocks > 0) {
        --faults_.corruptBlocks;
        bytes[kOffsetBlockChecksumLow] ^= kLowChecksumBit;
    }
    pending_.push_back({now_ + std::max(0, faults_.answerDelayMs), std::move(bytes)});
    Flush();
}

void PedalModel::Flush() {
    while (!pending_.empty() && pending_.front().due <= now_) {
        const std::vector<std::uint8_t> bytes = std::move(pending_.front().bytes);
        pending_.pop_front();
        // Pulled out of the socket while the answer was on its way.
        if (faults_.unplugged) continue;
        ++activity_.sent;
        if (output_) output_(bytes);
    }
}

} // namespace tolvane::sim
