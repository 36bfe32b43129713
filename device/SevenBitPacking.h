#pragma once
// 7-bit packing: eight-bit data (an impulse-response record, a firmware image)
// read as one bit string, most significant bit first, cut into 7-bit groups,
// one group per data byte (bit 6 = the group's first bit). The last group is
// padded with zero bits, and the packed length N7 = floor((8 N8 + 7) / 7)
// carries one more zero byte whenever 8 N8 is a multiple of 7.
// Unpacking produces N8 = floor(7 N7 / 8) bytes and drops the bits left over.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tolvane {

constexpr std::size_t PackedLength(std::size_t unpackedBytes) {
    return (8 * unpackedBytes + 7) / 7;
}
constexpr std::size_t UnpackedLength(std::size_t packedBytes) {
    return 7 * packedBytes / 8;
}

// Packs in into out and returns PackedLength(in.size()). When out is too small
// nothing is written and 0 is returned.
std::size_t Pack7(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

// Unpacks a whole packed stream at once: min(UnpackedLength(in.size()),
// out.size()) bytes are written; returns how many.
std::size_t Unpack7(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

// Unpacks a stream fed one packed byte (or one message's worth) at a time, so
// a stream can be taken apart message by message as it arrives. The receiver
// feeds one extra zero byte after the stream's last byte to flush the bits
// still held: it completes a final byte that was cut short and changes nothing
// once the wanted count has been produced. Output beyond the destination's
// size is counted but not stored.
class SevenBitUnpacker {
public:
    // Starts a stream that should yield `wanted` bytes into `destination`.
    void Reset(std::span<std::uint8_t> destination, std::size_t wanted);
    void Feed(std::uint8_t packed);
    void Feed(std::span<const std::uint8_t> packed);

    // Bytes produced so far (stored ones are min(Produced(), destination size)).
    std::size_t Produced() const { return produced_; }
    std::size_t Stored() const { return produced_ < destination_.size() ? produced_ : destination_.size(); }
    bool Done() const { return produced_ >= wanted_; }

private:
    std::span<std::uint8_t> destination_;
    std::size_t wanted_ = 0;
    std::size_t produced_ = 0;
    std::uint32_t bits_ = 0; // bits taken but not yet output, lowest `held_` bits
    int held_ = 0;
};

} // namespace tolvane
