#pragma once
// The two checksums of the protocol and the 7-bit splitting of wide values.
// Block checksum: plain sum of a block's 256 data bytes, kept to 14 bits.
// Stream checksum: plain sum of every packed byte of a whole stream, over all
// its messages, kept to 14 bits. Both travel high 7 bits first.

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/SysexConstants.h"

namespace tolvane::sysex {

inline constexpr int kFourteenBitMask = 0x3FFF;

struct SevenBitPair {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    bool operator==(const SevenBitPair&) const = default;
};

// A 14-bit value as two data bytes, high part first; bits above 13 are dropped.
constexpr SevenBitPair Split14(int value) {
    return {static_cast<std::uint8_t>((value >> 7) & kDataMask),
            static_cast<std::uint8_t>(value & kDataMask)};
}
constexpr int Join14(std::uint8_t high, std::uint8_t low) {
    return ((high & kDataMask) << 7) | (low & kDataMask);
}

// A 21-bit packed length as three data bytes, highest first.
constexpr std::uint32_t Join21(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    return (static_cast<std::uint32_t>(b0 & kDataMask) << 14) |
           (static_cast<std::uint32_t>(b1 & kDataMask) << 7) | static_cast<std::uint32_t>(b2 & kDataMask);
}

// Sum of the 256 data bytes, modulo 16384.
int BlockChecksum(std::span<const std::uint8_t, kBlockDataSize> data);

// True when the checksum bytes (264, 265) of a 267-byte block match its data
// bytes (8..263). The index byte and the header are not covered.
bool BlockChecksumValid(std::span<const std::uint8_t, kBlockLength> block);

// Running stream checksum: add the packed bytes of each message as they go.
class StreamChecksum {
public:
    void Reset() { sum_ = 0; }
    void Add(std::span<const std::uint8_t> packed);
    int Value() const { return static_cast<int>(sum_ & kFourteenBitMask); }
    SevenBitPair Bytes() const { return Split14(Value()); }

private:
    std::uint32_t sum_ = 0;
};

// Stream checksum of packed bytes held in one piece.
int StreamChecksumOf(std::span<const std::uint8_t> packed);

} // namespace tolvane::sysex
