#include "tools/report/json_report.h"

#include <optional>
#include <string_view>

#include "base/text.h"
#include "base/uint128.h"
#include "smart/drive_info.h"
#include "smart/health.h"
#include "smart/shown_rows.h"
#include "smart/slot_names.h"
#include "tools/report/json_writer.h"
#include "smart/status_marks.h"

namespace qm {
namespace {

void StatusValue(JsonWriter& json, std::optional<AttributeStatus> status) {
    if (status) {
        json.String(StatusKeyword(*status));
    } else {
        json.Null();
    }
}

void Device(JsonWriter& json, const DriveReading& reading) {
    const bool nvme = reading.kind == DriveKind::Nvme;
    json.Key("device");
    json.BeginObject();
    json.Key("name");
    json.String(reading.device);
    json.Key("type");
    json.String(nvme ? "nvme" : "ata");
    json.Key("protocol");
    json.String(nvme ? "NVMe" : "ATA");
    json.EndObject();
}

void Identity(JsonWriter& json, const DriveReading& reading) {
    json.Key("model_name");
    json.String(TrimBlanks(reading.record.modelNumber));
    json.Key("serial_number");
    json.String(reading.serial);
    json.Key("firmware_version");
    json.String(TrimBlanks(reading.record.firmwareRevision));
    if (reading.geometry && reading.geometry->diskBytes != 0) {
        json.Key("user_capacity");
        json.BeginObject();
        json.Key("bytes");
        json.Digits(std::to_string(reading.geometry->diskBytes));
        json.EndObject();
        json.Key("logical_block_size");
        json.Int(reading.geometry->bytesPerSector);
    }
    json.Key("volumes");
    json.BeginArray();
    for (const std::string& volume : reading.volumes) json.String(volume);
    json.EndArray();
    if (const std::optional<int> temperature = DriveTemperature(reading.record)) {
        json.Key("temperature");
        json.BeginObject();
        json.Key("current");
        json.Int(*temperature);
        json.EndObject();
    }
}

void Health(JsonWriter& json, const DriveHealth& health) {
    json.Key("health");
    json.BeginObject();
    json.Key("state");
    StatusValue(json, health.state);
    json.Key("value");
    if (health.state) {
        json.Int(static_cast<int>(*health.state));
    } else {
        json.Null();
    }
    json.Key("reasons");
    json.BeginArray();
    for (const HealthReason& reason : health.reasons) {
        json.BeginObject();
        json.Key("id");
        json.String(reason.idText);
        json.Key("name");
        json.String(reason.name);
        json.Key("raw");
        json.String(reason.value);
        json.Key("status");
        StatusValue(json, reason.status);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

// The rows as shown: every column as its text, the mark as a word.
void Rows(JsonWriter& json, const std::vector<ShownRow>& rows) {
    json.Key("rows");
    json.BeginArray();
    for (const ShownRow& row : rows) {
        json.BeginObject();
        const std::pair<std::string_view, std::string_view> cells[] = {
            {"id", row.idText},         {"name", row.name}, {"current", row.current},
            {"threshold", row.threshold}, {"worst", row.worst}, {"raw", row.raw},
        };
        for (const auto& [key, text] : cells) {
            json.Key(key);
            json.String(text);
        }
        json.Key("status");
        StatusValue(json, row.status);
        json.EndObject();
    }
    json.EndArray();
}

// The attribute table as smartctl names it, in numbers.
void AtaAttributes(JsonWriter& json, const DriveRecord& record) {
    json.Key("ata_smart_attributes");
    json.BeginObject();
    json.Key("table");
    json.BeginArray();
    for (const AttributeRow& row : AttributeRows(record)) {
        json.BeginObject();
        json.Key("id");
        json.Int(row.id);
        json.Key("name");
        json.String(row.name);
        json.Key("value");
        json.Int(row.current);
        json.Key("worst");
        json.Int(row.worst);
        json.Key("thresh");
        json.Int(row.threshold);
        json.Key("raw");
        json.BeginObject();
        json.Key("value");
        json.Int(row.raw);
        json.Key("string");
        json.String(std::to_string(row.raw));
        json.EndObject();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

// A 16-byte counter: the exact number, and the same digits as a string
// under the name with "_s" (for readers whose numbers are doubles).
void Counter(JsonWriter& json, std::string_view key, UInt128 value) {
    const std::string digits = ToDecimal(value);
    json.Key(key);
    json.Digits(digits);
    json.Key(std::string(key) + "_s");
    json.String(digits);
}

// The health log as smartctl names its fields, in numbers (degrees Celsius
// for the temperatures, as smartctl gives them).
void NvmeLog(JsonWriter& json, const NvmeHealthLog& log) {
    json.Key("nvme_smart_health_information_log");
    json.BeginObject();
    json.Key("critical_warning");
    json.Int(log.criticalWarning);
    if (log.compositeTemperatureK != 0) {
        json.Key("temperature");
        json.Int(KelvinToCelsius(log.compositeTemperatureK));
    }
    const std::pair<std::string_view, int> small[] = {
        {"available_spare", log.availableSpare},
        {"available_spare_threshold", log.availableSpareThreshold},
        {"percentage_used", log.percentageUsed},
    };
    for (const auto& [key, value] : small) {
        json.Key(key);
        json.Int(value);
    }
    const std::pair<std::string_view, UInt128> counters[] = {
        {"data_units_read", log.dataUnitsRead},     {"data_units_written", log.dataUnitsWritten},
        {"host_reads", log.hostReadCommands},       {"host_writes", log.hostWriteCommands},
        {"controller_busy_time", log.controllerBusyTime}, {"power_cycles", log.powerCycles},
        {"power_on_hours", log.powerOnHours},       {"unsafe_shutdowns", log.unsafeShutdowns},
        {"media_errors", log.mediaErrors},          {"num_err_log_entries", log.errorLogEntries},
    };
    for (const auto& [key, value] : counters) Counter(json, key, value);
    json.Key("warning_temp_time");
    json.Int(log.warningTemperatureTime);
    json.Key("critical_comp_time");
    json.Int(log.criticalTemperatureTime);
    json.Key("temperature_sensors");
    json.BeginArray();
    for (const std::uint16_t kelvin : log.temperatureSensorsK) {
        if (kelvin != 0) json.Int(KelvinToCelsius(kelvin));
    }
    json.EndArray();
    json.EndObject();
}

void Drive(JsonWriter& json, const DriveReading& reading) {
    json.BeginObject();
    json.Key("slot");
    json.Int(reading.slot);
    json.Key("slot_name");
    json.String(SlotNames[static_cast<std::size_t>(reading.slot)]);
    Device(json, reading);
    Identity(json, reading);
    const std::vector<ShownRow> rows = ShownRows(reading.record);
    Health(json, HealthOf(rows));
    Rows(json, rows);
    if (reading.kind == DriveKind::Ata) {
        AtaAttributes(json, reading.record);
    } else if (reading.record.nvme && reading.record.nvme->health) {
        NvmeLog(json, *reading.record.nvme->health);
    }
    json.EndObject();
}

}  // namespace

std::string JsonReport(std::span<const DriveReading> readings, const std::array<int, 3>& programVersion) {
    JsonWriter json;
    json.BeginObject();
    json.Key("json_format_version");
    json.BeginArray();
    for (const int part : kJsonFormatVersion) json.Int(part);
    json.EndArray();
    json.Key("quillmoor");
    json.BeginObject();
    json.Key("version");
    json.BeginArray();
    for (const int part : programVersion) json.Int(part);
    json.EndArray();
    json.EndObject();
    json.Key("drives");
    json.BeginArray();
    for (const DriveReading& reading : readings) Drive(json, reading);
    json.EndArray();
    json.EndObject();
    return json.Text();
}

}  // namespace qm
