// The main window's panes: their design places and how they follow the client
// area on every resize. The formulas are the window's design, written in
// twips; what leaves this unit is in pixels.
#pragma once


#include "base/pixel_rect.h"

namespace qm {

// The designed client area in pixels (11790 x 6180 twips).
inline constexpr int kDesignClientWidth = 786;
inline constexpr int kDesignClientHeight = 412;

// Each pane relative to its parent's client area: the tab host (in the
// window), the two list hosts (in the tab host), the detail frame (in the
// window) and the detail text (in the frame).
struct PanePlaces {
    PixelRect tabHost;
    PixelRect infoHost;
    PixelRect attributeHost;
    PixelRect detailFrame;
    PixelRect detailText;
    friend bool operator==(const PanePlaces&, const PanePlaces&) = default;
};

// The panes, laid out afresh for every client size:
//   tab host        width SW - 200, height SH - 1165
//   attribute host  width SW - 4400, height SH - 1800
//   info host       height SH - 1800
//   detail frame    top SH - 940, width SW - 255
//   detail text     width SW - 495
// (SW, SH: the client area in twips.) A width or height that would come out
// negative is not applied: that one size keeps its previous value, so the
// layout remembers the last sizes it applied.
class PaneLayout {
public:
    // The panes as designed.
    PaneLayout();
    // Applies the formulas for a client area of width x height pixels.
    const PanePlaces& Resize(int width, int height);
    const PanePlaces& Places() const { return places_; }

private:
    struct TwipRect {
        int left, top, width, height;
    };
    void Update();

    TwipRect tabHost_, infoHost_, attributeHost_, detailFrame_, detailText_;
    PanePlaces places_;
};

}  // namespace qm
