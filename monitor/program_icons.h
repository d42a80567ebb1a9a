// The pictures of the program's icon resources (numbers in icon_numbers.h),
// drawn at run time: the program picture is a disk drive with a magnifying
// glass; the number icons are black digits on a framed tile with a degree mark.
#pragma once

#include <optional>
#include <unordered_map>

#include <QIcon>
#include <QImage>

namespace qm {

// The picture of an icon resource; nullopt for numbers that have none
// (2..99, 180..200, 288 and up).
std::optional<QImage> IconResourceImage(int resourceNumber);

// The same as an icon; nullopt for numbers without a picture.
std::optional<QIcon> IconResource(int resourceNumber);

// Icon resources drawn once and kept, for callers that show the same numbers
// again and again (the monitoring pass redraws every icon once a minute).
// Holds at most one picture per resource number (fewer than 200). Use it on
// the user-interface thread, and let it go before the application object.
class IconCache {
public:
    // The icon of a resource number, drawn on its first use; nullopt for
    // numbers without a picture (nothing is drawn or kept for them).
    std::optional<QIcon> Icon(int resourceNumber);

    // How many pictures this cache has drawn so far.
    int DrawCount() const { return drawCount_; }

private:
    std::unordered_map<int, QIcon> icons_;
    int drawCount_ = 0;
};

}  // namespace qm
