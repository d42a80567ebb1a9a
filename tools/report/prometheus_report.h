// quillmoor-report --prometheus and --textfile: the drives in Prometheus's
// text format, for node_exporter's textfile collector. README lists the
// metrics; every series carries the labels device (the device's name
// without "/dev/") and serial.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/report/drive_reading.h"

namespace qm {

// The file name node_exporter reads in its textfile folder.
inline constexpr std::string_view kTextfileName = "quillmoor.prom";

// Every metric family in order, each with its HELP and TYPE lines. A drive
// left asleep has only quillmoor_device_awake 0; a drive read has
// quillmoor_device_awake 1, its info, the time of the read, its temperature
// and health where it has them, and per row (the first of rows that repeat
// an id) its current, worst, threshold and raw values where they are numbers,
// and its status where it is rated. Label values are valid UTF-8 with
// backslash, double quote and line feed escaped.
std::string PrometheusReport(std::span<const DriveReading> readings);

// A label value as the text format writes it (without the quotes): bytes
// that are not UTF-8 become U+FFFD, then '\' -> "\\", '"' -> "\"", and a line
// feed -> "\n".
std::string PrometheusLabelValue(std::string_view text);

// A cell of a row as a sample value: decimal digits (with a '-' first) as they
// are, "0x" and up to 16 hex digits in decimal; nullopt for an empty cell
// and for anything else.
std::optional<std::string> MetricValue(std::string_view shown);

}  // namespace qm
