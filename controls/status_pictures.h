// The four status bitmaps of the attribute list, drawn at run time and found
// by resource number: 16 x 16 pixels on a magenta (0xFF00FF) background.
//   101 green disc (good), 102 yellow disc (caution), 103 red disc (bad),
//   104 black question mark with a grey outline.
// Their top-left 15 x 15 pixels hold the whole picture.
#pragma once

#include <optional>

#include <QColor>
#include <QImage>

namespace qm {

inline constexpr int kFirstStatusBitmap = 101;
inline constexpr int kLastStatusBitmap = 104;  // the question mark; 101..103 are the marks of smart/status_marks.h

// The transparent key colour of the bitmaps.
inline const QColor kStatusMaskColor{0xFF, 0x00, 0xFF};

// The bitmap of a resource number; nullopt for numbers outside 101..104.
std::optional<QImage> StatusBitmap(int resourceNumber);

}  // namespace qm
