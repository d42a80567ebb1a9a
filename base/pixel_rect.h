// A rectangle in pixels: the window's frame as the settings store it and the
// panes as the layout places them.
#pragma once

namespace qm {

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace qm
