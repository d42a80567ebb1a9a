// データ書き出し: the selected drive's attribute table, read afresh, saved as
// a CSV file under a name the user picks in the save dialog.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "commands/command_context.h"

namespace qm {

// The dialog's type list, the CSV entry selected.
inline constexpr std::array<std::string_view, 2> kCsvFilters{"All File(*.*)", "csv File(*.csv)"};
inline constexpr std::size_t kCsvFilterIndex = 1;

// The name the dialog proposes: trimmed model, "-", trimmed serial, ".csv".
// Drive text can hold anything, so the name is made a plain file name of its
// folder: path separators, control and direction-changing characters and
// the characters a Windows file name cannot hold become "_", a leading dot
// too (no hidden file, no ".."), invalid UTF-8 becomes U+FFFD, and the part
// before ".csv" is cut to 200 bytes (whole characters).
std::string ProposedCsvName(std::string_view model, std::string_view serial);

// The command: the save dialog in the start folder proposing the drive's
// name; on a confirmed name a fresh read of the selected slot, asked of the
// worker, and once it has answered the file written whole (AttributeCsvBytes;
// the header alone without a drive), replacing an existing file only once the
// new one is complete. A failure is shown with the system's description in a
// message box; a cancelled dialog does nothing.
void ExportCsv(CommandContext& context);

}  // namespace qm
