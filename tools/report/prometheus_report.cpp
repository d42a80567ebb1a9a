#include "tools/report/prometheus_report.h"

#include <array>
#include <charconv>
#include <set>

#include "base/codepage.h"
#include "base/text.h"
#include "smart/health.h"
#include "smart/shown_rows.h"

namespace qm {
namespace {

enum Family : std::size_t {
    kInfo, kAwake, kReadTime, kTemperature, kHealth,
    kCurrent, kWorst, kThreshold, kRaw, kStatus, kFamilyCount,
};

struct FamilyText {
    std::string_view name;
    std::string_view help;
};

constexpr std::array<FamilyText, kFamilyCount> kFamilies{{
    {"quillmoor_device_info", "The drive's model, serial number and firmware as labels; always 1."},
    {"quillmoor_device_awake", "1: the drive was awake and read; 0: it was asleep and left alone."},
    {"quillmoor_device_read_timestamp_seconds", "When the drive was read, in seconds since the Unix epoch."},
    {"quillmoor_device_temperature_celsius", "The drive's temperature in degrees Celsius."},
    {"quillmoor_device_health", "The drive's health, the worst mark of its rows: 0 good, 1 caution, 2 bad."},
    {"quillmoor_attribute_current", "A row's current (normalised) value."},
    {"quillmoor_attribute_worst", "A row's worst value."},
    {"quillmoor_attribute_threshold", "A row's threshold."},
    {"quillmoor_attribute_raw", "A row's raw value as shown (NVMe: the field's value)."},
    {"quillmoor_attribute_status", "A row's mark: 0 good, 1 caution, 2 bad (rows that are not rated have none)."},
}};

// The label set {device="...",serial="..."[,more]} of a drive.
std::string DriveLabels(const DriveReading& reading) {
    std::string_view device = reading.device;
    if (device.starts_with("/dev/")) device.remove_prefix(5);
    return "device=\"" + PrometheusLabelValue(device) + "\",serial=\"" + PrometheusLabelValue(reading.serial) + "\"";
}

class Families {
public:
    void Add(Family family, const std::string& labels, std::string_view value) {
        std::string& out = samples_[family];
        out += kFamilies[family].name;
        out += '{';
        out += labels;
        out += "} ";
        out += value;
        out += '\n';
    }

    std::string Text() const {
        std::string out;
        for (std::size_t f = 0; f < kFamilyCount; ++f) {
            if (samples_[f].empty()) continue;
            out += "# HELP " + std::string(kFamilies[f].name) + " " + std::string(kFamilies[f].help) + "\n";
            out += "# TYPE " + std::string(kFamilies[f].name) + " gauge\n";
            out += samples_[f];
        }
        return out;
    }

private:
    std::array<std::string, kFamilyCount> samples_;
};

void AddRows(Families& families, const std::string& drive, const std::vector<ShownRow>& rows) {
    std::set<std::string> seen;
    for (const ShownRow& row : rows) {
        if (row.idText.empty() || !seen.insert(row.idText).second) continue;  // one series per id
        const std::string labels =
            drive + ",id=\"" + PrometheusLabelValue(row.idText) + "\",name=\"" + PrometheusLabelValue(row.name) + "\"";
        const std::pair<Family, const std::string*> cells[] = {
            {kCurrent, &row.current}, {kWorst, &row.worst}, {kThreshold, &row.threshold}, {kRaw, &row.raw}};
        for (const auto& [family, text] : cells) {
            if (const std::optional<std::string> value = MetricValue(*text)) families.Add(family, labels, *value);
        }
        if (row.status) families.Add(kStatus, labels, std::to_string(static_cast<int>(*row.status)));
    }
}

void AddDrive(Families& families, const DriveReading& reading) {
    const std::string drive = DriveLabels(reading);
    families.Add(kAwake, drive, reading.asleep ? "0" : "1");
    if (reading.asleep) return;
    const DriveRecord& record = reading.record;
    families.Add(kInfo,
                 drive + ",slot=\"" + std::to_string(reading.slot) + "\",kind=\"" +
                     (reading.kind == DriveKind::Nvme ? "nvme" : "ata") + "\",model=\"" +
                     PrometheusLabelValue(TrimBlanks(record.modelNumber)) + "\",firmware=\"" +
                     PrometheusLabelValue(TrimBlanks(record.firmwareRevision)) + "\"",
                 "1");
    families.Add(kReadTime, drive, std::to_string(reading.readTime));
    if (const std::optional<int> temperature = DriveTemperature(record)) {
        families.Add(kTemperature, drive, std::to_string(*temperature));
    }
    const std::vector<ShownRow> rows = ShownRows(record);
    if (const std::optional<AttributeStatus> state = HealthOf(rows).state) {
        families.Add(kHealth, drive, std::to_string(static_cast<int>(*state)));
    }
    AddRows(families, drive, rows);
}

}  // namespace

std::string PrometheusReport(std::span<const DriveReading> readings) {
    Families families;
    for (const DriveReading& reading : readings) AddDrive(families, reading);
    return families.Text();
}

std::string PrometheusLabelValue(std::string_view text) {
    const std::string utf8 = SanitizeUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"') {
            out += "\\\"";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> MetricValue(std::string_view shown) {
    if (shown.starts_with("0x")) {
        const std::string_view hex = shown.substr(2);
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (hex.empty() || hex.size() > 16 || error != std::errc() || end != hex.data() + hex.size()) {
            return std::nullopt;
        }
        return std::to_string(value);
    }
    const std::string_view digits = shown.substr(shown.starts_with('-') ? 1 : 0);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    return std::string(shown);
}

}  // namespace qm
