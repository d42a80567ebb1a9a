// The invariants of a drive record, shared by the targets that read drives.
#pragma once

#include "fuzz/fuzz_support.h"
#include "smart/drive_record.h"

namespace qm::fuzz {

// The layout rule (attributeCount <= 30, attributeCount + 1 elements, the
// values of row k in element k + 1, names from the dictionary); a refused
// read is the empty record; identity strings are UTF-8.
inline void CheckRecord(const DriveRecord& record) {
    if (!IsPresentDrive(record)) {
        Require(record == DriveRecord{}, "a failed read gives the empty record");
        return;
    }
    Require(record.attributeCount <= 30u, "at most 30 attributes");
    Require(record.attributes.size() == record.attributeCount + 1u, "attributeCount + 1 elements");
    Require(record.cylinders > 0, "a read drive has cylinders");
    Require(IsUtf8(record.modelNumber) && IsUtf8(record.serialNumber) &&
                IsUtf8(record.firmwareRevision),
            "identity strings are UTF-8");
    const AttributeEntry& last = record.attributes.back();
    Require(last.id == 0 && last.name.empty() && last.threshold == 0, "the last element carries values only");
    const AttributeEntry& first = record.attributes.front();
    Require(first.current == 0 && first.worst == 0 && first.raw == 0, "element 0 carries no values");
    for (std::size_t k = 0; k < record.attributeCount; ++k) {
        const AttributeEntry& named = record.attributes[k];
        Require(named.id != 0 && !named.name.empty() && IsShowable(named.name), "rows have an id and a name");
        Require(record.attributes[k + 1].raw >= 0 && record.attributes[k + 1].raw <= 0xFFFF, "raw is 16 bits");
    }
}

}  // namespace qm::fuzz
