#include "monitor/clock.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace qm {
namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

LocalTime CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2)), static_cast<int>(m),
            static_cast<int>(d)};
}

}  // namespace

LocalTime SystemClock::Now() { return LocalOf(UtcNow()); }

std::int64_t SystemClock::UtcNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

LocalTime SystemClock::LocalOf(std::int64_t utc) {
    const auto moment = static_cast<std::time_t>(utc);
    std::tm parts{};
    if (localtime_r(&moment, &parts) == nullptr) return {};
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

LocalTime UtcCalendarOf(std::int64_t seconds) {
    const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t rest = seconds - days * 86400;
    LocalTime time = CivilFromDays(days);
    time.hour = static_cast<int>(rest / 3600);
    time.minute = static_cast<int>(rest / 60 % 60);
    time.second = static_cast<int>(rest % 60);
    return time;
}

std::int64_t UtcSecondsOf(const LocalTime& time) {
    return DaysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)) * 86400 +
           time.hour * 3600 + time.minute * 60 + time.second;
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
