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
    // cabinet its voice.
    // clang-format off
    // file, rate, bits, frames, seed, diffuse gain, diffuse decay ms, high-pass Hz, low-pass Hz, resonances
    static const std::vector<CabinetRecipe> cabinets = {
        {"01-Velumo.wav", 44100, 16, 2048, 0x1a2b3c4du, 0.30, 1.6, 75, 5600,
         {{110, 0.16, 5.4}, {420, 0.25, 4}, {1250, 0.22, 2.5}, {2600, 0.30, 1.8}, {3900, 0.16, 1.2}}},
        {"02-Blond 2x12.wav", 44100, 16, 2400, 0x00c0ffeeu, 0.28, 1.9, 85, 5900,
         {{125, 0.14, 4.8}, {680, 0.20, 3}, {1800, 0.26, 2.2}, {3300, 0.34, 1.5}}},
        {"03-Tweed 4x10.wav", 44100, 16, 3000, 0x7eed4a10u, 0.35, 2.4, 90, 5200,
         {{140, 0.13, 6}, {550, 0.30, 5}, {1500, 0.28, 3}, {2900, 0.22, 1.7}}},
        {"04-Cali 1x12.wav", 44100, 16, 1800, 0xca11f001u, 0.22, 1.3, 95, 5400,
         {{150, 0.11, 3.6}, {800, 0.28, 3}, {2200, 0.30, 2}, {3600, 0.20, 1.1}}},
        {"05-Cali 4x12.wav", 44100, 16, 4096, 0xca114412u, 0.33, 3.0, 70, 4800,
         {{95, 0.19, 8.4}, {330, 0.30, 6}, {1100, 0.18, 3}, {2400, 0.24, 2}, {4100, 0.12, 1}}},
        {"06-Blue 2x12.wav", 44100, 16, 2600, 0xb1be2212u, 0.27, 2.0, 80, 5700,
         {{118, 0.14, 5.4}, {600, 0.22, 4}, {2000, 0.32, 2.4}, {3100, 0.26, 1.6}}},
        {"07-Brit 2x12.wav", 48000, 24, 5597, 0xb5172212u, 0.30, 2.6, 82, 5000,
         {{105, 0.16, 7.2}, {480, 0.28, 5}, {1650, 0.30, 2.8}, {2750, 0.34, 2}}},
        {"08-Boutique 4x12.wav", 44100, 24, 6400, 0xb0071412u, 0.34, 3.4, 72, 5300,
         {{100, 0.17, 9}, {380, 0.26, 7}, {1350, 0.24, 3.2}, {2450, 0.30, 2.2}, {3700, 0.15, 1.3}}},
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
