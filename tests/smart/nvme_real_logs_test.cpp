// Health logs of real drives (tests/data/nvme, reconstructed from published
// listings; see its README): every field decodes to the published value,
// every row shows it, and the marks are what the rules give.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "smart/shown_rows.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct RealDrive {
    std::string name;
    std::vector<std::uint8_t> log;
    std::map<std::string, std::vector<std::string>> fields;  // as published
};

std::vector<RealDrive> RealDrives() {
    std::vector<RealDrive> drives;
    for (const auto& entry : fs::directory_iterator(QM_NVME_FIXTURES_DIR)) {
        if (entry.path().extension() != ".fields") continue;
        RealDrive drive;
        drive.name = entry.path().stem();
        std::ifstream fields(entry.path());
        for (std::string line; std::getline(fields, line);) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line);
            std::string key;
            words >> key;
            for (std::string value; words >> value;) drive.fields[key].push_back(value);
        }
        std::ifstream log(fs::path(entry.path()).replace_extension(".log"), std::ios::binary);
        drive.log.assign(std::istreambuf_iterator<char>(log), {});
        drives.push_back(std::move(drive));
    }
    return drives;
}

DriveRecord Record(const RealDrive& drive) {
    DriveRecord r;
    r.driveType = 1;
    r.kind = DriveKind::Nvme;
    r.attributes.emplace_back();
    r.nvme = NvmeDetails{};  // the listings give no WCTEMP or CCTEMP: the ATA limits apply
    r.nvme->health = DecodeHealthLog(drive.log);
    return r;
}

TEST(RealNvmeLogs, SevenDrivesOfSixMakers) {
    const std::vector<RealDrive> drives = RealDrives();
    EXPECT_EQ(drives.size(), 7u);
    for (const RealDrive& d : drives) EXPECT_EQ(d.log.size(), 512u) << d.name;
}

// The published listing's name of the field shown in each row.
const std::map<int, std::string> kPublishedName = {
    {0x00, "critical_warning"},   {0x01, "temperature"},        {0x03, "available_spare"},
    {0x04, "available_spare_threshold"}, {0x05, "percentage_used"}, {0x20, "data_units_read"},
    {0x30, "data_units_written"}, {0x40, "host_reads"},         {0x50, "host_writes"},
    {0x60, "controller_busy_time"}, {0x70, "power_cycles"},     {0x80, "power_on_hours"},
    {0x90, "unsafe_shutdowns"},   {0xA0, "media_errors"},       {0xB0, "num_err_log_entries"},
    {0xC0, "warning_temp_time"},  {0xC4, "critical_comp_time"},
};

TEST(RealNvmeLogs, EveryRowShowsThePublishedValue) {
    for (const RealDrive& drive : RealDrives()) {
        SCOPED_TRACE(drive.name);
        const DriveRecord r = Record(drive);
        ASSERT_TRUE(r.nvme->health);
        std::vector<std::string> sensors;
        for (const ShownRow& row : ShownRows(r)) {
            if (row.key.id >= nvme_log::FirstTemperatureSensor) {
                sensors.push_back(row.raw);
                continue;
            }
            const std::string published = drive.fields.at(kPublishedName.at(row.key.id)).at(0);
            EXPECT_EQ(row.key.id == 0 ? std::to_string(std::stoi(row.raw, nullptr, 16)) : row.raw, published)
                << row.idText;
        }
        const auto listed = drive.fields.find("temperature_sensors");
        EXPECT_EQ(sensors, listed == drive.fields.end() ? std::vector<std::string>{} : listed->second);
        EXPECT_EQ(DriveTemperature(r), std::stoi(drive.fields.at("temperature").at(0)));
    }
}

TEST(RealNvmeLogs, MarksAsTheRulesGive) {
    for (const RealDrive& drive : RealDrives()) {
        SCOPED_TRACE(drive.name);
        for (const ShownRow& row : ShownRows(Record(drive))) {
            // Only the Samsung 970 EVO 500GB has media errors (7); the
            // Corsair's 8382 error log entries are never marked.
            const bool mediaErrors = drive.name == "Samsung_SSD_970_EVO_500GB" && row.key.id == nvme_log::MediaErrors;
            EXPECT_EQ(row.status, mediaErrors ? AttributeStatus::Caution : AttributeStatus::Good) << row.idText;
        }
    }
}

}  // namespace
}  // namespace qm
