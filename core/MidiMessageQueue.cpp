#include "core/MidiMessageQueue.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tolvane {

MidiMessageQueue::MidiMessageQueue(std::size_t capacityBytes)
    : bytes_(std::bit_ceil(std::max<std::size_t>(capacityBytes, 16))), mask_(bytes_.size() - 1) {}

void MidiMessageQueue::CopyIn(std::size_t at, const std::uint8_t* from, std::size_t size) {
    const std::size_t index = at & mask_;
    const std::size_t first = std::min(size, bytes_.size() - index);
    std::memcpy(bytes_.data() + index, from, first);
    std::memcpy(bytes_.data(), from + first, size - first);
}

void MidiMessageQueue::CopyOut(std::size_t at, std::uint8_t* to, std::size_t size) const {
    const std::size_t index = at & mask_;
    const std::size_t first = std::min(size, bytes_.size() - index);
    std::memcpy(to, bytes_.data() + index, first);
    std::memcpy(to + first, bytes_.data(), size - first);
}

bool MidiMessageQueue::Push(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size == 0 || size > kMaxMessageBytes) return false;
    const std::size_t write = write_.load(std::memory_order_relaxed);
    const std::size_t read = read_.load(std::memory_order_acquire);
    if (bytes_.size() - (write - read) < kHeaderBytes + size) return false;
    const std::uint8_t header[kHeaderBytes] = {static_cast<std::uint8_t>(size & 0xff),
                                               static_cast<std::uint8_t>(size >> 8)};
    CopyIn(write, header, kHeaderBytes);
    CopyIn(write + kHeaderBytes, bytes, size);
    write_.store(write + kHeaderBytes + size, std::memory_order_release);
    return true;
}

std::size_t MidiMessageQueue::FrontSize() const {
    const std::size_t read = read_.load(std::memory_order_relaxed);
    if (write_.load(std::memory_order_acquire) == read) return 0;
    std::uint8_t header[kHeaderBytes];
    CopyOut(read, header, kHeaderBytes);
    return static_cast<std::size_t>(header[0]) | static_cast<std::size_t>(header[1]) << 8;
}

void MidiMessageQueue::CopyFront(std::uint8_t* to) const {
    const std::size_t read = read_.load(std::memory_order_relaxed);
    CopyOut(read + kHeaderBytes, to, FrontSize());
}

void MidiMessageQueue::PopFront() {
    const std::size_t size = FrontSize();
    if (size == 0) return;
    read_.store(read_.load(std::memory_order_relaxed) + kHeaderBytes + size, std::memory_order_release);
}

std::size_t MidiMessageQueue::LargestMessage() const {
    return std::min(kMaxMessageBytes, bytes_.size() - kHeaderBytes);
}

std::size_t MidiMessageQueue::UsedBytes() const {
    return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
}

} // namespace tolvane
