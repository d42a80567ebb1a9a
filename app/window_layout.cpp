#include "app/window_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace qm {

PaneLayout DesignPaneLayout() {
    return PaneLayout{
        {120, 120, 11535, 4095},   // Picture5
        {120, 480, 3855, 3375},    // Picture2
        {4080, 480, 7455, 3375},   // Picture8
        {120, 4320, 11535, 855},   // Frame2
        {120, 240, 11295, 560},    // Label1
    };
}

namespace {
void SetIfNotNegative(int& size, int value) {
    if (value >= 0) size = value;
}
}  // namespace

void ApplyResizeFormulas(PaneLayout& panes, int sw, int sh) {
    SetIfNotNegative(panes.picture5.width, sw - 200);
    SetIfNotNegative(panes.picture5.height, sh - 1165);
    SetIfNotNegative(panes.picture8.width, sw - 4400);
    SetIfNotNegative(panes.picture8.height, sh - 1800);
    SetIfNotNegative(panes.picture2.height, sh - 1800);
    panes.frame2.top = sh - 940;
    SetIfNotNegative(panes.frame2.width, sw - 255);
    SetIfNotNegative(panes.label1.width, sw - 495);
}

int TwipsToPixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    const double held = std::clamp(twips, -1e9, 1e9);
    return static_cast<int>(std::nearbyint(held / kTwipsPerPixel));
}

std::string PlacementText(float twips) {
    char text[48];
    if (twips == 0.0f) return "0";
    if (std::isfinite(twips) && std::trunc(twips) == twips && std::fabs(twips) < 1e7f) {
        std::snprintf(text, sizeof text, "%.0f", static_cast<double>(twips));
    } else {
        std::snprintf(text, sizeof text, "%.7g", static_cast<double>(twips));
    }
    return text;
}

std::optional<float> ParsePlacementValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    // Only plain decimal notation: no "inf", "nan" or hexadecimal forms.
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 'e' || c == 'E' || c == '+';
    });
    if (!plain) return std::nullopt;
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace qm
