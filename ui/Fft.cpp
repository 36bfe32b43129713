#include "ui/Fft.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace tolvane {

namespace {
constexpr double kPi = 3.14159265358979323846;

bool IsPowerOfTwo(std::size_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}
} // namespace

bool ForwardFft(std::vector<double>& re, std::vector<double>& im) {
    const std::size_t n = re.size();
    if (im.size() != n || !IsPowerOfTwo(n)) return false;

    // Butterflies: blocks of size b halve each stage; within a block the
    // twiddle turns by -pi / (b / 2) per step.
    for (std::size_t b = n; b >= 2; b /= 2) {
        const std::size_t half = b / 2;
        const double angle = -kPi / double(half);
        const double stepRe = std::cos(angle), stepIm = std::sin(angle);
        double wRe = 1.0, wIm = 0.0;
        for (std::size_t j = 0; j < half; ++j) {
            for (std::size_t k = j; k < n; k += b) {
                const std::size_t m = k + half;
                const double aRe = re[k], aIm = im[k];
                const double cRe = re[m], cIm = im[m];
                re[k] = aRe + cRe;
                im[k] = aIm + cIm;
                const double dRe = aRe - cRe, dIm = aIm - cIm;
                re[m] = dRe * wRe - dIm * wIm;
                im[m] = dRe * wIm + dIm * wRe;
            }
            const double next = wRe * stepRe - wIm * stepIm;
            wIm = wRe * stepIm + wIm * stepRe;
            wRe = next;
        }
    }

    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    return true;
}

} // namespace tolvane
