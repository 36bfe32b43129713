// The frequency-response graph (with its FFT), the dynamics graph and the
// invisible selection surface.

#include "Fixtures.h"

#include "toolkit/OverlayControls.h"
#include "ui/DynamicsResponseGraph.h"
#include "ui/Fft.h"
#include "ui/FreqResponseGraph.h"
#include "ui/InvisibleSelectControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

namespace tolvane::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<std::complex<double>> DirectDft(const std::vector<double>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t t = 0; t < n; ++t)
            out[k] += x[t] * std::polar(1.0, -2.0 * kPi * double(k * t % n) / double(n));
    }
    return out;
}

TEST(Fft, MatchesADirectDftBinForBin) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    struct Input {
        const char* what;
        std::vector<double> x;
    };
    std::vector<Input> inputs = {{"single sample", {0.75}}, {"pair", {1.0, -2.0}}};
    std::vector<double> ramp(8), random(256), tone(1024);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = double(i);
    for (double& v : random)
        v = noise(rng);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = std::cos(2 * kPi * 37.3 * double(i) / 1024.0) + 0.2;
    inputs.push_back({"ramp", ramp});
    inputs.push_back({"noise", random});
    inputs.push_back({"tone between bins", tone});

    for (const Input& in : inputs) {
        std::vector<double> re = in.x, im(in.x.size(), 0.0);
        ASSERT_TRUE(ForwardFft(re, im)) << in.what;
        const auto expected = DirectDft(in.x);
        for (std::size_t k = 0; k < in.x.size(); ++k) {
            EXPECT_NEAR(re[k], expected[k].real(), 1e-9 * in.x.size()) << in.what << " bin " << k;
            EXPECT_NEAR(im[k], expected[k].imag(), 1e-9 * in.x.size()) << in.what << " bin " << k;
            EXPECT_NEAR(std::hypot(re[k], im[k]), std::abs(expected[k]), 1e-9 * in.x.size());
        }
    }
}

TEST(Fft, RefusesSizesThatAreNotPowersOfTwo) {
    for (std::size_t n : {0u, 3u, 6u, 100u}) {
        std::vector<double> re(n, 1.0), im(n, 0.0);
        EXPECT_FALSE(ForwardFft(re, im)) << n;
        EXPECT_EQ(re, std::vector<double>(n, 1.0));
    }
}

struct FreqGraph : UiTest {
    // The page's graph and range.
    FreqResponseGraph* graph = ui->AddControl(
        std::make_unique<FreqResponseGraph>(Rect(1200, 685, 1872, 1135), Colour{255, 100, 255, 255}));
    FreqGraph() { graph->SetRange(20, 20480, 100, 30); }
    std::vector<double> Impulse(double gain, int delay = 0) {
        std::vector<double> x(FreqResponseGraph::kFftSize, 0.0);
        x[delay] = gain;
        return x;
    }
};

TEST_F(FreqGraph, ImpulseGivesAFlatLineAtItsLevel) {
    struct Case {
        const char* what;
        double gain;
        int delay;
        double y; // of 450
    };
    const Case cases[] = {
        {"unit impulse: 0 dB, 30% down", 1.0, 0, 135.0},
        {"delayed unit impulse", 1.0, 100, 135.0},
        {"-20 dB", 0.1, 0, 225.0},
        {"+20 dB", 10.0, 0, 45.0},
    };
    for (const Case& c : cases) {
        const auto x = Impulse(c.gain, c.delay);
        graph->SetImpulseResponse(x.data());
        ASSERT_EQ(graph->Curve().size(), 672u);
        for (std::size_t col = 0; col < graph->Curve().size(); ++col) {
            ASSERT_NEAR(graph->Curve()[col], c.y, 1e-6) << c.what << " column " << col;
        }
        EXPECT_EQ(graph->CurveSegments().size(), 671u) << c.what;
    }
}

TEST_F(FreqGraph, PointsClampedToTheEdgesStartNoSegment) {
    // Silence floors at -100 dB, below the bottom; +40 dB is above the top.
    for (double gain : {0.0, 100.0}) {
        const auto x = Impulse(gain);
        graph->SetImpulseResponse(x.data());
        EXPECT_TRUE(graph->CurveSegments().empty()) << gain;
    }
    EXPECT_EQ(graph->Curve().front(), 0.0); // +40 dB clamped to the top
}

