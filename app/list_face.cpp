#include "app/list_face.h"

namespace qm {

ListFace ChooseListFace(bool meiryoInstalled) {
    if (meiryoInstalled) return ListFace{kMeiryoFace, 2900, 21, 24};
    return ListFace{kGothicFace, 2200, 16, 20};
}

}  // namespace qm
