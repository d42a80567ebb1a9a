// The status line under the lists: what the window is waiting for from the
// drive worker. Nothing is said about a wait shorter than kReadingNotice, so
// a scan or a read that answers at once looks as if it had never waited.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace qm {

inline constexpr std::chrono::milliseconds kReadingNotice{400};

using SteadyTime = std::chrono::steady_clock::time_point;

// "ドライブを検出しています（N 秒）" while the start-up scan has run for
// kReadingNotice or more; otherwise "このドライブを読み取っています（N 秒）"
// while the selected drive has been busy that long; otherwise empty. N: whole
// seconds waited so far. scanningSince / selectedBusySince: since when the
// scan runs and the selected slot is busy, nullopt when they do not.
std::string ReadingStatusText(std::optional<SteadyTime> scanningSince, std::optional<SteadyTime> selectedBusySince,
                              SteadyTime now);

}  // namespace qm
