// Small files of sysfs, read with plain system calls: a lookup is a handful
// of tiny files, and a short-lived program (quillmoor-report) would otherwise
// spend most of the lookup setting up iostreams and std::filesystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// sysfs attribute files are a few bytes; anything longer is not what we expect.
inline constexpr std::size_t kMaxAttributeSize = 64;

// The first kMaxAttributeSize bytes of the file at `path`; nullopt when it
// cannot be opened or read.
std::optional<std::string> ReadSmallFile(const std::string& path);

// The file's text without its line end ("\n"); nullopt as above.
std::optional<std::string> ReadAttributeLine(const std::string& path);

// A decimal number (signed, at most 18 digits) with blanks and a line end
// around it; nullopt for anything else.
std::optional<std::int64_t> ParseAttributeNumber(std::string_view text);

// A name that is one entry of a folder: not empty, not "." or "..", no "/"
// and no NUL.
bool IsPlainName(std::string_view name);

}  // namespace qm
