#pragma once
// The recipe of one synthetic guitar-cabinet impulse response and the
// function that renders it. Everything is deterministic: the same recipe
// gives the same samples on every machine, so the build is reproducible.

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

// A damped resonance of the speaker and box: a decaying sinusoid added to
// the response. decayMs is the time for the envelope to fall by 1/e.
struct Resonance {
    double freqHz;
    double gain;
    double decayMs;
};

struct CabinetRecipe {
    std::string fileName;
    int sampleRate;
    int bitsPerSample; // 16 or 24
    int frames;
    uint32_t seed;         // for the short diffuse part (cone break-up, box reflections)
    double diffuseGain;    // level of that diffuse part
    double diffuseDecayMs; // how fast it dies away
    double highPassHz;     // tightness of the low end
    double lowPassHz;      // speaker roll-off
    std::vector<Resonance> resonances;
};

// The eight factory cabinets, in resource order.
const std::vector<CabinetRecipe>& FactoryCabinets();

// Renders a recipe to samples in -1..1, peak-normalised and faded out at
// the end so the response ends in silence.
std::vector<double> RenderCabinet(const CabinetRecipe& recipe);

} // namespace tolvane
