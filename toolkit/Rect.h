#pragma once
// A rectangle in canvas units: left, top, right, bottom. A rect whose right or
// bottom is not beyond its left or top is legal; some controls read such a
// rect as "top-left plus size" and take only its centre.

#include <algorithm>

namespace tolvane {

struct Rect {
    float L = 0.f, T = 0.f, R = 0.f, B = 0.f;

    constexpr Rect() = default;
    constexpr Rect(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

    constexpr float W() const { return R - L; }
    constexpr float H() const { return B - T; }
    constexpr float MW() const { return (L + R) / 2.f; }
    constexpr float MH() const { return (T + B) / 2.f; }
    constexpr bool Empty() const { return W() <= 0.f || H() <= 0.f; }

    // Edges included on the left and top, excluded on the right and bottom, so
    // two rects that share an edge never both contain a point on it.
    constexpr bool Contains(float x, float y) const { return x >= L && x < R && y >= T && y < B; }
    constexpr bool Intersects(const Rect& o) const { return L < o.R && o.L < R && T < o.B && o.T < B; }

    // A rect of the given size centred on this one's centre.
    constexpr Rect CentredInside(float w, float h) const {
        return {MW() - w / 2.f, MH() - h / 2.f, MW() + w / 2.f, MH() + h / 2.f};
    }
    constexpr Rect Padded(float d) const { return {L - d, T - d, R + d, B + d}; }
    constexpr Rect Offset(float dx, float dy) const { return {L + dx, T + dy, R + dx, B + dy}; }
    constexpr Rect Union(const Rect& o) const {
        return {std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B)};
    }
    constexpr bool operator==(const Rect&) const = default;
};

} // namespace tolvane
