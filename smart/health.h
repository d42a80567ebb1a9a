// A drive's health as a whole: the worst mark of its rated rows, and the rows
// that make it so. The tab picture, the alerts and the machine-readable
// outputs all take it from here.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "smart/shown_rows.h"

namespace qm {

// A row whose mark is not good.
struct HealthReason {
    RowKey key;
    std::string idText;     // as the row shows it ("5", "A0")
    std::string_view name;  // the row's name
    std::string value;      // the row's raw value as shown
    AttributeStatus status = AttributeStatus::Caution;
    friend bool operator==(const HealthReason&, const HealthReason&) = default;
};

struct DriveHealth {
    // The worst mark of the rated rows; nullopt when no row is rated (no
    // drive, or an NVMe drive whose health log could not be read).
    std::optional<AttributeStatus> state;
    std::vector<HealthReason> reasons;  // the rows not good, in table order
    friend bool operator==(const DriveHealth&, const DriveHealth&) = default;
};

DriveHealth HealthOf(std::span<const ShownRow> rows);
inline DriveHealth HealthOf(const DriveRecord& record) { return HealthOf(ShownRows(record)); }

// "name value" of a reason, for messages ("保留中のセクタ数 8").
std::string ReasonText(const HealthReason& reason);

}  // namespace qm
