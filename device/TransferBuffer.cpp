#include "device/TransferBuffer.h"

#include <algorithm>

#include "device/SevenBitPacking.h"
#include "device/SysexChecksum.h"

namespace tolvane {

bool TransferBuffer::Fill(std::span<const std::uint8_t> data) {
    packed.fill(0);
    position = remaining = total = 0;
    checksumHigh = checksumLow = 0;
    const std::size_t n7 = Pack7(data, packed);
    if (n7 == 0) return false;
    total = remaining = static_cast<int>(n7);
    const sysex::SevenBitPair sum = sysex::Split14(sysex::StreamChecksumOf(std::span(packed).first(n7)));
    checksumHigh = sum.high;
    checksumLow = sum.low;
    return true;
}

std::span<const std::uint8_t> TransferBuffer::Peek(std::size_t maxBytes) const {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(remaining, 0)), maxBytes);
    return std::span<const std::uint8_t>(packed).subspan(static_cast<std::size_t>(position), n);
}

void TransferBuffer::Advance(std::size_t n) {
    position = std::min(position + static_cast<int>(n), total);
    remaining = total - position;
}

} // namespace tolvane
