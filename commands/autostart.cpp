#include "commands/autostart.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "base/codepage.h"
#include "base/file_replace.h"

namespace qm {

namespace {

// Characters a path may not hold for a launcher to start it, although the
// Desktop Entry rules could write them ('"', '`', '$' and '\\' escaped, '%'
// doubled): GLib and systemd's autostart generator look for the program
// before they undo "%%", and the generator refuses a program whose name has
// any of '"', '\'', '\\', '$' or '`'.
constexpr std::string_view kUnstartable = "%\"'\\$`";

class AutostartCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "autostart"; }
    std::string message(int) const override { return std::string(kAutostartPathUnfit); }
};

}  // namespace

const std::error_category& AutostartPathCategory() {
    static const AutostartCategory category;
    return category;
}

std::optional<std::string> DesktopExecValue(std::string_view executable) {
    const bool unfit = executable.empty() || executable.front() != '/' || SanitizeUtf8(executable) != executable ||
                       std::any_of(executable.begin(), executable.end(), [](char c) {
                           return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '=' ||
                                  kUnstartable.find(c) != std::string_view::npos;
                       });
    if (unfit) return std::nullopt;
    // Quoted whole, so blanks and the other reserved characters ("&", ";",
    // "<", "(", "~", "#", ...) stay part of the path; none of what is left
    // needs an escape inside the quotes.
    return "\"" + std::string(executable) + "\"";
}

std::string AutostartEntryText(std::string_view execValue) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Quillmoor\n"
        "GenericName=S.M.A.R.T. monitor\n"
        "GenericName[ja]=S.M.A.R.T. モニター\n"
        "Comment=Shows the S.M.A.R.T. data and temperatures of the disks\n"
        "Comment[ja]=ディスクの S.M.A.R.T. 情報と温度を表示します\n"
        "Exec=";
    text += execValue;
    text +=
        "\n"
        "Icon=quillmoor\n"
        "Terminal=false\n";
    return text;
}

std::string AutostartFolder(const std::string& configHome) {
    if (configHome.empty()) return {};
    return (std::filesystem::path(configHome) / "autostart").string();
}

std::string XdgAutostart::EntryPath() const {
    return (std::filesystem::path(folder_) / "Quillmoor.desktop").string();
}

std::error_code XdgAutostart::Register() {
    if (folder_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    const std::optional<std::string> exec = DesktopExecValue(executable_);
    if (!exec) return std::error_code(1, AutostartPathCategory());
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) return error;
    // Never through a link in the entry's place.
    return ReplaceFileContents(EntryPath(), AutostartEntryText(*exec), LinkRule::Refuse);
}

std::error_code XdgAutostart::Unregister() {
    if (folder_.empty() || ::unlink(EntryPath().c_str()) == 0 || errno == ENOENT) return {};
    return std::error_code(errno, std::generic_category());
}

}  // namespace qm
