#pragma once
// The last settings block of each writable type (global, knob CC numbers,
// program map) that the pedal sent during this connection. Stores are built
// on top of it, so the offsets the editor does not own go back to the pedal
// as the pedal gave them instead of as zeros.
//
// Threads: blocks arrive on the audio thread, stores are built on the
// user-interface thread. Every byte and the "have one" mark are atomics, so a
// store never reads a byte while it is written; a store that overlaps the
// arrival of a new block may mix the two, which the next store mends.

#include "device/LinkLibrary.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

namespace tolvane {

class KeptSettingsBlocks {
public:
    static constexpr int kKeptTypes = 3; // types 0, 1 and 2
    using Data = std::array<std::uint8_t, kPresetRecordBytes>;

    // Keeps the data of a block of type 0..2; other types are not kept.
    void Keep(int type, std::span<const std::uint8_t> data) {
        if (type < 0 || type >= kKeptTypes) return;
        Block& b = blocks_[type];
        for (std::size_t i = 0; i < b.bytes.size(); ++i)
            b.bytes[i].store(i < data.size() ? data[i] : 0, std::memory_order_relaxed);
        b.present.store(true, std::memory_order_release);
    }

    // A new connection: what the pedal said before may no longer hold.
    void ForgetAll() {
        for (Block& b : blocks_)
            b.present.store(false, std::memory_order_release);
    }

    // The kept data of a type, or all zeros (the layout the pedal documents
    // for unused offsets) when none was received during this connection.
    Data Base(int type) const {
        Data data{};
        if (type < 0 || type >= kKeptTypes) return data;
        const Block& b = blocks_[type];
        if (!b.present.load(std::memory_order_acquire)) return data;
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = b.bytes[i].load(std::memory_order_relaxed);
        return data;
    }

    bool Has(int type) const {
        return type >= 0 && type < kKeptTypes && blocks_[type].present.load(std::memory_order_acquire);
    }

private:
    struct Block {
        std::array<std::atomic<std::uint8_t>, kPresetRecordBytes> bytes{};
        std::atomic<bool> present{false};
    };
    std::array<Block, kKeptTypes> blocks_{};
};

} // namespace tolvane
