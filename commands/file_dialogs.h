// The save-file dialog seam: QFileDialog in the program, a recorder with a
// scripted answer in tests.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// One entry of the dialog's type list: the text shown, with its pattern in
// parentheses ("csv File(*.csv)").
struct SaveFileRequest {
    std::string folder;                // where the dialog starts
    std::string proposedName;          // the file name it proposes
    std::vector<std::string> filters;  // in the order shown
    std::size_t selectedFilter = 0;    // index into filters
    friend bool operator==(const SaveFileRequest&, const SaveFileRequest&) = default;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Asks for the name of a file to save. An existing file may be chosen
    // without an overwrite question, and a name without an extension is taken
    // as typed. nullopt when the user cancels.
    virtual std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) = 0;
};

}  // namespace qm
