// The face of the lists' font and the matching place of the temperature box.
#pragma once

#include <string_view>

namespace qm {

struct ListFace {
    std::string_view face;      // font face name of the lists and the tab strip
    int picture9TopTwips = 0;   // top of the temperature box in its host
    int rowHeight = 0;          // pixels per list row in that face
    int headerHeight = 0;       // pixels of the lists' header
};

inline constexpr std::string_view kMeiryoFace = "メイリオ";
inline constexpr std::string_view kGothicFace = "ＭＳ Ｐゴシック";

// "メイリオ" with the temperature box at 2900 twips when the font database has
// the Meiryo family; otherwise "ＭＳ Ｐゴシック" at 2200 twips. Row and header
// heights are chosen per face so that the box lies over the value cell of the
// temperature row (the ninth row) in both cases.
ListFace ChooseListFace(bool meiryoInstalled);

}  // namespace qm
