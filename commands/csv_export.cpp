#include "commands/csv_export.h"

#include "base/codepage.h"
#include "smart/shown_rows.h"

namespace qm {

std::string AttributeCsvText(const DriveRecord& record) {
    std::string text(kCsvHeader);
    text += "\r\n";
    if (!IsPresentDrive(record)) return text;
    for (const ShownRow& row : ShownRows(record)) {
        for (const std::string_view field : {std::string_view(row.idText), row.name, std::string_view(row.current),
                                             std::string_view(row.threshold), std::string_view(row.worst)}) {
            text += field;
            text += ',';
        }
        text += row.raw;
        text += "\r\n";
    }
    return text;
}

std::string AttributeCsvBytes(const DriveRecord& record) { return ToSystemCodePage(AttributeCsvText(record)); }

}  // namespace qm
