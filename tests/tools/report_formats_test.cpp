// What quillmoor-report prints for machines, as pure functions: the JSON and
// Prometheus writers with hostile text, exact numbers, repeated rows, and
// the reading that leaves a sleeping drive alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drives/sim/sim_drives.h"
#include "smart/attribute_names.h"
#include "tools/report/drive_reading.h"
#include "tools/report/json_report.h"
#include "tools/report/json_writer.h"
#include "tools/report/prometheus_report.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const std::string kSamples = QM_SAMPLES_DIR;
const UnixClock kClock = [] { return std::int64_t{1700000000}; };

// A read ATA drive whose rows have these ids (each with current 100,
// threshold 10, worst 90 and raw 5), named `device`.
DriveReading AtaReading(std::vector<std::uint8_t> ids, std::string device = "/dev/sda") {
    DriveReading reading;
    reading.device = std::move(device);
    reading.serial = "S1";
    DriveRecord& record = reading.record;
    record.driveType = 1;
    record.modelNumber = "M";
    record.attributeCount = static_cast<std::uint8_t>(ids.size());
    record.attributes.resize(ids.size() + 1);
    for (std::size_t k = 0; k < ids.size(); ++k) {
        record.attributes[k].id = ids[k];
        record.attributes[k].name = AttributeName(ids[k]);
        record.attributes[k].threshold = 10;
        record.attributes[k + 1].current = 100;
        record.attributes[k + 1].worst = 90;
        record.attributes[k + 1].raw = 5;
    }
    return reading;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(JsonWriterTest, StringsAreValidUtf8WithTheirControlsEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"QM-HD1000A", "\"QM-HD1000A\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
        {std::string("\x00\x01\x1f\x7f", 4), "\"\\u0000\\u0001\\u001f\\u007f\""},
        {"\xC2\x85\xC2\x9F", "\"\\u0085\\u009f\""},            // C1 controls
        {"\xE2\x80\xA8\xE2\x80\xA9", "\"\\u2028\\u2029\""},    // line and paragraph separators
        {"\xff\xC3", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},          // not UTF-8: U+FFFD per byte
        {"温度\xC2\xA0", "\"温度\xC2\xA0\""},                   // text stays as it is
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(JsonQuoted(text), json) << text;
}

TEST(JsonWriterTest, NestsAndSeparatesAndWritesOnlyDigitsAsNumbers) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a");
    json.BeginArray();
    json.Int(1);
    json.Digits("340282366920938463463374607431768211455");
    json.Digits("12a");
    json.Digits("-");
    json.EndArray();
    json.Key("b");
    json.BeginObject();
    json.EndObject();
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\n  \"a\": [\n    1,\n    340282366920938463463374607431768211455,\n    null,\n    null\n  ],\n"
              "  \"b\": {}\n}\n");
}

TEST(PrometheusTest, LabelValuesAreEscapedAndUtf8) {
    EXPECT_EQ(PrometheusLabelValue("a\\b\"c\nd"), "a\\\\b\\\"c\\nd");
    EXPECT_EQ(PrometheusLabelValue("x\xff"), "x\xEF\xBF\xBD");
    EXPECT_EQ(PrometheusLabelValue("代替処理済"), "代替処理済");
}

TEST(PrometheusTest, CellsBecomeNumbersOnlyWhenTheyAreOne) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"", std::nullopt},     {"42", "42"},          {"-5", "-5"},          {"0x1F", "31"},
        {"0x00", "0"},          {"0x", std::nullopt},  {"0xG1", std::nullopt}, {"1.5", std::nullopt},
        {"-", std::nullopt},    {"--", std::nullopt},  {"0x12345678901234567", std::nullopt},
        {"340282366920938463463374607431768211455", "340282366920938463463374607431768211455"},
    };
    for (const auto& [shown, value] : cases) EXPECT_EQ(MetricValue(shown), value) << shown;
}

// Every series carries device and serial; a family has one HELP and TYPE
// and its samples together; a repeated id gives one series, not a
// duplicate that would make node_exporter refuse the whole file.
TEST(PrometheusTest, FamiliesAreWholeAndSeriesUnique) {
    const DriveReading a = AtaReading({194, 5, 194});
    const DriveReading b = AtaReading({9}, "/dev/sdb");
    const std::string text = PrometheusReport(std::vector<DriveReading>{a, b});
    EXPECT_EQ(Count(text, "# TYPE quillmoor_attribute_raw gauge\n"), 1u);
    EXPECT_EQ(Count(text, "quillmoor_attribute_raw{device=\"sda\",serial=\"S1\",id=\"194\","), 1u);
    EXPECT_NE(text.find("quillmoor_attribute_raw{device=\"sda\",serial=\"S1\",id=\"5\","), std::string::npos);
    // Both drives' raw values sit together, right after the family's header.
    const std::size_t header = text.find("# TYPE quillmoor_attribute_raw gauge\n");
    const std::size_t next = text.find("# HELP", header);
    EXPECT_NE(text.substr(header, next - header).find("device=\"sdb\""), std::string::npos);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (!line.starts_with("#")) {
            EXPECT_NE(line.find("{device=\""), std::string::npos) << line;
            EXPECT_NE(line.find("\",serial=\""), std::string::npos) << line;
        }
        at = end + 1;
    }
}

