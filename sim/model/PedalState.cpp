#include "sim/model/PedalState.h"

#include <algorithm>

namespace tolvane::sim {

IrData* IrSlot(PedalState& state, int number) {
    return const_cast<IrData*>(IrSlot(static_cast<const PedalState&>(state), number));
}

const IrData* IrSlot(const PedalState& state, int number) {
    if (number >= 0 && number < kNumUserIrSlots) return &state.userIrs[static_cast<std::size_t>(number)];
    const int factory = number - kFirstFactoryIr;
    if (factory >= 0 && factory < kNumFactoryIrs) return &state.factoryIrs[static_cast<std::size_t>(factory)];
    return nullptr;
}

bool IsEmptyIr(const IrData& record) {
    return std::all_of(record.begin(), record.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace tolvane::sim
