// The health mark of one attribute row.
#pragma once

#include <cstdint>

namespace qm {

enum class AttributeStatus : int { Good = 0, Caution = 1, Bad = 2 };

// Rates one attribute row: current against threshold, the raw counters of the
// sector attributes (5, 196, 197, 198) and the temperature limits of 194.
// `raw` is the full raw value the drive view shows (0..65535); it is never
// cut to 16 signed bits, so a large counter still raises the mark.
AttributeStatus RateAttribute(std::uint8_t id, std::uint8_t current, std::uint8_t threshold, std::int64_t raw);

}  // namespace qm
