// How a drive's volumes are written down: on Linux a volume is named by its
// mount point, and the names of one drive are joined by one blank (mount
// points, unlike "C:", do not end in a separator).
#pragma once

#include <string>
#include <vector>

namespace qm {

inline std::string JoinVolumes(const std::vector<std::string>& volumes) {
    std::string text;
    for (const std::string& volume : volumes) {
        if (!text.empty()) text += ' ';
        text += volume;
    }
    return text;
}

}  // namespace qm
