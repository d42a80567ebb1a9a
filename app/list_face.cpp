#include "app/list_face.h"

#include "base/twips.h"

namespace qm {

ListFace ChooseListFace(bool meiryoInstalled) {
    if (meiryoInstalled) return ListFace{kMeiryoFace, TwipsToPixels(2900), 21, 24};
    return ListFace{kGothicFace, TwipsToPixels(2200), 16, 20};
}

}  // namespace qm
