#include "sim/model/PackedStreamReceiver.h"

#include "device/SevenBitPacking.h"

namespace tolvane::sim {

void PackedStreamReceiver::Start(std::uint32_t announcedLength, std::span<const std::uint8_t> packed) {
    running_ = true;
    overflow_ = announcedLength > limit_;
    announced_ = announcedLength;
    packed_.clear();
    checksum_.Reset();
    Add(packed);
}

void PackedStreamReceiver::Add(std::span<const std::uint8_t> packed) {
    if (!running_) return;
    checksum_.Add(packed);
    // Never hold more than the limit, whatever a sender claims or sends.
    if (packed_.size() + packed.size() > limit_) {
        overflow_ = true;
        return;
    }
    packed_.insert(packed_.end(), packed.begin(), packed.end());
}

std::size_t PackedStreamReceiver::Outstanding() const {
    return packed_.size() < announced_ ? announced_ - packed_.size() : 0;
}

PackedStreamReceiver::Result PackedStreamReceiver::Finish(std::span<const std::uint8_t> lastPacked,
                                                          int carriedChecksum) {
    Result result;
    if (!running_) return result;
    Add(lastPacked);
    running_ = false;
    if (overflow_ || packed_.size() != announced_) {
        result.outcome = Outcome::WrongLength;
        return result;
    }
    if (checksum_.Value() != carriedChecksum) {
        result.outcome = Outcome::WrongChecksum;
        return result;
    }
    result.outcome = Outcome::Complete;
    result.unpacked.resize(UnpackedLength(packed_.size()));
    Unpack7(packed_, result.unpacked);
    return result;
}

} // namespace tolvane::sim
