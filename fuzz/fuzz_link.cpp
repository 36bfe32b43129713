// The link's receive entry, in each of its states, fed a stream of messages
// with periodic-task and idle steps between them. Byte 0 picks the state.

#include "fuzz/LinkRig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tolvane::fuzz::LinkRig& rig = *new tolvane::fuzz::LinkRig;
    if (size == 0) return 0;
    const auto state = static_cast<tolvane::fuzz::LinkState>(data[0] % tolvane::fuzz::kLinkStateCount);
    rig.Run(state, {data + 1, size - 1});
    return 0;
}
