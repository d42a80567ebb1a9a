// The text of a message box that reports a failure: a Japanese sentence for
// the common causes, then the system's own description of the error.
#pragma once

#include <string>
#include <system_error>

#include "commands/message_boxes.h"

namespace qm {

// For an error of the system (errno values): the Japanese sentence of its
// cause, a line break (CR LF) and the system's text in parentheses
// ("書き込む権限がありません。\r\n(Permission denied)"); a cause without a
// sentence of its own gets a general one. Errors of the program's own
// categories already say everything in Japanese: their message alone.
std::string ErrorMessageText(const std::error_code& error);

// Shows that text in the program's box for failures: no icon, an OK button,
// the program's caption.
void ShowErrorMessage(MessageBoxes& boxes, const std::error_code& error);

}  // namespace qm
