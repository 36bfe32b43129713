#include "ui/DynamicsResponseGraph.h"

#include "toolkit/Canvas.h"
#include "toolkit/Painting.h"

#include <QPainter>

#include <cmath>
#include <cstdio>

namespace tolvane {

namespace {
const Colour kGridGrey{255, 120, 120, 120};
constexpr float kLabelSize = 20.f;
constexpr float kRightLabelWidth = 64.f;
} // namespace

DynamicsResponseGraph::DynamicsResponseGraph(const Rect& bounds, Colour curveColour)
    : Control(bounds), curveColour_(curveColour) {}

double DynamicsResponseGraph::KneeFraction(double db) {
    return 1.0 - std::abs(db) / 100.0;
}

void DynamicsResponseGraph::SetLowerKnee(double db) {
    lowerKnee_ = KneeFraction(db);
    if (upperKnee_ < lowerKnee_) upperKnee_ = lowerKnee_;
    MarkDirty(false);
}

void DynamicsResponseGraph::SetUpperKnee(double db) {
    upperKnee_ = KneeFraction(db);
    if (lowerKnee_ > upperKnee_) lowerKnee_ = upperKnee_;
    MarkDirty(false);
}

void DynamicsResponseGraph::SetLowerSlope(double factor) {
    lowerSlope_ = factor;
    MarkDirty(false);
}

void DynamicsResponseGraph::SetUpperRatio(double ratio) {
    upperRatio_ = ratio;
    MarkDirty(false);
}

DynamicsResponseGraph::Geometry DynamicsResponseGraph::ComputeGeometry() const {
    const Rect r = GetRect();
    const float L = r.L, T = r.T, R = r.R, B = r.B, W = r.W(), H = r.H();
    Geometry g;
    g.lowerKnee = {L + W * float(lowerKnee_), B - H * float(lowerKnee_)};
    g.upperKnee = {L + W * float(upperKnee_), B - H * float(upperKnee_)};
    const Point lo = g.lowerKnee, up = g.upperKnee;
    g.segments[0] = {{lo.x - (lo.x - L) * float(lowerSlope_), B}, lo};
    g.segments[1] = {lo, up};
    const Point end = upperRatio_ >= 1.0 ? Point{R, up.y - (up.y - T) / float(upperRatio_)}
                                         : Point{up.x + (R - up.x) * float(upperRatio_), T};
    g.segments[2] = {up, end};
    return g;
}

void DynamicsResponseGraph::Draw(QPainter& p) {
    const Rect r = GetRect();
    const float L = r.L, T = r.T, W = r.W(), H = r.H();
    const TextStyle label{kLabelSize, kGridGrey, "", HAlign::Centre, VAlign::Middle};
    const QFont font = GetCanvas()->FontFor(label);

    // Output levels on the right, in full ("-12 dB"), inside the rect; input
    // levels along the top as bare numbers, so the close marks -20 and -12
    // stay apart.
    const TextStyle right = label.WithAlign(HAlign::Far);
    for (float v : kGridMarks) {
        const float frac = -v / 100.f;
        char text[32];
        std::snprintf(text, sizeof text, "%.0f dB", double(v));
        const float y = T + H * frac;
        DrawDottedLine(p, kGridGrey, L, y, L + W - kRightLabelWidth - 4.f, y, v == 0.f ? 2.f : 1.f, 2.f);
        DrawStyledText(p, font, right, text, Rect(L + W - kRightLabelWidth, y - 10.f, L + W - 2.f, y + 10.f));
        const float x = L + W - W * frac;
        DrawDottedLine(p, kGridGrey, x, T + 20.f, x, T + H - 1.f, 1.f, 2.f);
        std::snprintf(text, sizeof text, "%.0f", double(v));
        DrawStyledText(p, font, label, text, Rect(x - 20.f, T, x + 20.f, T + 20.f));
    }

    const Geometry g = ComputeGeometry();
    const QColor colour = ToQColor(curveColour_);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    for (const Segment& s : g.segments)
        p.drawLine(QPointF(s.from.x, s.from.y), QPointF(s.to.x, s.to.y));
    for (const Point& k : {g.lowerKnee, g.upperKnee}) {
        p.setPen(QPen(colour, 6));
        p.drawEllipse(QPointF(k.x, k.y), 20, 20);
        p.setPen(QPen(colour, 4));
        p.drawEllipse(QPointF(k.x, k.y), 4, 4);
    }
}

} // namespace tolvane
