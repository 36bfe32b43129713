// The simulator's pedal model fed a stream of messages (F0 up to the next F7),
// with 100 ms of its time passing at every byte 0x01 between them. Everything
// it answers must follow the SysEx rules.

#include "sim/model/FactoryContent.h"
#include "sim/model/PedalModel.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void CheckAnswer(std::span<const std::uint8_t> m) {
    bool ok = m.size() >= 7 && m.front() == 0xF0 && m.back() == 0xF7;
    for (std::size_t i = 1; ok && i + 1 < m.size(); ++i)
        ok = m[i] < 0x80;
    if (!ok) {
        std::fprintf(stderr, "pedal model: an answer breaks the SysEx rules (%zu bytes)\n", m.size());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto factory = std::make_unique<tolvane::sim::PedalState>(tolvane::sim::FactoryState());
    tolvane::sim::PedalModel pedal(*factory);
    pedal.SetOutput(CheckAnswer);
    std::size_t i = 0;
    while (i < size) {
        if (data[i] != 0xF0) {
            if (data[i] == 0x01) pedal.Advance(100);
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < size && data[end] != 0xF7)
            ++end;
        end = std::min(end + 1, size);
        const std::vector<std::uint8_t> message(data + i, data + end);
        pedal.Receive(message);
        i = end;
    }
    return 0;
}
