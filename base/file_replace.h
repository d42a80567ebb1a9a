// Whole small files, read at once and replaced at once: the loading and the
// atomic replacement under the settings file (ini/inifile.h) and the
// files the program writes for the user (the CSV export).
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace qm {

enum class LoadStatus { Loaded, Missing, Failed };

struct LoadedFile {
    LoadStatus status = LoadStatus::Failed;
    std::error_code error;  // the cause when Failed
    std::string bytes;      // the content when Loaded
    struct stat info {};    // the file's status when Loaded
};

// Reads the regular file at `path`, of at most `limit` bytes. Missing when
// there is no such file; Failed (with the cause) when it cannot be read, is
// not a regular file (EISDIR for a folder, EINVAL otherwise) or is larger
// than `limit` (EFBIG). Never blocks on a FIFO or a device.
LoadedFile LoadRegularFile(const std::string& path, std::size_t limit);

// The file a write of `path` replaces: the target of a symbolic link, so
// that a linked file stays linked; `path` itself otherwise.
std::string ReplacementTarget(const std::string& path);

// Replaces the file `target` by `content` through a new file beside it and a
// rename, so the old file stays whole until the new one is complete on disk.
// `original` describes the file being replaced (null when there is none): its
// permission bits, and where possible its owner, carry over. Returns the
// error of the step that failed (nothing is left behind then), or none.
std::error_code ReplaceFile(const std::string& target, std::string_view content, const struct stat* original);

// Makes `bytes` the content of the file at `path` the way ReplaceFile does
// (so a failure never destroys the file it was replacing), following a
// symbolic link. Refuses, leaving it alone, an existing file that this
// process may not write (EACCES) or that is not a regular file (EISDIR for a
// folder, EINVAL otherwise).
std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace qm
