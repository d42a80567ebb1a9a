// The face of the lists' font, the place of the temperature box that goes
// with it, and the Debian faces that stand in for the designed ones.
#pragma once

#include <string_view>

namespace qm {

struct ListFace {
    std::string_view face;    // font face name of the lists and the tab strip
    int temperatureBoxTop = 0;  // pixels from the top of the information list's host
    int rowHeight = 0;        // pixels per list row in that face
    int headerHeight = 0;     // pixels of the lists' header
};

inline constexpr std::string_view kMeiryoFace = "メイリオ";
inline constexpr std::string_view kGothicFace = "ＭＳ Ｐゴシック";
// The fixed-pitch Gothic: half-width characters of half the height's width.
inline constexpr std::string_view kFixedGothicFace = "ＭＳ ゴシック";

// The temperature box's left edge, and its top before the start-up moves it.
inline constexpr int kTemperatureBoxLeft = 104;       // 1560 twips
inline constexpr int kTemperatureBoxDesignTop = 160;  // 2400 twips

// "メイリオ" with the temperature box 2900 twips down when the font database
// has the Meiryo family; otherwise "ＭＳ Ｐゴシック" at 2200 twips. Row and
// header heights are chosen per face so that the box lies over the value cell
// of the temperature row (the ninth row) in both cases.
ListFace ChooseListFace(bool meiryoInstalled);

// Faces that stand in for the designed ones where those are not installed,
// chosen for the same character widths, so that texts fit the designed
// column widths: IPA's proportional Gothic has the metrics of the classic
// Japanese interface face, IPA's fixed-pitch Gothic those of its fixed-pitch
// sibling. (Meiryo has no such twin; where it is missing the font system's
// own choice stays.)
struct FaceStandIn {
    std::string_view designed;
    std::string_view standIn;
};
inline constexpr FaceStandIn kFaceStandIns[] = {
    {kGothicFace, "IPAPGothic"},
    {kFixedGothicFace, "IPAGothic"},
};

}  // namespace qm
