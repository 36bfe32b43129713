#include "device/BackupTransferMessages.h"

#include "device/SysexChecksum.h"
#include "device/SysexConstants.h"

#include <numeric>

namespace tolvane::backup {
namespace {

using namespace sysex;

// Record offsets of parameters 40/41 (IR Mode of positions 7 and 8) and
// 53..56 (their user IR numbers), as bytes of the Preset dump.
constexpr std::size_t kModeA = kOffsetBlockData + 74;
constexpr std::size_t kModeB = kOffsetBlockData + 75;
constexpr std::size_t kNumberAHigh = kOffsetBlockData + 87;
constexpr std::size_t kNumberBHigh = kOffsetBlockData + 89;

std::uint32_t Sum(std::span<const std::uint8_t> bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), std::uint32_t{0});
}

bool LengthFits(std::uint8_t command, std::size_t length) {
    switch (command) {
    case command::kIrStreamStart:
        return length == kStreamStartLength;
    case command::kIrStreamData:
        return length == kStreamDataLength;
    case command::kIrStreamEnd:
        return length > kStreamEndOverhead && length <= kStreamEndMaxLength;
    case command::kPresetDump:
        return length == kBlockLength;
    default:
        return true;
    }
}

} // namespace

std::array<std::optional<int>, 2> UsedIrSlots(std::span<const std::uint8_t> dump) {
    std::array<std::optional<int>, 2> slots;
    if (dump.size() < kBlockLength) return slots;
    const std::size_t modes[] = {kModeA, kModeB};
    const std::size_t numbers[] = {kNumberAHigh, kNumberBHigh};
    for (int i = 0; i < 2; ++i) {
        if (dump[modes[i]] == 0) continue;
        const int n = dump[numbers[i]] * 128 + dump[numbers[i] + 1];
        if (n < kUserIrSlots) slots[i] = n;
    }
    return slots;
}

std::optional<std::vector<MessageSpan>> SplitMessages(std::span<const std::uint8_t> content) {
    std::vector<MessageSpan> messages;
    std::size_t i = 0;
    while (i < content.size()) {
        if (content[i] != kStart) {
            ++i;
            continue;
        }
        // Inside a message only data bytes may stand: any other byte of 0x80
        // or more would reach the pedal and cut the message there.
        std::size_t end = i + 1;
        while (end < content.size() && content[end] < 0x80)
            ++end;
        if (end == content.size() || content[end] != kEnd) return std::nullopt;
        const std::size_t length = end + 1 - i;
        if (length < kStatusLength || !LengthFits(content[i + kOffsetCommand], length)) return std::nullopt;
        messages.push_back({i, length});
        i = end + 1;
    }
    if (messages.empty()) return std::nullopt;
    return messages;
}

bool StreamsComplete(std::span<const std::uint8_t> content, const std::vector<MessageSpan>& messages) {
    bool inStream = false;
    for (const auto& m : messages) {
        switch (content[m.offset + kOffsetCommand]) {
        case command::kIrStreamStart:
            if (inStream) return false;
            inStream = true;
            break;
        case command::kIrStreamData:
            if (!inStream) return false;
            break;
        case command::kIrStreamEnd:
            if (!inStream) return false;
            inStream = false;
            break;
        default:
            if (inStream) return false;
            break;
        }
    }
    return !inStream;
}

void RewriteForRestore(std::span<std::uint8_t> message, std::uint32_t& runningSum) {
    if (message.size() <= kOffsetCommand) return;
    std::uint8_t& commandByte = message[kOffsetCommand];
    const std::size_t length = message.size();
    switch (commandByte) {
    case command::kPresetDump:
        commandByte = command::kRestorePreset;
        break;
    case command::kIrStreamStart:
        commandByte = command::kRestoreIrStart;
        if (length == kStreamStartLength)
            runningSum = Sum(message.subspan(kOffsetStreamStartPacked, kStreamChunk));
        break;
    case command::kIrStreamData:
        commandByte = command::kRestoreIrData;
        if (length == kStreamDataLength)
            runningSum += Sum(message.subspan(kOffsetStreamPacked, kStreamChunk));
        break;
    case command::kIrStreamEnd: {
        commandByte = command::kRestoreIrEnd;
        if (length <= kStreamEndOverhead) break;
        runningSum += Sum(message.subspan(kOffsetStreamPacked, length - kStreamEndOverhead));
        const SevenBitPair checksum = Split14(static_cast<int>(runningSum & kFourteenBitMask));
        message[length - 3] = checksum.high;
        message[length - 2] = checksum.low;
        break;
    }
    default:
        break;
    }
}

} // namespace tolvane::backup
