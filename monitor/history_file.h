// A drive's stored temperature history: one line per sample, the UTC time
// and the temperature in degrees Celsius ("2026-12-07T21:50:00Z 38"), only
// ever appended to, and read back whole lines only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct StoredSample {
    std::int64_t time = 0;  // seconds since the epoch, UTC
    int celsius = 0;
    friend bool operator==(const StoredSample&, const StoredSample&) = default;
};

// Samples older than this are dropped when the file is rewritten.
inline constexpr std::int64_t kHistoryKeepSeconds = std::int64_t{400} * 24 * 60 * 60;
// The most a history file may hold: 400 days of a sample every ten minutes,
// with room to spare. A file beyond it is read no further and rewritten.
inline constexpr std::size_t kHistoryFileLimit = std::size_t{4} * 1024 * 1024;

// The line of one sample, LF included.
std::string HistoryLine(const StoredSample& sample);

// The samples of a file's bytes, in file order: every whole line that reads
// as a sample (a torn last line, a line of anything else, a time before 1970
// or past 9999 and a temperature outside -273..999 are skipped).
std::vector<StoredSample> ParseHistory(std::string_view bytes);

// The file's bytes kept when it is rewritten: the samples not older than
// kHistoryKeepSeconds before `now`.
std::string CompactHistory(const std::vector<StoredSample>& samples, std::int64_t now);

// Whether a file of these samples, `size` bytes long, is worth rewriting:
// it holds samples beyond kHistoryKeepSeconds or lines that are not samples.
bool HistoryNeedsCompacting(const std::vector<StoredSample>& samples, std::size_t size, std::int64_t now);

// The history file's name for a drive: its model and serial with every
// character other than letters, digits, "-" and "." turned into "_", and a
// hash of the exact identity, so that two drives never share a file and no
// identity can name a path ("WDC_WD2500JB-WD-WMAEH123-1a2b3c4d.history").
std::string HistoryFileName(std::string_view model, std::string_view serial);

}  // namespace qm
