#include "monitor/alert_input.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "drives/nvme_command.h"
#include "smart/health.h"

namespace qm {
namespace {

// The ATA counters whose every rise is told, and their reasons.
std::optional<AlertReason> AtaCounter(int id) {
    switch (id) {
        case 5: return AlertReason::Reallocated;
        case 196: return AlertReason::ReallocationEvents;
        case 197: return AlertReason::Pending;
        case 198: return AlertReason::Uncorrectable;
        default: return std::nullopt;
    }
}

constexpr int kAtaTemperature = 194;

std::uint64_t Saturated(UInt128 value) {
    return value.high != 0 ? std::numeric_limits<std::uint64_t>::max() : value.low;
}

std::uint64_t Count(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return std::numeric_limits<std::uint64_t>::max();
    return error == std::errc() ? value : 0;  // a raw value below 0 counts as none
}

// Takes a row with a rule of its own into `input`; false for any other row.
bool TakeOwnRule(const ShownRow& row, const DriveRecord& record, AlertInput& input, bool& temperatureTaken) {
    const AttributeStatus mark = row.status.value_or(AttributeStatus::Good);
    if (row.key.kind == DriveKind::Ata) {
        if (row.key.id == kAtaTemperature) {
            if (!temperatureTaken && Count(row.raw) > 1) {  // the drive's temperature (DriveTemperature)
                input.temperatureMark = mark;
                temperatureTaken = true;
            }
            return true;
        }
        const std::optional<AlertReason> counter = AtaCounter(row.key.id);
        if (!counter) return false;
        input.counters.push_back({*counter, Count(row.raw), mark, row.name});
        return true;
    }
    const NvmeHealthLog& log = *record.nvme->health;
    switch (row.key.id) {
        case nvme_log::CriticalWarning: input.criticalWarning = log.criticalWarning; return true;
        case nvme_log::CompositeTemperature: input.temperatureMark = mark; return true;
        case nvme_log::MediaErrors:
            input.counters.push_back({AlertReason::MediaErrors, Saturated(log.mediaErrors), mark, row.name});
            return true;
        default: return false;
    }
}

}  // namespace

AlertInput AlertInputOf(const DriveRecord& record) {
    AlertInput input;
    if (!IsPresentDrive(record)) return input;
    input.outcome = PassOutcome::Read;
    std::vector<ShownRow> rest;
    const bool hasLog = record.kind != DriveKind::Nvme || (record.nvme && record.nvme->health);
    bool temperatureTaken = false;
    for (ShownRow& row : ShownRows(record)) {
        if (!hasLog || !TakeOwnRule(row, record, input, temperatureTaken)) rest.push_back(std::move(row));
    }
    input.temperature = DriveTemperature(record);
    const DriveHealth health = HealthOf(rest);
    input.state = health.state.value_or(AttributeStatus::Good);
    for (const HealthReason& reason : health.reasons) input.stateRows.push_back(ReasonText(reason));
    return input;
}

AlertInput AsleepInput() {
    AlertInput input;
    input.outcome = PassOutcome::Asleep;
    return input;
}

}  // namespace qm
