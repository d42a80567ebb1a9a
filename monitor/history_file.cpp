#include "monitor/history_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

namespace qm {
namespace {

constexpr std::int64_t kLastSecond = 253402300799;  // 9999-12-31T23:59:59Z

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month, day;
};

Civil CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

// A fixed-width unsigned field of `text` at `at`, or -1.
int Field(std::string_view text, std::size_t at, std::size_t width) {
    int value = 0;
    const char* begin = text.data() + at;
    const auto [end, error] = std::from_chars(begin, begin + width, value);
    return error == std::errc() && end == begin + width ? value : -1;
}

// "YYYY-MM-DDTHH:MM:SSZ" → seconds, or nullopt.
std::optional<std::int64_t> ParseTime(std::string_view text) {
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    const int year = Field(text, 0, 4), month = Field(text, 5, 2), day = Field(text, 8, 2);
    const int hour = Field(text, 11, 2), minute = Field(text, 14, 2), second = Field(text, 17, 2);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59) {
        return std::nullopt;
    }
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    if (CivilFromDays(days).day != static_cast<unsigned>(day)) return std::nullopt;  // 02-30 and the like
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::optional<StoredSample> ParseLine(std::string_view line) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::optional<std::int64_t> time = ParseTime(line.substr(0, blank));
    const std::string_view number = line.substr(blank + 1);
    int celsius = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), celsius);
    if (!time || number.empty() || error != std::errc() || end != number.data() + number.size() || celsius < -273 ||
        celsius > 999) {
        return std::nullopt;
    }
    return StoredSample{*time, celsius};
}

std::uint32_t Fnv1a(std::string_view a, std::string_view b) {
    std::uint32_t hash = 2166136261u;
    const auto mix = [&](std::string_view text) {
        for (const unsigned char c : text) hash = (hash ^ c) * 16777619u;
    };
    mix(a);
    mix(std::string_view("\0", 1));
    mix(b);
    return hash;
}

std::string Safe(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        out += plain ? c : '_';
    }
    return out;
}

}  // namespace

std::string HistoryLine(const StoredSample& sample) {
    const std::int64_t time = std::clamp<std::int64_t>(sample.time, 0, kLastSecond);
    const Civil date = CivilFromDays(time / 86400);
    const std::int64_t seconds = time % 86400;
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ %d\n", static_cast<long long>(date.year),
                  date.month, date.day, static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60), sample.celsius);
    return text;
}

std::vector<StoredSample> ParseHistory(std::string_view bytes) {
    std::vector<StoredSample> samples;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) break;  // a torn last line
        if (const std::optional<StoredSample> sample = ParseLine(bytes.substr(start, end - start))) {
            samples.push_back(*sample);
        }
        start = end + 1;
    }
    return samples;
}

std::string CompactHistory(const std::vector<StoredSample>& samples, std::int64_t now) {
    std::string bytes;
    for (const StoredSample& sample : samples) {
        if (now - sample.time <= kHistoryKeepSeconds) bytes += HistoryLine(sample);
    }
    return bytes;
}

bool HistoryNeedsCompacting(const std::vector<StoredSample>& samples, std::size_t size, std::int64_t now) {
    std::size_t wholeLines = 0;
    for (const StoredSample& sample : samples) {
        if (now - sample.time > kHistoryKeepSeconds) return true;
        wholeLines += HistoryLine(sample).size();
    }
    return wholeLines != size;
}

std::string HistoryFileName(std::string_view model, std::string_view serial) {
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(Fnv1a(model, serial)));
    std::string name = Safe(model.substr(0, 40)) + "-" + Safe(serial.substr(0, 20));
    if (name.front() == '.') name.front() = '_';  // never "." or ".." or a hidden file
    return name + "-" + hash + ".history";
}

}  // namespace qm
