// The settings key under which a drive's letters are recorded.
#pragma once

#include <string>

namespace qm {

// DriveLetterKey: trimmed model, "-", trimmed serial ("ABC123-XYZ9"). Drive
// text can hold anything, so characters that would break the settings file's
// format ("=", line breaks, a leading "[" or ";") are neutralised the same way
// every time.
std::string DriveLetterKey(const std::string& modelNumber, const std::string& serialNumber);

}  // namespace qm
