#include "smart/shown_rows.h"

#include "smart/attribute_names.h"
#include "smart/nvme_rows.h"

namespace qm {
namespace {

std::string Hex2(int value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

std::string CelsiusText(std::uint16_t kelvin) { return kelvin == 0 ? "" : std::to_string(KelvinToCelsius(kelvin)); }

// The value and threshold texts of an NVMe field.
struct FieldTexts {
    std::string raw;
    std::string threshold;
};

FieldTexts NvmeFieldTexts(int offset, const NvmeHealthLog& log, const NvmeDetails& nvme) {
    using namespace nvme_log;
    switch (offset) {
        case CriticalWarning: return {"0x" + Hex2(log.criticalWarning), ""};
        case CompositeTemperature:
            return {CelsiusText(log.compositeTemperatureK), CelsiusText(nvme.warningTemperatureK)};
        case AvailableSpare: return {std::to_string(log.availableSpare), std::to_string(log.availableSpareThreshold)};
        case AvailableSpareThreshold: return {std::to_string(log.availableSpareThreshold), ""};
        case PercentageUsed: return {std::to_string(log.percentageUsed), "100"};
        case DataUnitsRead: return {ToDecimal(log.dataUnitsRead), ""};
        case DataUnitsWritten: return {ToDecimal(log.dataUnitsWritten), ""};
        case HostReadCommands: return {ToDecimal(log.hostReadCommands), ""};
        case HostWriteCommands: return {ToDecimal(log.hostWriteCommands), ""};
        case ControllerBusyTime: return {ToDecimal(log.controllerBusyTime), ""};
        case PowerCycles: return {ToDecimal(log.powerCycles), ""};
        case PowerOnHours: return {ToDecimal(log.powerOnHours), ""};
        case UnsafeShutdowns: return {ToDecimal(log.unsafeShutdowns), ""};
        case MediaErrors: return {ToDecimal(log.mediaErrors), ""};
        case ErrorLogEntries: return {ToDecimal(log.errorLogEntries), ""};
        case WarningTemperatureTime: return {std::to_string(log.warningTemperatureTime), ""};
        case CriticalTemperatureTime: return {std::to_string(log.criticalTemperatureTime), ""};
        default: return {};
    }
}

ShownRow NvmeRow(const NvmeRowText& text) {
    ShownRow row;
    row.key = {DriveKind::Nvme, text.offset};
    row.idText = Hex2(text.offset);
    row.name = text.name;
    return row;
}

void AddNvmeRows(const NvmeDetails& nvme, std::vector<ShownRow>& rows) {
    if (!nvme.health) {
        if (!nvme.healthUnreadable) return;
        ShownRow row = NvmeRow(NvmeLogUnreadableRow());
        row.idText.clear();
        rows.push_back(std::move(row));
        return;
    }
    const NvmeHealthLog& log = *nvme.health;
    for (const NvmeRowText& text : NvmeFieldRows()) {
        ShownRow row = NvmeRow(text);
        FieldTexts texts = NvmeFieldTexts(text.offset, log, nvme);
        row.raw = std::move(texts.raw);
        row.threshold = std::move(texts.threshold);
        row.status = RateNvmeField(text.offset, log, nvme.warningTemperatureK, nvme.criticalTemperatureK);
        rows.push_back(std::move(row));
    }
    for (std::size_t i = 0; i < kNvmeTemperatureSensors; ++i) {
        if (log.temperatureSensorsK[i] == 0) continue;  // not implemented
        ShownRow row = NvmeRow(NvmeSensorRow(static_cast<int>(i)));
        row.raw = CelsiusText(log.temperatureSensorsK[i]);
        row.status = AttributeStatus::Good;
        rows.push_back(std::move(row));
    }
}

}  // namespace

std::vector<ShownRow> ShownRows(const DriveRecord& record) {
    std::vector<ShownRow> rows;
    if (!IsPresentDrive(record)) return rows;
    if (record.kind == DriveKind::Nvme) {
        if (record.nvme) AddNvmeRows(*record.nvme, rows);
        return rows;
    }
    rows.reserve(record.attributeCount);
    for (const AttributeRow& attribute : AttributeRows(record)) {
        ShownRow row;
        row.key = {DriveKind::Ata, attribute.id};
        row.idText = std::to_string(attribute.id);
        row.name = attribute.name;
        row.current = std::to_string(attribute.current);
        row.threshold = std::to_string(attribute.threshold);
        row.worst = std::to_string(attribute.worst);
        row.raw = std::to_string(attribute.raw);
        row.status = RateAttribute(attribute.id, attribute.current, attribute.threshold, attribute.raw);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string_view RowDescription(RowKey key) {
    return key.kind == DriveKind::Nvme ? NvmeRowDescription(key.id) : AttributeDescription(key.id);
}

}  // namespace qm
