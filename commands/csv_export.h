// The CSV form of a drive's attribute table.
#pragma once

#include <string>

#include "smart/drive_record.h"

namespace qm {

// Header line of every export (without its line end).
inline constexpr std::string_view kCsvHeader = "属性ID,属性名,値,限界値,最悪値,生の値";

// The whole file as UTF-8 text: the header, then one line per row of
// ShownRows (id, name, current, threshold, worst, raw, as the window shows
// them; an NVMe row leaves current and worst empty), CR LF after every line.
// A record without a usable drive gives the header alone. No quoting: no
// field can hold a comma (names come from the program's own dictionaries,
// values are numbers).
std::string AttributeCsvText(const DriveRecord& record);

// The same, converted to the system code page: the exact bytes of the file.
std::string AttributeCsvBytes(const DriveRecord& record);

}  // namespace qm