TEST(ReportFormatsTest, HostileIdentityStaysInsideItsString) {
    DriveReading reading = AtaReading({194});
    reading.record.modelNumber = "M\"}\n# HELP x\\\xff";
    reading.record.firmwareRevision = std::string("F\x00\x1b[2J", 6);
    const std::string metrics = PrometheusReport(std::vector<DriveReading>{reading});
    EXPECT_NE(metrics.find("model=\"M\\\"}\\n# HELP x\\\\\xEF\xBF\xBD\""), std::string::npos) << metrics;
    EXPECT_EQ(Count(metrics, "\n# HELP x"), 0u);
    const std::string json = JsonReport(std::vector<DriveReading>{reading}, {1, 2, 3});
    EXPECT_NE(json.find("\"model_name\": \"M\\\"}\\n# HELP x\\\\\xEF\xBF\xBD\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"firmware_version\": \"F\\u0000\\u001b[2J\""), std::string::npos) << json;
}

TEST(ReportFormatsTest, CountersAndCapacityAreExact) {
    DriveReading nvme;
    nvme.device = "/dev/nvme0";
    nvme.kind = DriveKind::Nvme;
    nvme.record.driveType = 1;
    nvme.record.kind = DriveKind::Nvme;
    NvmeHealthLog log;
    log.compositeTemperatureK = 320;
    log.dataUnitsRead = {~std::uint64_t{0}, ~std::uint64_t{0}};
    log.hostReadCommands = {std::uint64_t{1} << 53 | 1, 0};  // one more than a double holds exactly
    nvme.record.nvme.emplace();
    nvme.record.nvme->health = log;
    nvme.geometry = GeometryFromSize(1'000'204'886'016, 512);  // not a whole number of cylinders
    const std::string json = JsonReport(std::vector<DriveReading>{nvme}, {1, 2, 3});
    EXPECT_NE(json.find("\"data_units_read\": 340282366920938463463374607431768211455,\n"
                        "        \"data_units_read_s\": \"340282366920938463463374607431768211455\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"host_reads\": 9007199254740993,"), std::string::npos);
    EXPECT_NE(json.find("\"user_capacity\": {\n        \"bytes\": 1000204886016\n      }"), std::string::npos);
    EXPECT_NE(json.find("\"temperature\": {\n        \"current\": 47\n      }"), std::string::npos);
    const std::string metrics = PrometheusReport(std::vector<DriveReading>{nvme});
    EXPECT_NE(metrics.find("quillmoor_attribute_raw{device=\"nvme0\",serial=\"\",id=\"20\","), std::string::npos);
    EXPECT_NE(metrics.find("} 340282366920938463463374607431768211455\n"), std::string::npos);
}

// A drive set whose slot 0 is the sample set's first disk, asleep.
fs::path SleepingSet() {
    const fs::path dir = fs::path(testing::TempDir()) / "report_formats_sleeping";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(kSamples) / "qm-hd1000a.smart", dir / "a.smart");
    std::ofstream(dir / "drives.ini") << "[0]\ndump = a.smart\npower = standby\n";
    return dir;
}

TEST(DriveReadingTest, TheMetricsLeaveASleepingDriveAsleep) {
    SimDriveProvider set(SleepingSet().string());
    SmartReader reader(set);
    const auto readings = ReadSlots(reader, std::nullopt, SleepingDrive::LeaveAlone, kClock);
    EXPECT_EQ(set.WakeUps(0), 0);
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_TRUE(readings[0].asleep);
    EXPECT_EQ(PrometheusReport(readings),
              "# HELP quillmoor_device_awake 1: the drive was awake and read; 0: it was asleep and left alone.\n"
              "# TYPE quillmoor_device_awake gauge\n"
              "quillmoor_device_awake{device=\"sim0\",serial=\"\"} 0\n");

    // The text report and --json read it, as a person asked for it.
    const auto read = ReadSlots(reader, std::nullopt, SleepingDrive::Read, kClock);
    EXPECT_EQ(set.WakeUps(0), 1);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_FALSE(read[0].asleep);
    EXPECT_EQ(read[0].serial, "QMA10H4K27Z1");
    EXPECT_EQ(read[0].readTime, 1700000000);
}

TEST(DriveReadingTest, OneSlotOrAllAndNoneForAnEmptySlot) {
    SimDriveProvider set(kSamples);
    SmartReader reader(set);
    EXPECT_EQ(ReadSlots(reader, std::nullopt, SleepingDrive::LeaveAlone, kClock).size(), 5u);
    const auto five = ReadSlots(reader, 5, SleepingDrive::LeaveAlone, kClock);
    ASSERT_EQ(five.size(), 1u);
    EXPECT_EQ(five[0].device, "sim5");
    EXPECT_EQ(five[0].kind, DriveKind::Nvme);
    EXPECT_TRUE(ReadSlots(reader, 3, SleepingDrive::Read, kClock).empty());
}

}  // namespace
}  // namespace qm
