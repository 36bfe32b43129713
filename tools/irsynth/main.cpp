// irsynth OUTDIR: writes the eight factory cabinet impulse responses as WAV
// files into OUTDIR. Run by the build; exits non-zero when a file cannot be
// written so the build stops instead of packing a stale or missing file.

#include "tools/irsynth/Cabinet.h"
#include "tools/irsynth/WavWriter.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: irsynth OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const tolvane::CabinetRecipe& cab : tolvane::FactoryCabinets()) {
        const auto bytes =
            tolvane::EncodeMonoWav(tolvane::RenderCabinet(cab), cab.sampleRate, cab.bitsPerSample);
        const std::string path = dir + "/" + cab.fileName;
        if (!tolvane::WriteFile(path, bytes)) {
            std::fprintf(stderr, "irsynth: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
