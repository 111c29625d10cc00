#pragma once
// Window positions and sizes are kept in twips (1/1440 inch); the screen works in pixels.
#include <cmath>

namespace Twips {
constexpr double kPerInch = 1440.0;

// Pixels for a length in twips on a screen of the given logical dots per inch.
inline int ToPixels(double twips, double dpi) {
    return int(std::lround(twips * dpi / kPerInch));
}
// Twips for a length in pixels.
inline int FromPixels(double pixels, double dpi) {
    return int(std::lround(pixels * kPerInch / dpi));
}
} // namespace Twips
