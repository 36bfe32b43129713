// Wire protocol throughput: routing a mix of inbound messages as they arrive
// during a session, and 7-bit packing / unpacking of 64 KiB.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "device/InboundRouter.h"
#include "device/SevenBitPacking.h"
#include "device/SysexBuilders.h"

namespace tolvane {
namespace {

using namespace sysex;
using Bytes = std::vector<std::uint8_t>;

template <typename M> Bytes AsBytes(const M& m) {
    return Bytes(m.data(), m.data() + m.size());
}

// Does the least a real handler does with each route: reads the fields and
// checks a block's checksum, so the work cannot be optimised away.
class CountingHandler : public IInboundHandler {
public:
    std::uint64_t sum = 0;
    void OnPresetDump(const SysexBlockView& b) override { sum += b.Index() + b.ChecksumValid(); }
    void OnSettingsBlock(const SysexBlockView& b, bool connected) override {
        sum += b.Index() + b.ChecksumValid() + connected;
    }
    void OnIrNameBlock(const SysexBlockView& b) override { sum += b.Index() + b.ChecksumValid(); }
    void OnNameMessage(std::string_view name) override { sum += name.size(); }
    void OnIrStream(const StreamMessageView& s) override { sum += s.packed.size(); }
    void OnParameterChanged(int index, int value) override {
        sum += static_cast<std::uint64_t>(index + value);
    }
    void OnApplicationStatus(std::uint8_t code) override { sum += code; }
    void OnBootLoaderStatus(std::uint8_t code) override { sum += code; }
};

// One connected session's worth of traffic: the preset checksums and a few
// preset dumps, a bank of IR names, one IR download, knob turns, statuses and
// some foreign or malformed messages that must be dropped.
std::vector<Bytes> SessionMix() {
    std::vector<Bytes> mix;
    Bytes data(kBlockDataSize);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i & 0x7F);
    const BlockData block(data.data(), kBlockDataSize);
    mix.push_back(AsBytes(BuildSettingsBlock(12, settings::kPresetChecksums, block)));
    for (std::uint8_t slot = 0; slot < 16; ++slot)
        mix.push_back(AsBytes(BuildPresetDump(slot, block)));
    for (std::uint8_t b = 0; b < 4; ++b)
        mix.push_back(AsBytes(BuildIrNameBlock(b, block)));
    const Bytes packed(kStreamChunk, 0x2A);
    mix.push_back(AsBytes(BuildStreamStart(kTargetApplication, command::kIrStreamStart, 300, 2785, packed)));
    for (int i = 0; i < 9; ++i)
        mix.push_back(AsBytes(BuildStreamData(kTargetApplication, command::kIrStreamData, packed)));
    mix.push_back(
        AsBytes(BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, Bytes(225, 0x2A), 0x123)));
    for (std::uint8_t v = 0; v < 64; ++v)
        mix.push_back(AsBytes(BuildParameterChanged(static_cast<std::uint8_t>(v % 16), v)));
    for (const std::uint8_t code : {status::kReadyForNextIrBlock, status::kIrAssignmentDone, status::kError,
                                    status::kOperationFinished, status::kIrNumberStepDone})
        mix.push_back(AsBytes(BuildApplicationStatus(code)));
    mix.push_back(AsBytes(BuildNameMessage("MY RIG")));
    mix.push_back({0xF0, 0x7E, 0xF7});
    mix.push_back(AsBytes(BuildSetParameter(1, 2))); // an echo of our own message
    Bytes foreign = AsBytes(BuildPresetDump(0, block));
    foreign[2] = 0x52;
    mix.push_back(foreign);
    return mix;
}

void BM_RouteSessionMix(benchmark::State& state) {
    const std::vector<Bytes> mix = SessionMix();
    std::size_t bytes = 0;
    for (const Bytes& m : mix)
        bytes += m.size();
    CountingHandler handler;
    for (auto _ : state) {
        for (const Bytes& m : mix)
            RouteInbound(m.data(), m.size(), true, false, handler);
        benchmark::DoNotOptimize(handler.sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mix.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["messages_per_pass"] = static_cast<double>(mix.size());
}
BENCHMARK(BM_RouteSessionMix);

constexpr std::size_t k64KiB = 65536;

Bytes Plain() {
    Bytes plain(k64KiB);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(i * 151 + 7);
    return plain;
}

void BM_Pack64KiB(benchmark::State& state) {
    const Bytes plain = Plain();
    Bytes packed(PackedLength(plain.size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Pack7(plain, packed));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plain.size()));
}
BENCHMARK(BM_Pack64KiB);

// Unpacks 64 KiB of packed bytes the way a received stream is taken apart:
// message by message through the running unpacker.
void BM_Unpack64KiBStreaming(benchmark::State& state) {
    Bytes packed(k64KiB);
    Pack7(Bytes(UnpackedLength(k64KiB) - 1, 0x5A), packed);
    Bytes out(UnpackedLength(packed.size()));
    SevenBitUnpacker unpacker;
    for (auto _ : state) {
        unpacker.Reset(out, out.size());
        for (std::size_t at = 0; at < packed.size(); at += kStreamChunk)
            unpacker.Feed(std::span<const std::uint8_t>(packed).subspan(at, kStreamChunk));
        unpacker.Feed(std::uint8_t{0});
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(packed.size()));
}
BENCHMARK(BM_Unpack64KiBStreaming);

} // namespace
} // namespace tolvane

BENCHMARK_MAIN();
