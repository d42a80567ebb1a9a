// The main window's panes in twips (15 twips per pixel at 96 dots per inch):
// their design places and how they follow the client area on every resize.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm {

inline constexpr int kTwipsPerPixel = 15;

// The designed client area: 11790 x 6180 twips, 786 x 412 pixels.
inline constexpr int kDesignClientWidthTwips = 11790;
inline constexpr int kDesignClientHeightTwips = 6180;

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// The panes the resize pass adjusts, each relative to its parent's client
// area: Picture5 (tab host, in the window), Picture2 and Picture8 (list hosts,
// in Picture5), Frame2 (in the window) and Label1 (in Frame2).
struct PaneLayout {
    TwipRect picture5;
    TwipRect picture2;
    TwipRect picture8;
    TwipRect frame2;
    TwipRect label1;
    friend bool operator==(const PaneLayout&, const PaneLayout&) = default;
};

// The panes as designed.
PaneLayout DesignPaneLayout();

// Lays the panes out for a client area of clientWidth x clientHeight twips:
//   Picture5 width SW - 200, height SH - 1165
//   Picture8 width SW - 4400, height SH - 1800
//   Picture2 height SH - 1800
//   Frame2   top SH - 940, width SW - 255
//   Label1   width SW - 495
// A width or height that would come out negative is not applied: that one
// size keeps its previous value. Everything else keeps its place.
void ApplyResizeFormulas(PaneLayout& panes, int clientWidth, int clientHeight);

// Twips to whole pixels: nearest, halves to even. Values far outside any
// screen are held to +-1e9 twips first.
int TwipsToPixels(double twips);

// A placement value as the settings file keeps it: the decimal text of the
// single-precision number, without a decimal point for whole numbers
// ("1560", "-120").
std::string PlacementText(float twips);

// Reads a placement value back: a decimal number (sign, digits, optional
// fraction and exponent; blanks around it allowed). nullopt for anything
// else, "ERROR" included, and for values that are not finite.
std::optional<float> ParsePlacementValue(std::string_view text);

}  // namespace qm
