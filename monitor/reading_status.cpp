#include "monitor/reading_status.h"

namespace qm {
namespace {

std::string Waited(const char* what, SteadyTime since, SteadyTime now) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - since).count();
    return std::string(what) + "（" + std::to_string(seconds) + " 秒）";
}

}  // namespace

std::string ReadingStatusText(std::optional<SteadyTime> scanningSince, std::optional<SteadyTime> selectedBusySince,
                              SteadyTime now) {
    if (scanningSince && now - *scanningSince >= kReadingNotice)
        return Waited("ドライブを検出しています", *scanningSince, now);
    if (selectedBusySince && now - *selectedBusySince >= kReadingNotice)
        return Waited("このドライブを読み取っています", *selectedBusySince, now);
    return {};
}

}  // namespace qm
