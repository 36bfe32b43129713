#pragma once
// Whole MIDI messages between the JACK process callback and the main loop:
// a lock-free single-producer single-consumer byte ring in which each message
// is a two-byte length followed by its bytes. A push is all or nothing, so
// the consumer never sees half a message it has to put back; it learns the
// next message's size first and takes the bytes only when it has room for
// them (the callback's room is this period's MIDI buffer).

#include "core/RingBuffer.h"

#include <cstddef>
#include <cstdint>

namespace tolvane::sim {

template <std::size_t Bytes> class MessageRing {
public:
    static constexpr std::size_t kHeader = 2;
    // The largest message that fits into an empty ring.
    static constexpr std::size_t kLargest = RingBuffer<std::uint8_t, Bytes>::kUsable - kHeader;
    static_assert(kLargest > 0 && kLargest <= 0xFFFF, "the length must fit its two bytes");

    // Producer. False, leaving the ring as it was, when the message does not
    // fit now (or is empty or larger than kLargest).
    bool Push(const std::uint8_t* data, std::size_t size) {
        if (size == 0 || size > kLargest) return false;
        // Only the consumer changes the size meanwhile, and it only shrinks it.
        if (ring_.kUsable - ring_.Size() < kHeader + size) return false;
        ring_.Push(static_cast<std::uint8_t>(size & 0xFF));
        ring_.Push(static_cast<std::uint8_t>(size >> 8));
        for (std::size_t i = 0; i < size; ++i)
            ring_.Push(data[i]);
        return true;
    }

    // Consumer. The size of the next message once all of it is in the ring,
    // else 0. Asking again before Pop gives the same answer.
    std::size_t NextSize() {
        if (next_ == 0 && ring_.Size() >= kHeader) {
            std::uint8_t low = 0, high = 0;
            ring_.Pop(low);
            ring_.Pop(high);
            next_ = static_cast<std::size_t>(low) | static_cast<std::size_t>(high) << 8;
        }
        return next_ != 0 && ring_.Size() >= next_ ? next_ : 0;
    }

    // Consumer: copies the message NextSize() announced into to (NextSize()
    // bytes), or drops it when to is null.
    void Pop(std::uint8_t* to) {
        for (std::size_t i = 0; i < next_; ++i) {
            std::uint8_t byte = 0;
            ring_.Pop(byte);
            if (to) to[i] = byte;
        }
        next_ = 0;
    }

private:
    RingBuffer<std::uint8_t, Bytes> ring_;
    std::size_t next_ = 0; // consumer's own: the size read from a header not yet popped
};

} // namespace tolvane::sim
