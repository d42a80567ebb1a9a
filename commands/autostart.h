// Starting the program at log-on: the seam through which the command
// registers and removes it, and the Linux realisation, an XDG autostart
// entry ($XDG_CONFIG_HOME/autostart/Quillmoor.desktop) for the running
// executable. The Windows ways keep their command lines in windows_autostart.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace qm {

class AutostartRegistry {
public:
    virtual ~AutostartRegistry() = default;
    // Registers the running program to start when the user logs on
    // (replacing an earlier registration). Returns what went wrong.
    virtual std::error_code Register() = 0;
    // Removes the registration; nothing to remove is no error.
    virtual std::error_code Unregister() = 0;
    // The confirmations shown after each switch, naming this way.
    virtual std::string_view RegisteredText() const = 0;
    virtual std::string_view UnregisteredText() const = 0;
};

inline constexpr std::string_view kAutostartEntryCreated =
    "自動起動フォルダ (autostart) にデスクトップエントリを作成しました。";
inline constexpr std::string_view kAutostartEntryRemoved =
    "自動起動フォルダ (autostart) のデスクトップエントリを削除しました。";

// Said when the program's path cannot be written into an entry that the
// desktop's launchers start.
inline constexpr std::string_view kAutostartPathUnfit =
    "このプログラムの場所 (パス) に、ログイン時の自動起動では扱えない文字 "
    "(% \" ' \\ $ ` または制御文字、=) が含まれているため、自動起動を設定できません。"
    "プログラムをこれらの文字を含まないフォルダーに置いてください。";

// The error Register gives for such a path; its message is kAutostartPathUnfit.
const std::error_category& AutostartPathCategory();

// The Exec value that starts `executable` and nothing else: the path quoted
// whole by the Desktop Entry rules. nullopt for a path that an entry cannot
// name so that the launchers (GLib's, systemd's autostart generator) start
// it: not absolute, not UTF-8, or holding a control character, "=", or any
// of % " ' \ $ ` (which the rules could escape but the launchers refuse).
std::optional<std::string> DesktopExecValue(std::string_view executable);

// The whole entry for an Exec value (a valid desktop entry of an application).
std::string AutostartEntryText(std::string_view execValue);

// The autostart folder below a configuration folder (ConfigHome); empty when
// that is not known.
std::string AutostartFolder(const std::string& configHome);

class XdgAutostart final : public AutostartRegistry {
public:
    XdgAutostart(std::string folder, std::string executable)
        : folder_(std::move(folder)), executable_(std::move(executable)) {}

    std::string EntryPath() const;

    // Writes the entry (creating the folder), replacing an earlier one whole
    // the one safe way (base/file_replace.h; never through a link). An
    // executable path DesktopExecValue refuses gives an error of
    // AutostartPathCategory and writes nothing; ENOENT without a folder.
    std::error_code Register() override;
    // Deletes the entry; a missing one is fine.
    std::error_code Unregister() override;
    std::string_view RegisteredText() const override { return kAutostartEntryCreated; }
    std::string_view UnregisteredText() const override { return kAutostartEntryRemoved; }

private:
    std::string folder_;
    std::string executable_;
};

}  // namespace qm
