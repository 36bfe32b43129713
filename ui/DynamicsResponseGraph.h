#pragma once
// The static transfer curve of the gate and the compressor / expander: input
// level across (-100 dB left to 0 dB right), output level down (0 dB top to
// -100 dB bottom), with a knee for each threshold.

#include "toolkit/Control.h"

#include <array>

namespace tolvane {

class DynamicsResponseGraph : public Control {
public:
    static constexpr std::array<float, 6> kGridMarks{-80, -60, -40, -30, -20, -12};

    struct Point {
        float x = 0.f, y = 0.f;
    };
    struct Segment {
        Point from, to;
    };
    struct Geometry {
        Point lowerKnee, upperKnee;
        std::array<Segment, 3> segments; // below the gate, 1:1, above the upper knee
    };

    DynamicsResponseGraph(const Rect& bounds, Colour curveColour);

    // The knee rings reach past the rect at the graph's corners; repaints
    // (showing, hiding, a knee moving) cover them too.
    Rect DrawBounds() const override { return GetRect().Padded(kKneeReach); }
    static constexpr float kKneeReach = 24.f;

    // Each setter redraws. The knees keep lower <= upper: setting one pushes
    // the other along.
    void SetLowerKnee(double db);
    void SetUpperKnee(double db);
    void SetLowerSlope(double factor);
    void SetUpperRatio(double ratio);

    double LowerKnee() const { return lowerKnee_; }
    double UpperKnee() const { return upperKnee_; }
    double LowerSlope() const { return lowerSlope_; }
    double UpperRatio() const { return upperRatio_; }

    Geometry ComputeGeometry() const;
    void Draw(QPainter& p) override;

private:
    static double KneeFraction(double db);
    Colour curveColour_;
    double lowerKnee_ = 0.0;
    double upperKnee_ = 0.0;
    double lowerSlope_ = 1.0;
    double upperRatio_ = 1.0;
};

} // namespace tolvane
