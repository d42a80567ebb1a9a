#include "monitor/clock.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace qm {

LocalTime SystemClock::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (localtime_r(&now, &parts) == nullptr) return {};
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::string FormatSampleTime(const LocalTime& time) {
    // Each field is held to its width, so the text is always sixteen characters.
    const auto clamp = [](int value, int low, int high) { return std::clamp(value, low, high); };
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", clamp(time.year, 0, 9999),
                  clamp(time.month, 0, 99), clamp(time.day, 0, 99), clamp(time.hour, 0, 99),
                  clamp(time.minute, 0, 99));
    return text;
}

bool IsSamplingMinute(const LocalTime& time) {
    return time.minute >= 0 && time.minute % 10 == 0;
}

}  // namespace qm
