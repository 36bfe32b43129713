#pragma once
// The magnitude response of the impulse response currently chosen: an FFT of
// the samples, resampled onto log-spaced frequencies and then onto pixel
// columns with Catmull-Rom interpolation, drawn over a grid of frequency and
// level marks. It takes no mouse input; a selection surface lies above it.

#include "toolkit/Control.h"

#include <array>
#include <vector>

namespace tolvane {

class FreqResponseGraph : public Control {
public:
    static constexpr int kFftSize = 4096;
    static constexpr int kNumFreqMarks = 14;
    static constexpr int kNumDbMarks = 9;
    static constexpr std::array<float, kNumFreqMarks> kFreqMarks{30,  40,   50,   100,  200,  300,  400,
                                                                 500, 1000, 2000, 3000, 4000, 5000, 10000};
    static constexpr std::array<float, kNumDbMarks> kDbMarks{-60, -40, -20, -12, -6, 0, 6, 12, 20};

    FreqResponseGraph(const Rect& bounds, Colour curveColour);

    // samples points at kFftSize values; the curve follows at once.
    void SetImpulseResponse(const double* samples);
    void SetRange(double lowestHz, double highestHz, double dbRange, double topDb);

    void Draw(QPainter& p) override;

    // y offset of the curve in each pixel column, 0..height.
    const std::vector<double>& Curve() const { return curve_; }
    const std::vector<double>& Magnitude() const { return magnitude_; }
    float FreqMarkFraction(int i) const { return freqFractions_[i]; }
    float DbMarkFraction(int i) const { return dbFractions_[i]; }
    // The curve's line segments in canvas units: one from each column whose
    // point lies strictly inside the graph to the next column.
    std::vector<std::array<float, 4>> CurveSegments() const;

private:
    int width_, height_, left_, top_;
    Colour curveColour_;
    double sampleRate_ = 44100.0;
    double lowHz_ = 20.0, highHz_ = 20480.0;
    double dbRange_ = 80.0, topDb_ = 30.0;
    std::vector<double> magnitude_;
    std::vector<double> logSpectrum_;
    std::vector<double> curve_;
    std::array<float, kNumFreqMarks> freqFractions_{};
    std::array<float, kNumDbMarks> dbFractions_{};
};

} // namespace tolvane
