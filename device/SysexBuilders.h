#pragma once
// Builders of outbound messages, in two layers:
//   1. One builder per message shape, general over target and command, used by
//      the editor and by the pedal model alike.
//   2. The catalogue's messages by name, each a one-line call of a shape.
// Every builder returns a zero-initialised fixed-size array with the frame and
// fields written. Every payload byte is masked to 7 bits, so a slip of a caller
// can never put a status byte on the wire. Shapes whose length depends on the
// payload (stream end, last boot-loader block) return a VarMessage, whose
// size() is the length to send.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "device/SysexChecksum.h"
#include "device/SysexConstants.h"

namespace tolvane::sysex {

template <std::size_t N> using Message = std::array<std::uint8_t, N>;

template <std::size_t Capacity> struct VarMessage {
    std::array<std::uint8_t, Capacity> bytes{};
    std::size_t length = 0;

    const std::uint8_t* data() const { return bytes.data(); }
    std::size_t size() const { return length; }
    std::span<const std::uint8_t> Span() const { return {bytes.data(), length}; }
};

using BlockData = std::span<const std::uint8_t, kBlockDataSize>;

// 1. Shapes ------------------------------------------------------------------

Message<kStatusLength> BuildStatus(std::uint8_t target, std::uint8_t code);
Message<kCommandLength> BuildCommand(std::uint8_t target, std::uint8_t command);
Message<kOneValueLength> BuildOneValue(std::uint8_t target, std::uint8_t command, std::uint8_t value);
Message<kTwoValueLength> BuildTwoValues(std::uint8_t target, std::uint8_t command, std::uint8_t value1,
                                        std::uint8_t value2);
// byte6 is 0x0A except in a Settings block, where it is the firmware version × 10.
Message<kBlockLength> BuildBlock(std::uint8_t target, std::uint8_t command, std::uint8_t byte6,
                                 std::uint8_t index, BlockData data);
// The name is cut at 32 characters and padded with blanks; bytes 39-40 stay 0.
Message<kNameLength> BuildName(std::uint8_t target, std::uint8_t command, std::string_view name);

// Stream of packed bytes: start carries the first 256, data the next 256 each,
// end the last 1..256 and the stream checksum. A shorter chunk than 256 for
// start or data leaves the rest zero; an end chunk longer than 256 is cut.
Message<kStreamStartLength> BuildStreamStart(std::uint8_t target, std::uint8_t command, int item,
                                             std::uint32_t packedLength,
                                             std::span<const std::uint8_t> packed);
Message<kStreamDataLength> BuildStreamData(std::uint8_t target, std::uint8_t command,
                                           std::span<const std::uint8_t> packed);
VarMessage<kStreamEndMaxLength> BuildStreamEnd(std::uint8_t target, std::uint8_t command,
                                               std::span<const std::uint8_t> packed, int checksum);

// Firmware image to the boot loader in chunks of 240 packed bytes; the same
// cutting and padding rules as the stream, with 240 in place of 256.
Message<kBootFirstBlockLength> BuildBootFirstBlock(std::uint8_t target, std::uint8_t command,
                                                   std::uint32_t packedLength,
                                                   std::span<const std::uint8_t> packed);
Message<kBootBlockLength> BuildBootBlock(std::uint8_t target, std::uint8_t command,
                                         std::span<const std::uint8_t> packed);
VarMessage<kBootLastBlockMaxLength> BuildBootLastBlock(std::uint8_t target, std::uint8_t command,
                                                       std::span<const std::uint8_t> packed, int checksum);

// 2. The catalogue by name ---------------------------------------------------

// Editor to the application
inline auto BuildSetParameter(std::uint8_t deviceNumber, std::uint8_t value) {
    return BuildTwoValues(kTargetApplication, command::kSetParameter, deviceNumber, value);
}
inline auto BuildRequestPreset(std::uint8_t slot) {
    return BuildOneValue(kTargetApplication, command::kRequestPreset, slot);
}
inline auto BuildSelectPreset(std::uint8_t slot) {
    return BuildOneValue(kTargetApplication, command::kSelectPreset, slot);
}
inline auto BuildRequestSettingsBlock(std::uint8_t type) {
    return BuildOneValue(kTargetApplication, command::kRequestSettingsBlock, type);
}
inline auto BuildFactoryReset(std::uint8_t kind) {
    return BuildOneValue(kTargetApplication, command::kFactoryReset, kind);
}
inline auto BuildBulkTransfer(bool begin) {
    return BuildCommand(kTargetApplication, begin ? command::kBeginBulkTransfer : command::kEndBulkTransfer);
}
inline auto BuildEditorClosing() {
    return BuildCommand(kTargetApplication, command::kEditorClosing);
}
// number 0..16383, sent high 7 bits first
inline auto BuildRequestImpulseResponse(int number) {
    const SevenBitPair n = Split14(number);
    return BuildTwoValues(kTargetApplication, command::kRequestImpulseResponse, n.high, n.low);
}
inline auto BuildRequestIrNameBlock(std::uint8_t index) {
    return BuildOneValue(kTargetApplication, command::kRequestIrNameBlock, index);
}
inline auto BuildStorePreset(std::uint8_t slot, BlockData record) {
    return BuildBlock(kTargetApplication, command::kStorePreset, kPayloadMarker, slot, record);
}
inline auto BuildStoreSettingsBlock(std::uint8_t type, BlockData data) {
    return BuildBlock(kTargetApplication, command::kStoreSettingsBlock, kPayloadMarker, type, data);
}
// Editor to the boot loader
inline auto BuildEnterFirmwareUpdate() {
    return BuildStatus(kTargetBootLoader, command::kEnterFirmwareUpdate);
}

// Pedal to the editor (used by the pedal model)
inline auto BuildPresetDump(std::uint8_t slot, BlockData record) {
    return BuildBlock(kTargetApplication, command::kPresetDump, kPayloadMarker, slot, record);
}
inline auto BuildSettingsBlock(std::uint8_t versionTimesTen, std::uint8_t type, BlockData data) {
    return BuildBlock(kTargetApplication, command::kSettingsBlock, versionTimesTen, type, data);
}
inline auto BuildIrNameBlock(std::uint8_t index, BlockData names) {
    return BuildBlock(kTargetApplication, command::kIrNameBlock, kPayloadMarker, index, names);
}
inline auto BuildParameterChanged(std::uint8_t index, std::uint8_t value) {
    return BuildTwoValues(kTargetApplication, command::kParameterChanged, index, value);
}
inline auto BuildNameMessage(std::string_view name) {
    return BuildName(kTargetApplication, command::kName, name);
}
inline auto BuildApplicationStatus(std::uint8_t code) {
    return BuildStatus(kTargetApplication, code);
}
inline auto BuildBootLoaderStatus(std::uint8_t code) {
    return BuildStatus(kTargetBootLoader, code);
}

} // namespace tolvane::sysex
