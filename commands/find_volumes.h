// ドライブレター取得: the volumes of every drive found at start-up, asked from
// the system, stored in the settings file under the drive's key and shown.
#pragma once

#include <functional>
#include <string_view>
#include <system_error>

#include "commands/command_context.h"

namespace qm {

// The warning before the search: it names what the system uses to find the
// volumes (the management service on Windows; on Linux the kernel's list of
// block devices and the mount table).
#ifdef _WIN32
inline constexpr std::string_view kFindVolumesWarning =
    "ドライブレターの取得は『Windows Management Instrumentation (WMI)』を使用しているため"
    "時間がかかる場合があります。\r\n（一度情報取得すると情報を記憶します）";
#else
inline constexpr std::string_view kFindVolumesWarning =
    "ドライブレターの取得は『カーネルのブロックデバイス一覧 (/sys/block) とマウントテーブル "
    "(/proc/self/mountinfo)』を使用しているため時間がかかる場合があります。\r\n"
    "（一度情報取得すると情報を記憶します）";
#endif

// UpdateDriveLetters: with the busy pointer showing, asks the worker for the
// volumes of all sixteen slots; once all have answered, stores for every slot
// with a drive identified at start-up its volumes (JoinVolumes; empty when it
// has none) under its DriveLetterKey, puts the pointer back and calls
// `done` with the error of the first write that failed (entries written
// before it stay). Without an error the stored values are then read back into
// the monitor's StoredVolumes as the drives answer a probe. A slot without a
// start-up identity is asked but nothing is stored for it.
void UpdateDriveLetters(DriveMonitor& monitor, Settings& settings, BusyIndicator& busy,
                        std::function<void(std::error_code)> done);

// The command: the warning, UpdateDriveLetters, its error (if any) in a message
// box once the pointer is back, and the selected drive shown again.
void FindVolumes(CommandContext& context);

}  // namespace qm
