#include "tests/monitor/test_drive_set.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

#include <unistd.h>

#include "drives/sim/skdump.h"

namespace qm::test {

std::string SamplesFolder() { return QM_SAMPLES_DIR; }

TestDrive HealthyDrive(int slot, const std::string& model, std::optional<int> temperature) {
    TestDrive drive;
    drive.slot = slot;
    drive.model = model;
    drive.serial = "SN" + std::to_string(1000 + slot);
    drive.attributes = {
        {1, 0x000F, 200, 200, 0, 51},
        {3, 0x0003, 180, 178, 4100, 21},
        {5, 0x0033, 200, 200, 0, 140},
        {9, 0x0032, 90, 90, 8000, 0},
    };
    if (temperature) drive.attributes.push_back({194, 0x0022, 110, 95, static_cast<std::uint64_t>(*temperature), 0});
    drive.attributes.push_back({197, 0x0032, 200, 200, 0, 0});
    return drive;
}

TestDriveSet::TestDriveSet(const std::vector<TestDrive>& drives) {
    for (const TestDrive& drive : drives) Add(drive);
}

void TestDriveSet::Add(const TestDrive& drive) {
    SkDump dump;
    IdentitySpec identity;
    identity.model = drive.model;
    identity.serial = drive.serial;
    identity.firmware = drive.firmware;
    identity.sectors = drive.sectors;
    dump.identify = BuildIdentitySector(identity);
    dump.status = std::array<std::uint8_t, kSkDumpStatusSize>{0, 0, 0, 0};
    dump.smartData = BuildSmartDataSector(drive.attributes);
    dump.thresholds = BuildThresholdSector(drive.attributes);
    const std::string name = "slot" + std::to_string(drive.slot) + ".smart";
    if (!SaveSkDump(folder_.file(name), dump)) throw std::runtime_error("cannot write " + name);
    drives_.push_back(drive);
    WriteIni();
}

void TestDriveSet::WriteIni() const {
    std::ofstream ini(folder_.file("drives.ini"), std::ios::trunc);
    for (const TestDrive& drive : drives_) {
        ini << "[" << drive.slot << "]\n";
        ini << "dump = slot" << drive.slot << ".smart\n";
        if (!drive.volumes.empty()) ini << "volumes = " << drive.volumes << "\n";
        if (!drive.fail.empty()) ini << "fail = " << drive.fail << "\n";
        if (!drive.power.empty()) ini << "power = " << drive.power << "\n";
    }
    if (!ini) throw std::runtime_error("cannot write drives.ini");
}

}  // namespace qm::test
