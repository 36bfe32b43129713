// The link's receive entry, in each of its states, fed a stream of messages
// with periodic-task and idle steps between them. Byte 0 picks the state.
// Whatever the stream did, a healthy pedal afterwards must bring the link back
// to connected with nothing left running.

#include "fuzz/LinkRig.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tolvane::fuzz::LinkRig& rig = *new tolvane::fuzz::LinkRig;
    if (size == 0) return 0;
    const auto state = static_cast<tolvane::fuzz::LinkState>(data[0] % tolvane::fuzz::kLinkStateCount);
    rig.Run(state, {data + 1, size - 1});
    // Polling (33 ticks), loading every preset, and a restore or an export of
    // the whole pedal with its time-outs fit in this many ticks.
    constexpr int kSettleTicks = 1000;
    if (!rig.Settles(kSettleTicks)) {
        std::fprintf(stderr, "the link did not settle with a healthy pedal\n");
        std::abort();
    }
    return 0;
}
