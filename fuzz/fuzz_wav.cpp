// WAV parsing and resampling, and the IR record built from the result, as an
// imported impulse response takes them.

#include "library/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tolvane::IrSampleBuffer buffer{};
    if (!tolvane::ParseWavBytes({data, size}, buffer)) return 0;
    const double gain = tolvane::ir::ComputeGain(buffer);
    const auto record = tolvane::ir::BuildRecord(buffer, gain, "fuzz");
    double readGain = 0.0;
    tolvane::ir::ReadRecordSamples(record, buffer, readGain);
    return 0;
}
