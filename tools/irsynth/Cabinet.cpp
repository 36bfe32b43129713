#include "tools/irsynth/Cabinet.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tolvane {

namespace {

constexpr double kPeak = 0.89;        // leaves headroom below full scale
constexpr double kFadeFraction = 0.2; // last part of the file fades to zero

// A small linear-congruential generator: fixed arithmetic, so the noise is
// identical on every compiler and library (std distributions are not).
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    double Next() { // -1..1
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

private:
    uint32_t state_;
};

// Second-order Butterworth section (bilinear transform), direct form I.
class Biquad {
public:
    static Biquad LowPass(double fc, double fs) { return Make(fc, fs, false); }
    static Biquad HighPass(double fc, double fs) { return Make(fc, fs, true); }

    double Process(double x) {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    static Biquad Make(double fc, double fs, bool high) {
        const double k = std::tan(std::numbers::pi * fc / fs);
        const double q = std::numbers::sqrt2 / 2.0;
        const double norm = 1.0 / (1.0 + k / q + k * k);
        Biquad f;
        if (high) {
            f.b0_ = norm;
            f.b1_ = -2.0 * norm;
        } else {
            f.b0_ = k * k * norm;
            f.b1_ = 2.0 * f.b0_;
        }
        f.b2_ = f.b0_;
        f.a1_ = 2.0 * (k * k - 1.0) * norm;
        f.a2_ = (1.0 - k / q + k * k) * norm;
        return f;
    }

    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

} // namespace

const std::vector<CabinetRecipe>& FactoryCabinets() {
    // Resonances: a box/port thump near 90-130 Hz, the cone's low-mid body,
    // and the presence peaks of the speaker around 2-4 kHz that give each
    // cabinet its voice. Each resonance rings softly beside the direct sound,
    // as in a miked cabinet: once the file is scaled to its peak sample, the
    // loudest response peak lies near +15 to +22 dB, inside the response
    // graph's scale, instead of a long ringing that dwarfs the direct sound.
    // clang-format off
    // file, rate, bits, frames, seed, diffuse gain, diffuse decay ms, high-pass Hz, low-pass Hz, resonances
    static const std::vector<CabinetRecipe> cabinets = {
        {"01-Velumo.wav", 44100, 16, 2048, 0x1a2b3c4du, 0.09, 1.6, 75, 5600,
         {{110, 0.0128, 3.24}, {420, 0.02, 2.4}, {1250, 0.0176, 1.5}, {2600, 0.024, 1.08}, {3900, 0.0128, 0.72}}},
        {"02-Blond 2x12.wav", 44100, 16, 2400, 0x00c0ffeeu, 0.084, 1.9, 85, 5900,
         {{125, 0.0112, 2.88}, {680, 0.016, 1.8}, {1800, 0.0208, 1.32}, {3300, 0.0272, 0.9}}},
        {"03-Tweed 4x10.wav", 44100, 16, 3000, 0x7eed4a10u, 0.105, 2.4, 90, 5200,
         {{140, 0.0104, 3.6}, {550, 0.024, 3}, {1500, 0.0224, 1.8}, {2900, 0.0176, 1.02}}},
        {"04-Cali 1x12.wav", 44100, 16, 1800, 0xca11f001u, 0.066, 1.3, 95, 5400,
         {{150, 0.0088, 2.16}, {800, 0.0224, 1.8}, {2200, 0.024, 1.2}, {3600, 0.016, 0.66}}},
        {"05-Cali 4x12.wav", 44100, 16, 4096, 0xca114412u, 0.099, 3.0, 70, 4800,
         {{95, 0.0152, 5.04}, {330, 0.024, 3.6}, {1100, 0.0144, 1.8}, {2400, 0.0192, 1.2}, {4100, 0.0096, 0.6}}},
        {"06-Blue 2x12.wav", 44100, 16, 2600, 0xb1be2212u, 0.081, 2.0, 80, 5700,
         {{118, 0.0112, 3.24}, {600, 0.0176, 2.4}, {2000, 0.0256, 1.44}, {3100, 0.0208, 0.96}}},
        {"07-Brit 2x12.wav", 48000, 24, 5597, 0xb5172212u, 0.09, 2.6, 82, 5000,
         {{105, 0.0128, 4.32}, {480, 0.0224, 3}, {1650, 0.024, 1.68}, {2750, 0.0272, 1.2}}},
        {"08-Boutique 4x12.wav", 44100, 24, 6400, 0xb0071412u, 0.102, 3.4, 72, 5300,
         {{100, 0.0136, 5.4}, {380, 0.0208, 4.2}, {1350, 0.0192, 1.92}, {2450, 0.024, 1.32}, {3700, 0.012, 0.78}}},
    };
    // clang-format on
    return cabinets;
}

std::vector<double> RenderCabinet(const CabinetRecipe& r) {
    const double fs = r.sampleRate;
    std::vector<double> out(static_cast<size_t>(r.frames), 0.0);

    // Direct sound: a unit impulse, then the resonances and a diffuse tail.
    out[0] = 1.0;
    Lcg noise(r.seed);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = static_cast<double>(n) / fs;
        double v = r.diffuseGain * noise.Next() * std::exp(-t * 1000.0 / r.diffuseDecayMs);
        for (const Resonance& res : r.resonances)
            v += res.gain * std::sin(2.0 * std::numbers::pi * res.freqHz * t) *
                 std::exp(-t * 1000.0 / res.decayMs);
        out[n] += v;
    }

    // Speaker band limits: 24 dB/octave on both sides.
    Biquad hp1 = Biquad::HighPass(r.highPassHz, fs);
    Biquad hp2 = Biquad::HighPass(r.highPassHz, fs);
    Biquad lp1 = Biquad::LowPass(r.lowPassHz, fs);
    Biquad lp2 = Biquad::LowPass(r.lowPassHz, fs);
    for (double& s : out)
        s = lp2.Process(lp1.Process(hp2.Process(hp1.Process(s))));

    // Raised-cosine fade so the file ends in silence, not a click.
    const size_t fade = static_cast<size_t>(static_cast<double>(out.size()) * kFadeFraction);
    for (size_t i = 0; i < fade; ++i) {
        const double w =
            0.5 * (1.0 + std::cos(std::numbers::pi * static_cast<double>(i + 1) / static_cast<double>(fade)));
        out[out.size() - fade + i] *= w;
    }

    double peak = 0.0;
    for (double s : out)
        peak = std::max(peak, std::abs(s));
    if (peak > 0.0)
        for (double& s : out)
            s *= kPeak / peak;
    return out;
}

} // namespace tolvane
