// The message-box seam: QMessageBox in the program, a recorder with scripted
// answers in tests.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// The caption of every message box.
inline constexpr std::string_view kMessageCaption = "Quillmoor";

enum class MessageIcon { None, Stop, Exclamation, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal message box and returns the button the user chose.
    // Line breaks in `text` are CR LF.
    virtual MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& caption,
                               const std::string& text) = 0;
};

}  // namespace qm
