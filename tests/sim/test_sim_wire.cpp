// The simulator program's JACK plumbing that needs no server: the joining of
// events into the messages the pedal model takes. (The queue between the
// process callback and the main loop is core/MidiMessageQueue, tested there.)

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/program/EventJoiner.h"

namespace tolvane::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct JoinCase {
    const char* what;
    std::vector<Bytes> events;
    std::vector<Bytes> messages;
};

TEST(EventJoiner, TurnsEventsIntoThePedalsMessages) {
    const Bytes knob{0xF0, 0x00, 0x51, 0x05, 0x5A, 0xF7};
    const JoinCase cases[] = {
        {"a whole SysEx", {knob}, {knob}},
        {"a SysEx in three pieces", {{0xF0, 0x00}, {0x51, 0x05}, {0x5A, 0xF7}}, {knob}},
        {"the end alone as the last piece", {{0xF0, 0x00, 0x51, 0x05, 0x5A}, {0xF7}}, {knob}},
        {"clock, time code and sensing are dropped, also between pieces",
         {{0xF8}, {0xF0, 0x00, 0x51}, {0xFE}, {0xF1, 0x20}, {0x05, 0x5A, 0xF7}},
         {knob}},
        {"another status ends an unfinished SysEx",
         {{0xF0, 0x00, 0x51}, {0x90, 0x40, 0x7F}},
         {{0x90, 0x40, 0x7F}}},
        {"a new SysEx replaces an unfinished one", {{0xF0, 0x00, 0x51}, knob}, {knob}},
    };
    for (const JoinCase& c : cases) {
        EventJoiner joiner;
        std::vector<Bytes> out;
        for (const Bytes& e : c.events)
            joiner.Add(e, out);
        EXPECT_EQ(out, c.messages) << c.what;
    }
}

} // namespace
} // namespace tolvane::sim
