#include "commands/csv_export.h"

#include "base/codepage.h"

namespace qm {

std::string AttributeCsvText(const DriveRecord& record) {
    std::string text(kCsvHeader);
    text += "\r\n";
    if (!IsPresentDrive(record)) return text;
    for (const AttributeRow& row : AttributeRows(record)) {
        text += std::to_string(row.id);
        text += ',';
        text += row.name;
        text += ',';
        text += std::to_string(row.current);
        text += ',';
        text += std::to_string(row.threshold);
        text += ',';
        text += std::to_string(row.worst);
        text += ',';
        text += std::to_string(row.raw);
        text += "\r\n";
    }
    return text;
}

std::string AttributeCsvBytes(const DriveRecord& record) { return ToSystemCodePage(AttributeCsvText(record)); }

}  // namespace qm
