#pragma once
// Turns the JACK MIDI events the simulator receives into the messages the
// pedal model takes. A long SysEx may arrive in pieces (a bridge from a slow
// link splits it): the pieces after the first start with data bytes or with
// its end, and are joined. Timing clock, time code and active sensing are
// dropped, as the pedal ignores them.

#include <utility>
#include <vector>

namespace tolvane::sim {

class EventJoiner {
public:
    using Message = std::vector<unsigned char>;

    // Adds one event (not empty); a message it completes goes to out.
    void Add(Message event, std::vector<Message>& out) {
        const unsigned char status = event.front();
        if (status == 0xF1 || status == 0xF8 || status == 0xFE) return;
        const bool piece = status < 0x80 || status == kSysexEnd;
        if (status != kSysexStart && !(piece && !partial_.empty())) {
            // Any other status ends an unfinished SysEx, which is dropped.
            partial_.clear();
            out.push_back(std::move(event));
            return;
        }
        if (status == kSysexStart) partial_.clear();
        partial_.insert(partial_.end(), event.begin(), event.end());
        if (partial_.back() == kSysexEnd) out.push_back(std::exchange(partial_, {}));
    }

private:
    static constexpr unsigned char kSysexStart = 0xF0;
    static constexpr unsigned char kSysexEnd = 0xF7;
    Message partial_;
};

} // namespace tolvane::sim
