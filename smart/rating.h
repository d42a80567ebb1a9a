// The health mark of one attribute row.
#pragma once

#include <cstdint>

#include "smart/nvme_health.h"

namespace qm {

enum class AttributeStatus : int { Good = 0, Caution = 1, Bad = 2 };

// Rates one attribute row: current against threshold, the raw counters of the
// sector attributes (5, 196, 197, 198) and the temperature limits of 194.
// `raw` is the full raw value the drive view shows (0..65535); it is never
// cut to 16 signed bits, so a large counter still raises the mark.
AttributeStatus RateAttribute(std::uint8_t id, std::uint8_t current, std::uint8_t threshold, std::int64_t raw);

// Rates the row of an NVMe health-log field (`offset`: its byte offset in
// the log, nvme_log::...). warningK and criticalK are WCTEMP and CCTEMP of
// Identify Controller (0: not reported).
//   critical warning   bits 0, 2, 3, 4, 5: Bad; bit 1 (temperature): Caution
//   available spare    below its threshold: Bad; 10 % or less: Caution
//   percentage used    90 or more (also above 100): Caution
//   media errors       above 0: Caution
//   composite temp.    from CCTEMP: Bad, from WCTEMP: Caution; a limit the
//                      drive does not report is the ATA row's (61 / 56 °C)
//   any other field    Good (error log entries, counters, sensors: shown only)
AttributeStatus RateNvmeField(int offset, const NvmeHealthLog& log, std::uint16_t warningK, std::uint16_t criticalK);

}  // namespace qm
