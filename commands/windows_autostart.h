// The Windows ways of starting at log-on, kept as text for a Windows build:
// a task of the task scheduler (from Windows Vista on) or a shortcut in the
// user's Startup folder, and the confirmation each way shows.
#pragma once

#include <string>
#include <string_view>

namespace qm {

inline constexpr std::string_view kTaskRegistered = "タスクスケジューラに自動起動設定を登録しました。";
inline constexpr std::string_view kTaskRemoved = "タスクスケジューラの自動起動設定を解除しました。";
inline constexpr std::string_view kShortcutCreated = "スタートアップにショートカットを作成しました。";
inline constexpr std::string_view kShortcutRemoved = "スタートアップのショートカットを削除しました。";

// Registers a task that runs "<programFolder>\Quillmoor.exe" (the folder
// without a trailing backslash) with the highest rights at log-on, replacing
// a task of the same name. A Windows path cannot hold '"', so the quotes keep
// the whole path, blanks included, one argument.
inline std::string TaskSchedulerRegisterLine(std::string_view programFolder) {
    return "schtasks /create /tn Quillmoor /sc onlogon /tr \"" + std::string(programFolder) +
           "\\Quillmoor.exe\" /rl highest /f";
}

inline constexpr std::string_view kTaskSchedulerUnregisterLine = "schtasks /delete /tn Quillmoor /f";

}  // namespace qm
