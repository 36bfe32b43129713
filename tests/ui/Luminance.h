#pragma once
// Relative luminance and contrast ratio as the WCAG 2 formula gives them.

#include <QColor>

#include <algorithm>
#include <cmath>

namespace tolvane::testing {

inline double Channel(int c8) {
    const double c = c8 / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
inline double Luminance(QRgb p) {
    return 0.2126 * Channel(qRed(p)) + 0.7152 * Channel(qGreen(p)) + 0.0722 * Channel(qBlue(p));
}
inline double Contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace tolvane::testing
