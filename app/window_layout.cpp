#include "app/window_layout.h"

#include "base/twips.h"

namespace qm {
namespace {

void SetIfNotNegative(int& size, int value) {
    if (value >= 0) size = value;
}

}  // namespace

PaneLayout::PaneLayout()
    : tabHost_{120, 120, 11535, 4095},
      infoHost_{120, 480, 3855, 3375},
      attributeHost_{4080, 480, 7455, 3375},
      detailFrame_{120, 4320, 11535, 855},
      detailText_{120, 240, 11295, 560} {
    Update();
}

const PanePlaces& PaneLayout::Resize(int width, int height) {
    const int sw = PixelsToTwips(width);
    const int sh = PixelsToTwips(height);
    SetIfNotNegative(tabHost_.width, sw - 200);
    SetIfNotNegative(tabHost_.height, sh - 1165);
    SetIfNotNegative(attributeHost_.width, sw - 4400);
    SetIfNotNegative(attributeHost_.height, sh - 1800);
    SetIfNotNegative(infoHost_.height, sh - 1800);
    detailFrame_.top = sh - 940;
    SetIfNotNegative(detailFrame_.width, sw - 255);
    SetIfNotNegative(detailText_.width, sw - 495);
    Update();
    return places_;
}

void PaneLayout::Update() {
    const auto pixels = [](const TwipRect& r) {
        return PixelRect{TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height)};
    };
    places_ = {pixels(tabHost_), pixels(infoHost_), pixels(attributeHost_), pixels(detailFrame_), pixels(detailText_)};
}

}  // namespace qm
