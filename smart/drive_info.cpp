#include "smart/drive_info.h"

namespace qm {
namespace {

// The labels of kInfoLabels with the given values; the temperature row gets none.
std::vector<InfoRow> Rows(const std::array<std::string, kTemperatureRow>& values) {
    std::vector<InfoRow> rows;
    rows.reserve(kInfoLabels.size());
    for (std::size_t i = 0; i < kTemperatureRow; ++i) rows.push_back({std::string(kInfoLabels[i]), values[i]});
    rows.push_back({std::string(kInfoLabels[kTemperatureRow]), std::nullopt});
    return rows;
}

}  // namespace

std::vector<InfoRow> DriveInfoRows(const DriveRecord& record, const std::optional<std::string>& capacity,
                                   const std::optional<std::string>& volumes) {
    const bool geometry = record.kind == DriveKind::Ata;  // NVMe has no cylinders, heads or tracks
    return Rows({
        TrimBlanks(record.modelNumber),
        TrimBlanks(record.serialNumber),
        TrimBlanks(record.firmwareRevision),
        geometry ? std::to_string(record.cylinders) : std::string(kNoValue),
        geometry ? std::to_string(record.heads) + "/" + std::to_string(record.sectorsPerTrack) : std::string(kNoValue),
        capacity.value_or(""),
        volumes.value_or(std::string(kLettersNotObtained)),
        "",
    });
}

std::string JoinVolumes(const std::vector<std::string>& volumes) {
    std::string joined;
    for (const std::string& volume : volumes) {
        if (!joined.empty()) joined += ' ';
        joined += volume;
    }
    return joined;
}

std::vector<InfoRow> PlaceholderInfoRows() {
    return Rows({"Error", "Error", "Error", "Error", "Error", "Error", "Error", ""});
}

}  // namespace qm
