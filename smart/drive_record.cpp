#include "smart/drive_record.h"

namespace qm {

AttributeRow GetAttributeRow(const DriveRecord& record, std::size_t k) {
    AttributeRow row;
    if (k >= record.attributeCount || k + 1 >= record.attributes.size()) return row;
    const AttributeEntry& named = record.attributes[k];
    const AttributeEntry& values = record.attributes[k + 1];
    row.id = named.id;
    row.name = named.name;
    row.threshold = named.threshold;
    row.current = values.current;
    row.worst = values.worst;
    row.raw = values.raw;
    return row;
}

std::vector<AttributeRow> AttributeRows(const DriveRecord& record) {
    std::vector<AttributeRow> rows;
    rows.reserve(record.attributeCount);
    for (std::size_t k = 0; k < record.attributeCount && k + 1 < record.attributes.size(); ++k) {
        rows.push_back(GetAttributeRow(record, k));
    }
    return rows;
}

namespace {

// The composite temperature of an NVMe drive in degrees Celsius.
std::optional<int> NvmeTemperature(const NvmeDetails& nvme) {
    if (nvme.health && nvme.health->compositeTemperatureK != 0) return KelvinToCelsius(nvme.health->compositeTemperatureK);
    return nvme.systemTemperature;
}

}  // namespace

std::vector<int> DriveTemperatures(const DriveRecord& record) {
    std::vector<int> temperatures;
    if (record.kind == DriveKind::Nvme) {
        const std::optional<int> t = record.nvme ? NvmeTemperature(*record.nvme) : std::nullopt;
        if (t && *t > 1) temperatures.push_back(*t);
        return temperatures;
    }
    for (std::size_t k = 0; k < record.attributeCount; ++k) {
        const AttributeRow row = GetAttributeRow(record, k);
        if (row.id == 194 && row.raw > 1) temperatures.push_back(row.raw);
    }
    return temperatures;
}

std::optional<int> DriveTemperature(const DriveRecord& record) {
    const auto all = DriveTemperatures(record);
    if (all.empty()) return std::nullopt;
    return all.front();
}

}  // namespace qm
