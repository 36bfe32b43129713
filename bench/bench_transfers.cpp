// Speed of the transfer work that runs while the user waits: reading and
// resampling a large cabinet WAV file, the IR display's worst case (two WAV
// files parsed for one crossfade), and packing the largest firmware image.

#include "core/EditorSeam.h"
#include "core/ParamList.h"
#include "device/IrDisplay.h"
#include "device/LinkFlags.h"
#include "device/ParamTable.h"
#include "device/TransferBuffer.h"
#include "library/WavFile.h"
#include "library/WavIrFiles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace tolvane {
namespace {

constexpr int kFrames = 6500;

// A mono 24-bit 48 kHz WAV file of a decaying tone, like the largest factory cabinet.
std::vector<std::uint8_t> LargeWav() {
    std::vector<std::uint8_t> b;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(t[i]));
    };
    tag("RIFF");
    put(36 + 3 * kFrames, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(48000, 4);
    put(48000 * 3, 4);
    put(3, 2);
    put(24, 2);
    tag("data");
    put(3 * kFrames, 4);
    for (int i = 0; i < kFrames; ++i) {
        const double x = std::exp(-i / 900.0) * std::sin(i * 0.37);
        put(static_cast<std::uint32_t>(static_cast<std::int32_t>(x * 8388000.0)) & 0xFFFFFF, 3);
    }
    return b;
}

void BM_ParseWavAndResample(benchmark::State& state) {
    const auto wav = LargeWav();
    IrSampleBuffer buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseWavBytes(wav, buffer));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * wav.size()));
}
BENCHMARK(BM_ParseWavAndResample);

class NoEditor : public IEditorSeam {
public:
    bool IsEditorOpen() const override { return false; }
    void SetTextByTag(ControlTag, std::string_view) override {}
    void SetTextColourByTag(ControlTag, Colour) override {}
    void SetControlValueByTag(ControlTag, double) override {}
    void ShowGroup(std::string_view) override {}
    void HideGroup(std::string_view) override {}
    void EnableGroup(std::string_view) override {}
    void DisableGroup(std::string_view) override {}
    AskResult AskUser(std::string_view, std::string_view, AskButtons) override { return AskResult::Ok; }
    std::string AskForFile(FileAction, const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

void BM_RefreshIrDisplayTwoWavFiles(benchmark::State& state) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tolvane_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "Factory IRs");
    const auto wav = LargeWav();
    for (const char* name : {"01-Velumo.wav", "02-Blond 2x12.wav"})
        std::ofstream(folder / "Factory IRs" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    WavIrFiles files(folder);
    ParamList params;
    InitDeviceParams(params);
    NoEditor editor;
    IrSampleBuffer samples;
    IrDisplay display(editor, files, params, samples);
    for (auto _ : state) {
        display.RefreshIrDisplay(24); // u = 1.5: cabinets 1 and 2, neither cached
        benchmark::ClobberMemory();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RefreshIrDisplayTwoWavFiles);

void BM_PackLargestFirmwareImage(benchmark::State& state) {
    std::vector<std::uint8_t> image(57343);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    auto transfer = std::make_unique<TransferBuffer>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(transfer->Fill(image));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_PackLargestFirmwareImage);

} // namespace
} // namespace tolvane
BENCHMARK_MAIN();
