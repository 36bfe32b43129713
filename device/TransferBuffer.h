#pragma once
// The outbound transfer buffer shared by the impulse-response upload and the
// firmware update (never both at once): 65536 packed bytes, the send position,
// the bytes remaining, the total N7 and the two halves of the stream checksum.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tolvane {

struct TransferBuffer {
    static constexpr std::size_t kCapacity = 65536;

    std::array<std::uint8_t, kCapacity> packed{};
    int position = 0;  // index of the next byte to send
    int remaining = 0; // bytes not yet sent
    int total = 0;     // N7
    std::uint8_t checksumHigh = 0;
    std::uint8_t checksumLow = 0;

    // Clears the buffer, packs data into it from index 0, sets total =
    // remaining = N7, position = 0 and the stream checksum halves. Data whose
    // packed form would not fit (more than 57343 bytes) is refused: the buffer
    // is left empty (total = remaining = 0) and false is returned.
    bool Fill(std::span<const std::uint8_t> data);

    // The next min(remaining, maxBytes) packed bytes to send, without moving.
    std::span<const std::uint8_t> Peek(std::size_t maxBytes) const;
    // Marks n bytes sent: position += n, remaining = total - position.
    void Advance(std::size_t n);
};

} // namespace tolvane
