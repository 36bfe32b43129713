#pragma once
// Read-only views of received messages, so handlers name fields instead of
// counting offsets: a 267-byte block, an IR stream message and a 32-character
// name. A view never reads outside the bytes it was made from.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/SysexChecksum.h"
#include "device/SysexConstants.h"

namespace tolvane::sysex {

// A block message: Preset dump, Settings block, IR name block (and the blocks
// the editor sends, when the pedal model reads them).
class SysexBlockView {
public:
    explicit SysexBlockView(std::span<const std::uint8_t, kBlockLength> message) : message_(message) {}

    std::uint8_t Command() const { return message_[kOffsetCommand]; }
    // 0x0A, or the firmware version × 10 in a Settings block.
    std::uint8_t Byte6() const { return message_[kOffsetMarker]; }
    // Preset slot, settings block type or IR name block index.
    std::uint8_t Index() const { return message_[kOffsetBlockIndex]; }
    std::span<const std::uint8_t, kBlockDataSize> Data() const {
        return message_.subspan<kOffsetBlockData, kBlockDataSize>();
    }
    // Name i (0..7) of an IR name block: 32 characters at data offset 32 i.
    std::span<const std::uint8_t, kNameChars> NameAt(std::size_t i) const {
        return Data().subspan((i % kNamesPerIrNameBlock) * kNameChars).first<kNameChars>();
    }
    // The checksum as carried in bytes 264 (high) and 265 (low).
    int CarriedChecksum() const {
        return Join14(message_[kOffsetBlockChecksumHigh], message_[kOffsetBlockChecksumLow]);
    }
    bool ChecksumValid() const { return BlockChecksumValid(message_); }
    std::span<const std::uint8_t, kBlockLength> Message() const { return message_; }

private:
    std::span<const std::uint8_t, kBlockLength> message_;
};

enum class StreamPart { Start, Data, End };

// One message of an IR stream (or of a restore stream, which has the same
// shapes). `packed` is the packed payload the message carries.
struct StreamMessageView {
    StreamPart part = StreamPart::Start;
    std::span<const std::uint8_t> message; // whole message, F0 to F7
    std::span<const std::uint8_t> packed;
    int item = 0;                   // Start: impulse-response number (14 bits)
    std::uint32_t packedLength = 0; // Start: N7 of the whole stream (21 bits)
    int checksum = 0;               // End: stream checksum as carried
};

// Reads message as the given part of a stream. Only the length is checked
// against the part's shape (start 269, data 264, end 11..266); the header and
// command are the caller's business. nullopt when the length does not fit.
std::optional<StreamMessageView> ReadStreamMessage(std::span<const std::uint8_t> message, StreamPart part);

// A name of 32 characters as text: it ends at the first NUL, and trailing
// blanks are removed from the last character down to the second (the first
// character is always kept, so an all-blank name reads as one blank).
std::string ReadName(std::span<const std::uint8_t, kNameChars> chars);
// The same characters seen in place, without a copy (for the clock thread).
std::string_view NameView(std::span<const std::uint8_t, kNameChars> chars);

} // namespace tolvane::sysex
