#include "ui/FreqResponseGraph.h"

#include "toolkit/Canvas.h"
#include "toolkit/Painting.h"
#include "ui/Fft.h"

#include <QLineF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tolvane {

namespace {

const Colour kGridGrey{255, 120, 120, 120};
constexpr float kLabelSize = 18.f;
constexpr float kRightLabelWidth = 64.f;
constexpr float kLabelBand = 22.f; // the frequency labels along the top
constexpr double kFloorMagnitude = 0.00001;

// Reads outside the array count as silence, so a range reaching past the
// spectrum can never read beyond it.
double At(const std::vector<double>& v, long i) {
    return i >= 0 && i < long(v.size()) ? v[i] : 0.0;
}

// Catmull-Rom through v[i-1], v[i], v[i+1], v[i+2] at u in 0..1.
double CatmullRom(const std::vector<double>& v, long i, double u) {
    const double y0 = At(v, i - 1), y1 = At(v, i), y2 = At(v, i + 1), y3 = At(v, i + 2);
    return y1 + u * (y2 - y0) / 2.0 + u * u * (y0 - 2.5 * y1 + 2.0 * y2 - 0.5 * y3) +
           u * u * u * ((3.0 * (y1 - y2) + y3 - y0) / 2.0);
}

double Interpolate(const std::vector<double>& v, double t) {
    const double base = std::floor(t);
    const long i = base <= 0.0 ? 1 : long(base);
    return CatmullRom(v, i, t - base);
}

const char* FreqLabel(float hz) {
    switch (int(hz)) {
    case 50:
        return "50Hz";
    case 100:
        return "100Hz";
    case 500:
        return "500Hz";
    case 1000:
        return "1kHz";
    case 5000:
        return "5kHz";
    case 10000:
        return "10kHz";
    default:
        return nullptr;
    }
}

} // namespace

FreqResponseGraph::FreqResponseGraph(const Rect& bounds, Colour curveColour)
    : Control(bounds), width_(int(bounds.W())), height_(int(bounds.H())), left_(int(bounds.L)),
      top_(int(bounds.T)), curveColour_(curveColour), magnitude_(kFftSize, 0.0), logSpectrum_(kFftSize, 0.0),
      curve_(std::max(0, width_), 0.0) {
    SetIgnoreMouse(true);
    SetRange(lowHz_, highHz_, dbRange_, topDb_);
}

void FreqResponseGraph::SetRange(double lowestHz, double highestHz, double dbRange, double topDb) {
    lowHz_ = lowestHz;
    highHz_ = highestHz;
    dbRange_ = dbRange;
    topDb_ = topDb;
    const double span = std::log2(highHz_) - std::log2(lowHz_);
    for (int i = 0; i < kNumFreqMarks; ++i) {
        freqFractions_[i] = float(std::log2(kFreqMarks[i]) / span - std::log2(lowHz_) / span);
    }
    for (int i = 0; i < kNumDbMarks; ++i) {
        dbFractions_[i] = kDbMarks[i] > topDb_ ? 0.f : float((topDb_ - kDbMarks[i]) / dbRange_);
    }
    MarkDirty(false);
}

void FreqResponseGraph::SetImpulseResponse(const double* samples) {
    const int half = kFftSize / 2;
    std::vector<double> re(samples, samples + kFftSize), im(kFftSize, 0.0);
    ForwardFft(re, im);
    for (int k = 0; k < half; ++k)
        magnitude_[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]);

    const double decades = std::log10(highHz_ / lowHz_), lowDecade = std::log10(lowHz_);
    const double binsPerHz = half / (sampleRate_ / 2.0);
    for (int j = 0; j < half; ++j) {
        const double f = std::pow(10.0, double(j) / half * decades + lowDecade);
        logSpectrum_[j] = Interpolate(magnitude_, f * binsPerHz);
    }

    const double pxPerDb = height_ / dbRange_;
    for (int c = 0; c < width_; ++c) {
        const double m = Interpolate(logSpectrum_, double(c) * half / width_);
        const double y = pxPerDb * topDb_ - 20.0 * std::log10(std::max(m, kFloorMagnitude)) * pxPerDb;
        curve_[c] = std::clamp(y, 0.0, double(height_));
    }
    MarkDirty(false);
}

std::vector<std::array<float, 4>> FreqResponseGraph::CurveSegments() const {
    std::vector<std::array<float, 4>> segments;
    for (int c = 0; c + 1 < width_; ++c) {
        if (curve_[c] > 0.0 && curve_[c] < height_) {
            segments.push_back({float(left_ + c), float(top_ + curve_[c]), float(left_ + c + 1),
                                float(top_ + curve_[c + 1])});
        }
    }
    return segments;
}

void FreqResponseGraph::Draw(QPainter& p) {
    const float L = float(left_), T = float(top_), W = float(width_), H = float(height_);
    const TextStyle label{kLabelSize, kGridGrey, "", HAlign::Centre, VAlign::Middle};
    const QFont font = GetCanvas()->FontFor(label);

    for (int i = 0; i < kNumFreqMarks; ++i) {
        const float x = L + W * freqFractions_[i];
        DrawDottedLine(p, kGridGrey, x, T + 20.f, x, T + H - 1.f, 1.f, 2.f);
        if (const char* text = FreqLabel(kFreqMarks[i])) {
            DrawStyledText(p, font, label, text, Rect(x - 20.f, T, x + 20.f, T + 20.f));
        }
    }
    // Level labels right-aligned inside the rect, clear of its edge.
    const TextStyle right = label.WithAlign(HAlign::Far);
    for (int i = 0; i < kNumDbMarks; ++i) {
        const float y = T + H * dbFractions_[i];
        DrawDottedLine(p, kGridGrey, L, y, L + W - kRightLabelWidth - 4.f, y, kDbMarks[i] == 0.f ? 2.f : 1.f, 2.f);
        char text[32];
        std::snprintf(text, sizeof text, "%.0f dB", double(kDbMarks[i]));
        DrawStyledText(p, font, right, text, Rect(L + W - kRightLabelWidth, y - 10.f, L + W - 2.f, y + 10.f));
    }

    std::vector<QLineF> lines;
    for (const auto& s : CurveSegments())
        lines.emplace_back(s[0], s[1], s[2], s[3]);
    // The curve stays below the frequency labels.
    p.save();
    p.setClipRect(QRectF(L - 2.f, T + kLabelBand, W + 4.f, H - kLabelBand + 2.f), Qt::IntersectClip);
    p.setPen(QPen(ToQColor(curveColour_), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLines(lines.data(), int(lines.size()));
    p.restore();
}

} // namespace tolvane
