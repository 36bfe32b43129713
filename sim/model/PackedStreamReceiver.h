#pragma once
// Collects the packed bytes of one inbound stream (an impulse response, a
// restored impulse response, a firmware image) message by message, and at the
// end checks the announced length and the stream checksum before unpacking.

#include <cstdint>
#include <span>
#include <vector>

#include "device/SysexChecksum.h"

namespace tolvane::sim {

class PackedStreamReceiver {
public:
    // limit: the most packed bytes a stream may announce or carry.
    explicit PackedStreamReceiver(std::size_t limit) : limit_(limit) {}

    void Start(std::uint32_t announcedLength, std::span<const std::uint8_t> packed);
    // Ignored while no stream runs.
    void Add(std::span<const std::uint8_t> packed);

    // Packed bytes still due before the announced length is reached.
    std::size_t Outstanding() const;
    bool Running() const { return running_; }

    enum class Outcome { Complete, NotStarted, WrongLength, WrongChecksum };
    struct Result {
        Outcome outcome = Outcome::NotStarted;
        std::vector<std::uint8_t> unpacked; // filled when Complete
    };
    // Adds the last packed bytes, checks and ends the stream.
    Result Finish(std::span<const std::uint8_t> lastPacked, int carriedChecksum);

private:
    std::size_t limit_;
    bool running_ = false;
    bool overflow_ = false;
    std::uint32_t announced_ = 0;
    std::vector<std::uint8_t> packed_;
    sysex::StreamChecksum checksum_;
};

} // namespace tolvane::sim
