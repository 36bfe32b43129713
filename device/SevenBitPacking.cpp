#include "device/SevenBitPacking.h"

#include <algorithm>

namespace tolvane {

namespace {
constexpr int kGroupBits = 7;
constexpr int kByteBits = 8;
constexpr std::uint32_t kGroupMask = 0x7F;
constexpr std::uint32_t kByteMask = 0xFF;
} // namespace

std::size_t Pack7(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    const std::size_t length = PackedLength(in.size());
    if (out.size() < length) return 0;
    std::size_t written = 0;
    std::uint32_t bits = 0; // the lowest `held` bits are not yet written
    int held = 0;
    for (const std::uint8_t byte : in) {
        bits = (bits << kByteBits) | byte;
        held += kByteBits;
        while (held >= kGroupBits) {
            held -= kGroupBits;
            out[written++] = static_cast<std::uint8_t>((bits >> held) & kGroupMask);
        }
        bits &= (1u << held) - 1;
    }
    if (held > 0) out[written++] = static_cast<std::uint8_t>((bits << (kGroupBits - held)) & kGroupMask);
    // The length formula may ask for one byte past the last bit group.
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(written),
              out.begin() + static_cast<std::ptrdiff_t>(length), 0);
    return length;
}

std::size_t Unpack7(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    SevenBitUnpacker unpacker;
    unpacker.Reset(out, std::min(UnpackedLength(in.size()), out.size()));
    unpacker.Feed(in);
    return unpacker.Stored();
}

void SevenBitUnpacker::Reset(std::span<std::uint8_t> destination, std::size_t wanted) {
    destination_ = destination;
    wanted_ = wanted;
    produced_ = 0;
    bits_ = 0;
    held_ = 0;
}

void SevenBitUnpacker::Feed(std::uint8_t packed) {
    if (produced_ >= wanted_) return;
    bits_ = (bits_ << kGroupBits) | (packed & kGroupMask);
    held_ += kGroupBits;
    // Fewer than 8 bits were held before, so at most one byte completes here.
    if (held_ >= kByteBits) {
        held_ -= kByteBits;
        if (produced_ < destination_.size())
            destination_[produced_] = static_cast<std::uint8_t>((bits_ >> held_) & kByteMask);
        ++produced_;
        bits_ &= (1u << held_) - 1;
    }
}

void SevenBitUnpacker::Feed(std::span<const std::uint8_t> packed) {
    for (const std::uint8_t byte : packed)
        Feed(byte);
}

} // namespace tolvane
