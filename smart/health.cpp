#include "smart/health.h"

#include <algorithm>

namespace qm {

DriveHealth HealthOf(std::span<const ShownRow> rows) {
    DriveHealth health;
    for (const ShownRow& row : rows) {
        if (!row.status) continue;
        health.state = std::max(health.state.value_or(AttributeStatus::Good), *row.status);
        if (*row.status != AttributeStatus::Good) {
            health.reasons.push_back({row.key, row.idText, row.name, row.raw, *row.status});
        }
    }
    return health;
}

std::string ReasonText(const HealthReason& reason) { return std::string(reason.name) + " " + reason.value; }

}  // namespace qm
