// Writing a whole file so that a failure never destroys the file it replaces.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace qm {

// Makes `bytes` the content of the file at `path`: written to a new file in
// the same folder, flushed to the disk, then renamed over the old one, so the
// old file stays as it was until the new one is complete. A symbolic link is
// followed (the link stays a link). An existing file keeps its permission
// bits; a new one gets the usual ones (0666 less the umask).
// Refuses, leaving it alone, an existing file that this process may not write
// (EACCES) or that is not a regular file (EISDIR for a folder, EINVAL else).
// Returns the error of the step that failed; nothing is left behind then.
std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace qm
