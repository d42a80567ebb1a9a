// What the program keeps for the user besides the settings, under
// $XDG_STATE_HOME/quillmoor/ (~/.local/state/quillmoor/): each drive's alert
// state (alerts.ini, keyed by model and serial) and its temperature history
// (history/, a file per drive). Written the one safe way (base/file_replace.h):
// never through a symbolic link, never a file of another user; read back
// whole lines and checked values only, so a damaged or hostile file reads as
// less, never as more. Used on the window's thread only.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "monitor/alert_rules.h"
#include "monitor/history_file.h"

namespace qm {

// "<stateHome>/quillmoor", empty when the state home is not known. The folder
// and its history/ folder are made (mode 0700) on the first write.
std::string StateFolderOf(const std::string& stateHome);

class AlertStore {
public:
    // `folder`: StateFolderOf; empty: nothing is read or kept.
    explicit AlertStore(std::string folder) : folder_(std::move(folder)) {}

    // The state kept for the drive; the fresh state when none is (or the file
    // cannot be read). Values that do not read back as written count as absent.
    AlertState Load(std::string_view model, std::string_view serial) const;

    // Keeps the drive's state. Writes only what differs from the file.
    std::error_code Save(std::string_view model, std::string_view serial, const AlertState& state);

private:
    std::string folder_;
};

class HistoryStore {
public:
    explicit HistoryStore(std::string folder) : folder_(std::move(folder)) {}

    // The drive's stored samples, oldest first. A file with samples beyond
    // kHistoryKeepSeconds before `now`, or with lines that are not samples,
    // is rewritten with the rest.
    std::vector<StoredSample> Load(std::string_view model, std::string_view serial, std::int64_t now);

    // The drive's stored samples as the file holds them, oldest first,
    // without changing anything (for readers such as quillmoor-report).
    std::vector<StoredSample> Stored(std::string_view model, std::string_view serial) const;

    // Adds one sample at the end of the drive's file.
    std::error_code Append(std::string_view model, std::string_view serial, const StoredSample& sample);

private:
    // The file's bytes (whole lines or not); empty when it cannot be read.
    std::string FileBytes(std::string_view model, std::string_view serial) const;

    std::string folder_;
};

}  // namespace qm
