// The clock seam: the local time the temperature history is stamped with,
// and the UTC time the stored history and the alerts keep.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

// A local calendar time, as the history keeps it (seconds are read, not kept).
struct LocalTime {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..60
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    // The current local time.
    virtual LocalTime Now() = 0;
    // The current time in seconds since the epoch (UTC).
    virtual std::int64_t UtcNow() = 0;
    // The local time of a moment given in seconds since the epoch.
    virtual LocalTime LocalOf(std::int64_t utc) = 0;
};

// The machine's local time (localtime_r).
class SystemClock final : public Clock {
public:
    LocalTime Now() override;
    std::int64_t UtcNow() override;
    LocalTime LocalOf(std::int64_t utc) override;
};

// The calendar time of seconds since the epoch, in UTC (proleptic Gregorian).
LocalTime UtcCalendarOf(std::int64_t seconds);
// Seconds since the epoch of a calendar time taken as UTC; nullopt-free: the
// fields are used as they are (month 1..12 and day 1..31 expected).
std::int64_t UtcSecondsOf(const LocalTime& time);

// "yyyy/mm/dd hh:nn": four-digit year, two-digit month, day, hour (24-hour
// clock) and minute; sixteen characters for years 0..9999.
std::string FormatSampleTime(const LocalTime& time);

// True in the minutes whose two-digit text ends in "0" (00, 10, ..., 50): the
// minutes in which the monitoring pass records a history sample.
bool IsSamplingMinute(const LocalTime& time);

}  // namespace qm
