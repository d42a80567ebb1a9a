// Twips, the unit the window's design and the stored window placement use:
// 1/1440 inch, 15 twips to the pixel at 96 dots per inch.
#pragma once

#include <algorithm>
#include <cmath>

namespace qm {

inline constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels: nearest, halves to even. Values far outside any
// screen are held to +-1e9 twips first; what is not a number gives 0.
inline int TwipsToPixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    return static_cast<int>(std::nearbyint(std::clamp(twips, -1e9, 1e9) / kTwipsPerPixel));
}

inline constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

}  // namespace qm
