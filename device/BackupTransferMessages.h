#pragma once
// The backup file's content as messages: a backup is the SysEx messages the
// pedal sent during an export, stored byte for byte, and a restore replays
// them with the dump commands turned into restore commands.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tolvane::backup {

inline constexpr std::size_t kBufferSize = 1048576;
inline constexpr int kPresetCount = 128;
inline constexpr int kUserIrSlots = 256;

// The user IR slots (0..255) a Preset dump's record uses at IR positions 7
// and 8; a slot is nullopt when its position is off or its number is 256 or more.
std::array<std::optional<int>, 2> UsedIrSlots(std::span<const std::uint8_t> presetDump);

// Where each message of a backup lies: from an F0 up to and including the
// next F7; bytes between messages are skipped. nullopt when the content is not
// a sequence of whole messages (an F0 without its F7, a byte of 0x80 or more
// other than the F7 inside a message,
// a message too short to carry a command, a stream message of a wrong length)
// or holds no message at all.
struct MessageSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
};
std::optional<std::vector<MessageSpan>> SplitMessages(std::span<const std::uint8_t> content);

// Whether every IR stream of the backup is whole: a start, its data messages
// and an end, with no data or end outside a stream. A restore sends the data
// messages without waiting, so a stream cut short would end on a message that
// the pedal never answers.
bool StreamsComplete(std::span<const std::uint8_t> content, const std::vector<MessageSpan>& messages);

// Turns one stored message into the message to send: Preset dump becomes
// Restore preset, the IR stream messages become the Restore IR messages, and
// the end message's stream checksum is recomputed from the packed bytes.
// runningSum carries the sum between the messages of one stream.
void RewriteForRestore(std::span<std::uint8_t> message, std::uint32_t& runningSum);

} // namespace tolvane::backup
