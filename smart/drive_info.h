// The disk-information rows of a drive, as the window's information list and
// quillmoor-report show them: one table of labels, one way to fill it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "smart/drive_record.h"

namespace qm {

// One row of the disk-information list: the label, and the value cell's text
// (nullopt: the cell is never set, as in the temperature row).
struct InfoRow {
    std::string label;
    std::optional<std::string> value;
    friend bool operator==(const InfoRow&, const InfoRow&) = default;
};

inline constexpr std::array<std::string_view, 9> kInfoLabels{
    "モデル", "シリアルNo", "ファームウェア", "シリンダ数", "ヘッド/トラック",
    "ディスク容量", "ドライブレター", "", "現在の温度",
};
inline constexpr std::size_t kVolumesRow = 6;      // "ドライブレター"
inline constexpr std::size_t kTemperatureRow = 8;  // "現在の温度": its value is the caller's

// Shown for a value the drive has none of (an NVMe drive's cylinders and
// heads/sectors).
inline constexpr std::string_view kNoValue = "-";

// Shown in the volumes row while no volumes are known for the drive.
inline constexpr std::string_view kLettersNotObtained = "未取得";

// The nine rows of a read drive: trimmed model, serial and firmware, the
// cylinders, heads "/" sectors per track (both "-" for an NVMe drive), the capacity (empty when unknown),
// the volumes ("未取得" when unknown), an empty row, and the temperature row
// without a value.
std::vector<InfoRow> DriveInfoRows(const DriveRecord& record, const std::optional<std::string>& capacity,
                                   const std::optional<std::string>& volumes);

// The volumes of a drive as one text: their names joined by one blank (mount
// points, unlike "C:", do not end in a separator).
std::string JoinVolumes(const std::vector<std::string>& volumes);

// The rows before any drive is shown: the labels with "Error" in rows 0 to 6,
// the empty row, and the temperature row without a value.
std::vector<InfoRow> PlaceholderInfoRows();

}  // namespace qm
