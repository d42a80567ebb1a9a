// The names under which the drive selector lists the sixteen drive slots.
#pragma once

#include <array>
#include <string_view>

namespace qm {

inline constexpr std::array<std::string_view, 16> SlotNames{
    "PRIMARY_MASTER", "PRIMARY_SLAVE", "SECONDARY_MASTER", "SECONDARY_SLAVE",
    "TERTIARY_MASTER", "TERTIARY_SLAVE", "QUARTIARY_MASTER", "QUARTIARY_SLAVE",
    "HDD8", "HDD9", "HDD10", "HDD11", "HDD12", "HDD13", "HDD14", "HDD15",
};

}  // namespace qm
