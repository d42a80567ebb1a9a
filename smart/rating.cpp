#include "smart/rating.h"

namespace qm {

AttributeStatus RateAttribute(std::uint8_t id, std::uint8_t current, std::uint8_t threshold, std::int64_t raw) {
    const bool belowThreshold = current < threshold;
    switch (id) {
        case 5:    // reallocated sectors
        case 196:  // reallocation events
        case 197:  // pending sectors
        case 198:  // offline uncorrectable sectors
            if (belowThreshold) return AttributeStatus::Bad;
            return raw >= 1 ? AttributeStatus::Caution : AttributeStatus::Good;
        case 194:  // temperature, raw = degrees Celsius
            if (raw >= 61) return AttributeStatus::Bad;
            if (raw >= 56) return AttributeStatus::Caution;
            return belowThreshold ? AttributeStatus::Caution : AttributeStatus::Good;
        default:
            return belowThreshold ? AttributeStatus::Caution : AttributeStatus::Good;
    }
}

}  // namespace qm
