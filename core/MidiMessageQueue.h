#pragma once
// Whole MIDI messages queued in one fixed block of bytes, for one producer
// thread and one consumer thread (a JACK process callback on one side: the
// program's and the simulator's). Each message is stored as a two-byte
// length and its bytes, wrapping around the end of the block; a message is
// published only once all of it is written, so the consumer never sees half
// of one. Nothing is allocated after construction, and neither side waits
// for the other, so the consumer may be a real-time thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

class MidiMessageQueue {
public:
    // The largest message a queue takes (the length is stored in two bytes).
    static constexpr std::size_t kMaxMessageBytes = 0xffff;

    // capacityBytes is rounded up to a power of two.
    explicit MidiMessageQueue(std::size_t capacityBytes);

    // Producer. False, writing nothing, when the message is empty, too long,
    // or there is not room for all of it now.
    bool Push(const std::uint8_t* bytes, std::size_t size);

    // Consumer: the size of the oldest message, 0 when the queue is empty.
    std::size_t FrontSize() const;
    // Consumer: copies the oldest message (FrontSize bytes) to `to`.
    void CopyFront(std::uint8_t* to) const;
    // Consumer: removes the oldest message.
    void PopFront();

    // The largest message that fits into the empty queue.
    std::size_t LargestMessage() const;
    // Either side: bytes in use, headers included.
    std::size_t UsedBytes() const;
    std::size_t CapacityBytes() const { return bytes_.size(); }

private:
    static constexpr std::size_t kHeaderBytes = 2;
    void CopyIn(std::size_t at, const std::uint8_t* from, std::size_t size);
    void CopyOut(std::size_t at, std::uint8_t* to, std::size_t size) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t mask_;
    // Positions count bytes since the start and only grow; the index into
    // the block is the position masked.
    std::atomic<std::size_t> write_{0};
    std::atomic<std::size_t> read_{0};
    static_assert(std::atomic<std::size_t>::is_always_lock_free);
};

} // namespace tolvane
