// The program's icon resources, drawn at run time and found by number:
//   1, 100     32x32 program picture (a disk drive with a magnifying glass)
//   101..178   16x16 notification icons of the temperatures 0..77
//   179        16x16 question mark on the same tile (temperature 78)
//   201..287   32x32 window icons of the temperatures 1..87
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

inline constexpr int kProgramIconResource = 100;

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
