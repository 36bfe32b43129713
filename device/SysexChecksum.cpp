#include "device/SysexChecksum.h"

#include <numeric>

namespace tolvane::sysex {

int BlockChecksum(std::span<const std::uint8_t, kBlockDataSize> data) {
    const int sum = std::accumulate(data.begin(), data.end(), 0);
    return sum & kFourteenBitMask;
}

bool BlockChecksumValid(std::span<const std::uint8_t, kBlockLength> block) {
    const SevenBitPair expected = Split14(BlockChecksum(block.subspan<kOffsetBlockData, kBlockDataSize>()));
    return block[kOffsetBlockChecksumHigh] == expected.high && block[kOffsetBlockChecksumLow] == expected.low;
}

void StreamChecksum::Add(std::span<const std::uint8_t> packed) {
    sum_ = std::accumulate(packed.begin(), packed.end(), sum_);
}

int StreamChecksumOf(std::span<const std::uint8_t> packed) {
    StreamChecksum sum;
    sum.Add(packed);
    return sum.Value();
}

} // namespace tolvane::sysex
