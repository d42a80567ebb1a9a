#include "drives/linux/linux_power.h"

#include <fstream>
#include <string>

namespace qm {

bool KernelSuspended(const std::filesystem::path& sysfsRoot, std::string_view blockName) {
    if (blockName.empty() || blockName.find('/') != std::string_view::npos || blockName == "." || blockName == "..") {
        return false;
    }
    std::ifstream status(sysfsRoot / "class" / "block" / std::string(blockName) / "device" / "power" / "runtime_status");
    std::string word;
    return std::getline(status, word) && word == "suspended";
}

}  // namespace qm