TEST_F(FreqGraph, GridMarksSitAtTheirLogAndDbFractions) {
    EXPECT_NEAR(graph->FreqMarkFraction(8), std::log2(1000.0 / 20.0) / 10.0, 1e-6); // 1 kHz
    EXPECT_NEAR(graph->FreqMarkFraction(13), std::log2(10000.0 / 20.0) / 10.0, 1e-6);
    EXPECT_NEAR(graph->DbMarkFraction(0), 0.9, 1e-6); // -60 dB
    EXPECT_NEAR(graph->DbMarkFraction(5), 0.3, 1e-6); // 0 dB
    EXPECT_NEAR(graph->DbMarkFraction(8), 0.1, 1e-6); // +20 dB
    graph->SetRange(20, 20480, 100, 10);
    EXPECT_EQ(graph->DbMarkFraction(7), 0.f); // +12 dB is above the top
    EXPECT_EQ(graph->DbMarkFraction(8), 0.f);
}

TEST_F(FreqGraph, RangeBeyondTheSpectrumReadsNothingOutside) {
    graph->SetRange(20, 96000, 100, 30);
    const auto x = Impulse(1.0);
    graph->SetImpulseResponse(x.data());
    for (double y : graph->Curve())
        EXPECT_TRUE(y >= 0.0 && y <= 450.0);
}

TEST_F(FreqGraph, ToneShowsItsPeakNearItsFrequency) {
    // 1 kHz sits at x fraction log2(50) / 10 of the width.
    std::vector<double> x(FreqResponseGraph::kFftSize);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = 0.01 * std::sin(2 * kPi * 1000.0 * double(i) / 44100.0);
    graph->SetImpulseResponse(x.data());
    const auto& curve = graph->Curve();
    const auto peak = std::min_element(curve.begin(), curve.end()) - curve.begin();
    EXPECT_NEAR(double(peak) / 672.0, std::log2(50.0) / 10.0, 0.01);
}

struct DynGraph : UiTest {
    // Bounds as the page places it: L 1200, T 700, W 665, H 430.
    DynamicsResponseGraph* graph = ui->AddControl(
        std::make_unique<DynamicsResponseGraph>(Rect(1200, 700, 1865, 1130), Colour{255, 100, 255, 255}));
};

TEST_F(DynGraph, KneesPushEachOtherAlong) {
    struct Step {
        const char* what;
        bool lower;
        double db;
        double expectLower, expectUpper;
    };
    const Step steps[] = {
        {"page start: gate -60", true, -60, 0.4, 0.4},
        {"page start: dynamics -51", false, -51, 0.4, 0.49},
        {"gate above dynamics raises the upper knee", true, -30, 0.7, 0.7},
        {"dynamics below the gate lowers the lower knee", false, -80, 0.2, 0.2},
        {"dynamics up alone", false, -10, 0.2, 0.9},
        {"gate equal to dynamics", true, -10, 0.9, 0.9},
    };
    for (const Step& s : steps) {
        if (s.lower) {
            graph->SetLowerKnee(s.db);
        } else {
            graph->SetUpperKnee(s.db);
        }
        EXPECT_NEAR(graph->LowerKnee(), s.expectLower, 1e-12) << s.what;
        EXPECT_NEAR(graph->UpperKnee(), s.expectUpper, 1e-12) << s.what;
        EXPECT_LE(graph->LowerKnee(), graph->UpperKnee()) << s.what;
    }
}

