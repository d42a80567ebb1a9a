// The program's vocabulary for the rows of an NVMe drive: the Japanese name
// and the plain-language explanation of each health-log field it shows, and
// of the one row that stands in for a log it could not read.
#pragma once

#include <span>
#include <string_view>

namespace qm {

struct NvmeRowText {
    int offset;                    // byte offset of the field in the health log: the row's id
    std::string_view name;
    std::string_view description;
};

// The fields shown as rows, in log order; the temperature sensors (C8h to
// D6h) follow them, one row per implemented sensor.
std::span<const NvmeRowText> NvmeFieldRows();

// The row of the temperature sensor at `index` (0..7): offset C8h + 2 x index.
NvmeRowText NvmeSensorRow(int index);

// The id of the row that says the health log could not be read: beyond the
// 512 bytes of the log, so it names no field.
inline constexpr int kNvmeLogUnreadableRow = 0x200;
NvmeRowText NvmeLogUnreadableRow();

// The explanation of NVMe row `id`; the empty text for an id without one.
std::string_view NvmeRowDescription(int id);

}  // namespace qm
