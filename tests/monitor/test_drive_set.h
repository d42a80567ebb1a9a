// Drive sets for the tests: a temporary folder with a drives.ini and one dump
// per drive, served by SimDriveProvider exactly as --simulate serves a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "drives/sim/sample_sectors.h"
#include "tests/support/temp_folder.h"

namespace qm::test {

// The sample set of the repository (drives in slots 0, 1, 2 and 4).
std::string SamplesFolder();

// One drive of a test set.
struct TestDrive {
    int slot = 0;
    std::string model = "QM-TEST";
    std::string serial = "SN0001";
    std::string firmware = "FW01";
    std::uint64_t sectors = 976773168;  // 500 GB
    std::vector<AttributeSpec> attributes;
    std::string volumes;
    std::string fail;
    std::string power;  // "standby": the drive sleeps
};

// A healthy drive with the usual attributes; `temperature` becomes the raw
// byte 0 of attribute 194 (no 194 row when nullopt).
TestDrive HealthyDrive(int slot, const std::string& model, std::optional<int> temperature);

// Writes a set into its own temporary folder.
class TestDriveSet {
public:
    TestDriveSet() = default;
    explicit TestDriveSet(const std::vector<TestDrive>& drives);
    // Adds a drive and rewrites drives.ini.
    void Add(const TestDrive& drive);
    std::string folder() const { return folder_.path().string(); }

private:
    void WriteIni() const;
    TempFolder folder_;
    std::vector<TestDrive> drives_;
};

}  // namespace qm::test
