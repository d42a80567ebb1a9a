#include "smart/rating.h"

namespace qm {
namespace {

// The ATA temperature row's limits, in degrees Celsius.
constexpr int kHotCelsius = 56;
constexpr int kTooHotCelsius = 61;

constexpr std::uint8_t kFailureWarnings = nvme_warning::SpareBelowThreshold | nvme_warning::ReliabilityDegraded |
                                          nvme_warning::ReadOnly | nvme_warning::VolatileBackupFailed |
                                          nvme_warning::PersistentMemoryUnreliable;
constexpr int kSpareRunningLow = 10;
constexpr int kLifeNearlyUsed = 90;

// A temperature of 0 K (not reported) is far below every limit.
AttributeStatus RateNvmeTemperature(std::uint16_t kelvin, std::uint16_t warningK, std::uint16_t criticalK) {
    const bool tooHot = criticalK != 0 ? kelvin >= criticalK : KelvinToCelsius(kelvin) >= kTooHotCelsius;
    if (tooHot) return AttributeStatus::Bad;
    const bool hot = warningK != 0 ? kelvin >= warningK : KelvinToCelsius(kelvin) >= kHotCelsius;
    return hot ? AttributeStatus::Caution : AttributeStatus::Good;
}

}  // namespace

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
            if (raw >= kTooHotCelsius) return AttributeStatus::Bad;
            if (raw >= kHotCelsius) return AttributeStatus::Caution;
            return belowThreshold ? AttributeStatus::Caution : AttributeStatus::Good;
        default:
            return belowThreshold ? AttributeStatus::Caution : AttributeStatus::Good;
    }
}

AttributeStatus RateNvmeField(int offset, const NvmeHealthLog& log, std::uint16_t warningK, std::uint16_t criticalK) {
    switch (offset) {
        case nvme_log::CriticalWarning:
            if ((log.criticalWarning & kFailureWarnings) != 0) return AttributeStatus::Bad;
            return (log.criticalWarning & nvme_warning::Temperature) != 0 ? AttributeStatus::Caution : AttributeStatus::Good;
        case nvme_log::AvailableSpare:
            if (log.availableSpare < log.availableSpareThreshold) return AttributeStatus::Bad;
            return log.availableSpare <= kSpareRunningLow ? AttributeStatus::Caution : AttributeStatus::Good;
        case nvme_log::PercentageUsed:
            return log.percentageUsed >= kLifeNearlyUsed ? AttributeStatus::Caution : AttributeStatus::Good;
        case nvme_log::MediaErrors:
            return log.mediaErrors != UInt128{} ? AttributeStatus::Caution : AttributeStatus::Good;
        case nvme_log::CompositeTemperature:
            return RateNvmeTemperature(log.compositeTemperatureK, warningK, criticalK);
        default:
            return AttributeStatus::Good;
    }
}

}  // namespace qm
