// What one read of a drive returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/codepage.h"  // DisplayText for showing drive text
#include "drives/device.h"
#include "base/text.h"  // TrimBlanks for the identity strings
#include "smart/nvme_health.h"

namespace qm {

// One element of the attribute array.
//
// Layout rule (every reader depends on it): the array has attributeCount + 1
// elements. Element k carries id, name and threshold of the k-th attribute;
// the measured values of that attribute (current, worst, raw) sit in element
// k + 1. Element 0 therefore has zero values, and the last element has id 0,
// an empty name and the values of the last attribute. Use GetAttributeRow()
// or AttributeRows() to read rows.
struct AttributeEntry {
    std::uint8_t id = 0;
    std::string_view name;  // from the attribute dictionary (static storage): a read allocates no names
    std::uint8_t current = 0;
    std::uint8_t threshold = 0;
    std::uint8_t worst = 0;
    std::int32_t raw = 0;
    friend bool operator==(const AttributeEntry&, const AttributeEntry&) = default;
};

// What a read of an NVMe drive adds to its record.
struct NvmeDetails {
    std::uint16_t warningTemperatureK = 0;   // WCTEMP of Identify Controller; 0: not reported
    std::uint16_t criticalTemperatureK = 0;  // CCTEMP; 0: not reported
    std::optional<NvmeHealthLog> health;     // the decoded health log (a full read that got one)
    bool healthUnreadable = false;           // a full read asked for the log and was refused
    std::optional<int> systemTemperature;    // degrees Celsius the system reported without the log
    friend bool operator==(const NvmeDetails&, const NvmeDetails&) = default;
};

struct DriveRecord {
    std::uint8_t driveType = 0;     // 1 = drive identified (and read); 0 = no usable drive
    std::string serialNumber;       // 20 characters as reported, blanks kept
    std::string modelNumber;        // 40 characters as reported, blanks kept
    std::string firmwareRevision;   // 8 characters as reported, blanks kept
    std::int32_t cylinders = 0;     // identity word 1, sign-extended
    std::int32_t heads = 0;         // identity word 3, sign-extended
    std::int32_t sectorsPerTrack = 0;  // identity word 6, sign-extended
    std::uint8_t attributeCount = 0;
    std::vector<AttributeEntry> attributes;  // attributeCount + 1 elements (none when empty)
    DriveKind kind = DriveKind::Ata;          // Nvme: no attributes; its rows come from `nvme`
    std::optional<NvmeDetails> nvme;          // set exactly for a present NVMe drive
    friend bool operator==(const DriveRecord&, const DriveRecord&) = default;
};

// True for a record of a drive that answered: identified and read. Every
// other record is empty and stands for no drive.
inline bool IsPresentDrive(const DriveRecord& record) { return record.driveType == 1; }

// One attribute as the user sees it: the same fields as an element, but all
// of row k, gathered from elements k and k + 1.
using AttributeRow = AttributeEntry;

// Row k (0 <= k < attributeCount) of a record, following the layout rule.
AttributeRow GetAttributeRow(const DriveRecord& record, std::size_t k);

// All rows of a record, in table order.
std::vector<AttributeRow> AttributeRows(const DriveRecord& record);

// The drive's temperature in degrees Celsius: raw of the first row whose id is
// 194, when that raw value is greater than 1; for an NVMe drive its composite
// temperature (from the health log, else as the system reported it), when
// above 1. nullopt when there is none.
std::optional<int> DriveTemperature(const DriveRecord& record);

// Every row with id 194 whose raw value is above 1, in table order (for an
// NVMe drive its one composite temperature, as above): the temperatures the
// monitoring pass and the icons act on.
std::vector<int> DriveTemperatures(const DriveRecord& record);

}  // namespace qm
