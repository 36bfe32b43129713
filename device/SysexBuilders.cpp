#include "device/SysexBuilders.h"

#include <algorithm>

namespace tolvane::sysex {

namespace {

constexpr std::uint8_t Data7(unsigned value) {
    return static_cast<std::uint8_t>(value & kDataMask);
}

// F0, manufacturer, target, command: bytes 0-5 of every message.
void WriteHeader(std::span<std::uint8_t> m, std::uint8_t target, std::uint8_t command) {
    m[0] = kStart;
    std::copy(kManufacturer.begin(), kManufacturer.end(), m.begin() + kOffsetManufacturer);
    m[kOffsetTarget] = Data7(target);
    m[kOffsetCommand] = Data7(command);
}

// Copies at most `room` bytes of `from` to m[at...], each as a data byte;
// returns how many were copied.
std::size_t WritePayload(std::span<std::uint8_t> m, std::size_t at, std::span<const std::uint8_t> from,
                         std::size_t room) {
    const std::size_t n = std::min(from.size(), room);
    std::transform(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n),
                   m.begin() + static_cast<std::ptrdiff_t>(at), [](std::uint8_t b) { return Data7(b); });
    return n;
}

void WriteLength21(std::span<std::uint8_t> m, std::size_t at, std::uint32_t length) {
    m[at] = Data7(length >> 14);
    m[at + 1] = Data7(length >> 7);
    m[at + 2] = Data7(length);
}

void WritePair(std::span<std::uint8_t> m, std::size_t at, SevenBitPair pair) {
    m[at] = pair.high;
    m[at + 1] = pair.low;
}

} // namespace

Message<kStatusLength> BuildStatus(std::uint8_t target, std::uint8_t code) {
    Message<kStatusLength> m{};
    WriteHeader(m, target, code);
    m[kStatusLength - 1] = kEnd;
    return m;
}

Message<kCommandLength> BuildCommand(std::uint8_t target, std::uint8_t command) {
    Message<kCommandLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = kPayloadMarker;
    m[kCommandLength - 1] = kEnd;
    return m;
}

Message<kOneValueLength> BuildOneValue(std::uint8_t target, std::uint8_t command, std::uint8_t value) {
    Message<kOneValueLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = kPayloadMarker;
    m[kOffsetValue1] = Data7(value);
    m[kOneValueLength - 1] = kEnd;
    return m;
}

Message<kTwoValueLength> BuildTwoValues(std::uint8_t target, std::uint8_t command, std::uint8_t value1,
                                        std::uint8_t value2) {
    Message<kTwoValueLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = kPayloadMarker;
    m[kOffsetValue1] = Data7(value1);
    m[kOffsetValue2] = Data7(value2);
    m[kTwoValueLength - 1] = kEnd;
    return m;
}

Message<kBlockLength> BuildBlock(std::uint8_t target, std::uint8_t command, std::uint8_t byte6,
                                 std::uint8_t index, BlockData data) {
    Message<kBlockLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = Data7(byte6);
    m[kOffsetBlockIndex] = Data7(index);
    WritePayload(m, kOffsetBlockData, data, kBlockDataSize);
    // The checksum covers the bytes as sent, after masking.
    const auto sent =
        std::span<const std::uint8_t, kBlockLength>(m).subspan<kOffsetBlockData, kBlockDataSize>();
    WritePair(m, kOffsetBlockChecksumHigh, Split14(BlockChecksum(sent)));
    m[kBlockLength - 1] = kEnd;
    return m;
}

Message<kNameLength> BuildName(std::uint8_t target, std::uint8_t command, std::string_view name) {
    Message<kNameLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = kPayloadMarker;
    std::fill_n(m.begin() + kOffsetNameChars, kNameChars, static_cast<std::uint8_t>(' '));
    const auto chars =
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
    WritePayload(m, kOffsetNameChars, chars, kNameChars);
    m[kNameLength - 1] = kEnd;
    return m;
}

Message<kStreamStartLength> BuildStreamStart(std::uint8_t target, std::uint8_t command, int item,
                                             std::uint32_t packedLength,
                                             std::span<const std::uint8_t> packed) {
    Message<kStreamStartLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = kPayloadMarker;
    WritePair(m, kOffsetStreamItem, Split14(item));
    WriteLength21(m, kOffsetStreamLength, packedLength);
    WritePayload(m, kOffsetStreamStartPacked, packed, kStreamChunk);
    m[kStreamStartLength - 1] = kEnd;
    return m;
}

Message<kStreamDataLength> BuildStreamData(std::uint8_t target, std::uint8_t command,
                                           std::span<const std::uint8_t> packed) {
    Message<kStreamDataLength> m{};
    WriteHeader(m, target, command);
    m[kOffsetMarker] = kPayloadMarker;
    WritePayload(m, kOffsetStreamPacked, packed, kStreamChunk);
    m[kStreamDataLength - 1] = kEnd;
    return m;
}

VarMessage<kStreamEndMaxLength> BuildStreamEnd(std::uint8_t target, std::uint8_t command,
                                               std::span<const std::uint8_t> packed, int checksum) {
    VarMessage<kStreamEndMaxLength> m;
    WriteHeader(m.bytes, target, command);
    m.bytes[kOffsetMarker] = kPayloadMarker;
    const std::size_t n = WritePayload(m.bytes, kOffsetStreamPacked, packed, kStreamChunk);
    WritePair(m.bytes, kOffsetStreamPacked + n, Split14(checksum));
    m.length = n + kStreamEndOverhead;
    m.bytes[m.length - 1] = kEnd;
    return m;
}

Message<kBootFirstBlockLength> BuildBootFirstBlock(std::uint8_t target, std::uint8_t command,
                                                   std::uint32_t packedLength,
                                                   std::span<const std::uint8_t> packed) {
    Message<kBootFirstBlockLength> m{};
    WriteHeader(m, target, command);
    WriteLength21(m, kOffsetBootLength, packedLength);
    WritePayload(m, kOffsetBootFirstPacked, packed, kBootChunk);
    m[kBootFirstBlockLength - 1] = kEnd;
    return m;
}

Message<kBootBlockLength> BuildBootBlock(std::uint8_t target, std::uint8_t command,
                                         std::span<const std::uint8_t> packed) {
    Message<kBootBlockLength> m{};
    WriteHeader(m, target, command);
    WritePayload(m, kOffsetBootPacked, packed, kBootChunk);
    m[kBootBlockLength - 1] = kEnd;
    return m;
}

VarMessage<kBootLastBlockMaxLength> BuildBootLastBlock(std::uint8_t target, std::uint8_t command,
                                                       std::span<const std::uint8_t> packed, int checksum) {
    VarMessage<kBootLastBlockMaxLength> m;
    WriteHeader(m.bytes, target, command);
    const std::size_t n = WritePayload(m.bytes, kOffsetBootPacked, packed, kBootChunk);
    WritePair(m.bytes, kOffsetBootPacked + n, Split14(checksum));
    m.length = n + kBootLastBlockOverhead;
    m.bytes[m.length - 1] = kEnd;
    return m;
}

} // namespace tolvane::sysex
