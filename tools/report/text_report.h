// The text report of quillmoor-report: per drive the disk-information rows
// and the attribute table with each row's status, tab-separated, in UTF-8
// (the program converts it to the locale's code set).
#pragma once

#include <string>

#include "tools/report/drive_reading.h"

namespace qm {

// "== slot N NAME ==", the information rows (label TAB value), the table's
// header and one line per row (status word, id, name, current, threshold,
// worst, raw), then an empty line. For readings made with
// SleepingDrive::Read (a drive left asleep would show empty rows).
std::string TextReport(const DriveReading& reading);

}  // namespace qm
