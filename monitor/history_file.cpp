#include "monitor/history_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "monitor/clock.h"

namespace qm {
namespace {

constexpr std::int64_t kLastSecond = 253402300799;  // 9999-12-31T23:59:59Z

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
    const std::int64_t seconds = UtcSecondsOf({year, month, day, hour, minute, second});
    if (UtcCalendarOf(seconds).day != day) return std::nullopt;  // 02-30 and the like
    return seconds;
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
    const LocalTime at = UtcCalendarOf(time);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ %d\n", at.year, at.month, at.day, at.hour, at.minute,
                  at.second, sample.celsius);
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
