#pragma once
// Small WAV files written for the upload and display tests.

#include "test_transfer_rig.h"

#include <cstdint>
#include <vector>

namespace tolvane::xfertest {

// A mono PCM WAV file of 16-bit samples at the given rate.
inline Bytes Wav16(const std::vector<int>& samples, int rate = 44100) {
    Bytes b;
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(t[i]));
    };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    tag("RIFF");
    u32(static_cast<std::uint32_t>(36 + 2 * samples.size()));
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * 2));
    u16(2);
    u16(16);
    tag("data");
    u32(static_cast<std::uint32_t>(2 * samples.size()));
    for (int s : samples)
        u16(static_cast<std::uint16_t>(s));
    return b;
}

// A decaying, sign-alternating test impulse response of n frames.
inline std::vector<int> DecayingIr(int n, int scale = 20000) {
    std::vector<int> s(n);
    for (int i = 0; i < n; ++i)
        s[i] = (i % 2 ? -1 : 1) * (scale / (1 + i / 8)) + (i % 5);
    return s;
}

} // namespace tolvane::xfertest
