#pragma once
// The two shapes of MIDI that travel between the ports, the plug-in and the
// editor, and the fixed-size entry a SysEx message is copied into so that it
// can wait in a ring without any allocation.

#include <algorithm>
#include <array>
#include <cstdint>

namespace tolvane {

// Longest SysEx message that is accepted on input, F0 to F7 inclusive.
inline constexpr int kMaxSysExBytes = 512;

struct MidiShortMessage {
    int offset = 0; // sample offset within the block
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    bool operator==(const MidiShortMessage&) const = default;
};
static_assert(sizeof(MidiShortMessage) == 8);

// A view of a SysEx message; the bytes belong to the caller.
struct SysExMessage {
    int offset = 0;
    int size = 0;
    const std::uint8_t* data = nullptr;
};

// A SysEx message copied whole; bytes after the count are zero.
struct SysExEntry {
    int offset = 0;
    int size = 0;
    std::array<std::uint8_t, kMaxSysExBytes> data{};

    // Copies at most kMaxSysExBytes; callers reject longer messages first.
    static SysExEntry From(const SysExMessage& msg) {
        SysExEntry entry;
        entry.offset = msg.offset;
        entry.size = std::clamp(msg.size, 0, kMaxSysExBytes);
        if (msg.data) std::copy_n(msg.data, entry.size, entry.data.begin());
        return entry;
    }
    SysExMessage View() const { return SysExMessage{offset, size, data.data()}; }
};
static_assert(sizeof(SysExEntry) == 520);

} // namespace tolvane
