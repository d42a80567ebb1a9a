// Every row of a drive's attribute table as it is shown, with its health
// mark: the one place that turns a record of either kind of drive into rows.
// The drive view, the CSV export, quillmoor-report (and whatever judges a
// drive as a whole) all read rows from here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "smart/drive_record.h"
#include "smart/rating.h"

namespace qm {

// What an attribute row's id means depends on the drive's kind: an ATA
// attribute id, or an NVMe health-log byte offset (the same numbers name
// different things: 05h is reallocated sectors on ATA, percentage used on
// NVMe). Explanations and id-keyed rules take the pair.
struct RowKey {
    DriveKind kind = DriveKind::Ata;
    int id = 0;
    friend bool operator==(const RowKey&, const RowKey&) = default;
};

struct ShownRow {
    RowKey key;
    std::string idText;          // ATA: decimal ("194"); NVMe: two hex digits ("C4")
    std::string_view name;       // from the program's dictionaries (static storage)
    std::string current;         // the columns as shown; NVMe rows leave current and
    std::string threshold;       //   worst empty, put the field's value in raw and the
    std::string worst;           //   drive's own limit, where it has one, in threshold
    std::string raw;
    std::optional<AttributeStatus> status;  // nullopt: not rated (a row that only informs)
    friend bool operator==(const ShownRow&, const ShownRow&) = default;
};

// The rows of a record, in the order shown:
//   ATA: one per attribute row in table order (GetAttributeRow), all columns
//        decimal, rated by RateAttribute;
//   NVMe with a health log: one per field of NvmeFieldRows, then one per
//        temperature sensor that reads above 0 K; temperatures in degrees
//        Celsius (K - 273), the critical warning as "0x" and two hex digits,
//        every other value in decimal, 16-byte counters exactly; the
//        threshold column holds the spare threshold (available spare), WCTEMP
//        in degrees Celsius (composite temperature, when reported) and 100
//        (percentage used); rated by RateNvmeField;
//   NVMe whose full read was refused the log: the one unrated row that says so;
//   anything else (no drive, a probe): none.
std::vector<ShownRow> ShownRows(const DriveRecord& record);

// The explanation of a row: AttributeDescription for ATA ids, the NVMe
// dictionary for NVMe offsets.
std::string_view RowDescription(RowKey key);

}  // namespace qm