TEST_F(DynGraph, SegmentsFollowSlopeAndRatio) {
    graph->SetLowerKnee(-60); // Kl 0.4: (1466, 958)
    graph->SetUpperKnee(-50); // Ku 0.5: (1532.5, 915)
    struct Case {
        const char* what;
        double slope, ratio;
        float startX;     // of the gate segment, at the bottom
        float endX, endY; // of the segment above the upper knee
    };
    const Case cases[] = {
        {"ratio 1 runs 1:1 into the top-right corner", 1.0, 1.0, 1200.f, 1865.f, 700.f},
        {"compression 4:1", 1.0, 4.0, 1200.f, 1865.f, 915.f - 215.f / 4.f},
        {"expansion 1:2 meets the top early", 1.0, 0.5, 1200.f, 1532.5f + 332.5f * 0.5f, 700.f},
        {"gate slope 1/4", 0.25, 1.0, 1466.f - 266.f * 0.25f, 1865.f, 700.f},
    };
    for (const Case& c : cases) {
        graph->SetLowerSlope(c.slope);
        graph->SetUpperRatio(c.ratio);
        const auto g = graph->ComputeGeometry();
        EXPECT_NEAR(g.lowerKnee.x, 1466.f, 1e-3);
        EXPECT_NEAR(g.lowerKnee.y, 958.f, 1e-3);
        EXPECT_NEAR(g.segments[0].from.x, c.startX, 1e-3) << c.what;
        EXPECT_NEAR(g.segments[0].from.y, 1130.f, 1e-3) << c.what;
        EXPECT_NEAR(g.segments[1].to.x, 1532.5f, 1e-3) << c.what;
        EXPECT_NEAR(g.segments[1].to.y, 915.f, 1e-3) << c.what;
        EXPECT_NEAR(g.segments[2].to.x, c.endX, 1e-3) << c.what;
        EXPECT_NEAR(g.segments[2].to.y, c.endY, 1e-3) << c.what;
    }
}

struct Select : UiTest {
    InvisibleSelectControl* surface =
        ui->AddControl(std::make_unique<InvisibleSelectControl>(Rect(1180, 650, 1880, 1160), kPosition));
    std::vector<SelectEvent> seen; // the record as the change handler sees it
    Select() {
        surface->SetOnAction(
            [this](Control* c) { seen.push_back(static_cast<InvisibleSelectControl*>(c)->LastEvent()); });
    }
};

TEST_F(Select, EveryMouseEventReportsItsKindModifierAndPosition) {
    const float y = 650 + 255; // halfway: 63.5 of 0..127, snapped to 64
    Press(*ui, 1500, y, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    DragTo(*ui, 1500, y, Qt::ControlModifier);
    Release(*ui, 1500, y);
    Press(*ui, 1500, y, Qt::RightButton);
    Release(*ui, 1500, y, Qt::RightButton);
    DoubleClick(*ui, 1500, y);
    Wheel(*ui, 1500, y, 120);
    Wheel(*ui, 1500, y, -120, Qt::ShiftModifier);
    const std::vector<SelectEvent> expected = {
        {SelectEvent::Press, SelectEvent::Shift, false},
        {SelectEvent::Drag, SelectEvent::Ctrl, false},
        {SelectEvent::Release, SelectEvent::None, false},
        {SelectEvent::Press, SelectEvent::None, false},
        {SelectEvent::Release, SelectEvent::None, false},
        {SelectEvent::Press, SelectEvent::None, false},
        {SelectEvent::Release, SelectEvent::None, false},
        {SelectEvent::DoubleClick, SelectEvent::None, false},
        {SelectEvent::Release, SelectEvent::None, false},
        {SelectEvent::Wheel, SelectEvent::None, true},
        {SelectEvent::Wheel, SelectEvent::Shift, false},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(delegate.params.GetParam(kPosition)->Int(), 64);
    EXPECT_EQ(ui->GetPopupMenuControl() && ui->GetPopupMenuControl()->IsOpen(), false);
}

TEST_F(Select, PositionMapsToTheRangeClampedAtTheEdges) {
    const std::pair<float, int> cases[] = {{650, 0}, {1159, 127}, {650 + 510 * 0.25f, 32}};
    for (auto [y, expected] : cases) {
        Click(*ui, 1500, y);
        EXPECT_EQ(delegate.params.GetParam(kPosition)->Int(), expected) << y;
    }
    // A release dragged past the bottom is clamped.
    Press(*ui, 1500, 700);
    Release(*ui, 1500, 1500);
    EXPECT_EQ(surface->GetValue(), 1.0);
}

TEST_F(Select, WheelWithZeroDeltaChangesNothing) {
    Wheel(*ui, 1500, 700, 120);
    const SelectEvent before = surface->LastEvent();
    const double value = surface->GetValue();
    const auto changes = delegate.changes.size();
    Wheel(*ui, 1500, 1100, 0);
    EXPECT_EQ(surface->LastEvent(), before);
    EXPECT_EQ(surface->GetValue(), value);
    EXPECT_EQ(delegate.changes.size(), changes);
}

} // namespace
} // namespace tolvane::test
