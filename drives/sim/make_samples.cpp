// quillmoor-make-samples OUTPUT_FOLDER
//
// Writes the sample drive set (drives.ini and one dump per drive) into
// OUTPUT_FOLDER, and the set of a drive that worsens (drives.ini and its
// dumps) into OUTPUT_FOLDER/worsening, creating them when needed. The output
// depends on nothing but this file: the same bytes on every run and every
// machine.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "drives/sim/sample_sectors.h"
#include "drives/sim/skdump.h"

namespace {

using qm::AttributeSpec;
using qm::IdentitySpec;

// Attribute flags as drives set them.
constexpr std::uint16_t kPrefailOnline = 0x000F;
constexpr std::uint16_t kPrefail = 0x0003;
constexpr std::uint16_t kPrefailCounter = 0x0033;
constexpr std::uint16_t kOldAgeCounter = 0x0032;
constexpr std::uint16_t kOldAgeOnline = 0x0022;
constexpr std::uint16_t kOldAge = 0x0012;
constexpr std::uint16_t kOldAgeOffline = 0x0010;
constexpr std::uint16_t kOldAgeCrc = 0x003E;
constexpr std::uint16_t kPrefailSpin = 0x0013;

// Temperature raw value as hard disks report it: current degrees in byte 0,
// lowest in byte 2 and highest in byte 4 since power-on.
constexpr std::uint64_t Temperature(std::uint64_t now, std::uint64_t low, std::uint64_t high) {
    return now | low << 16 | high << 32;
}

struct SampleDrive {
    int slot;
    std::string fileName;
    std::string comment;
    std::string volumes;
    IdentitySpec identity;
    std::vector<AttributeSpec> attributes;
};

std::vector<SampleDrive> SampleSet() {
    std::vector<SampleDrive> set;

    // A healthy hard disk at 38 degrees, system disk of the machine.
    set.push_back({0, "qm-hd1000a.smart", "healthy hard disk, 38 degrees", "/ /home",
                   {"QM-HD1000A", "QMA10H4K27Z1", "QA1.0200", 1953525168, false, 7200},
                   {
                       {1, kPrefailOnline, 200, 200, 0, 51},
                       {3, kPrefail, 177, 175, 4125, 21},
                       {4, kOldAgeCounter, 100, 100, 1284, 0},
                       {5, kPrefailCounter, 200, 200, 0, 140},
                       {7, kPrefailOnline, 100, 253, 0, 51},
                       {9, kOldAgeCounter, 88, 88, 9123, 0},
                       {10, kPrefailSpin, 100, 100, 0, 51},
                       {11, kOldAgeCounter, 100, 100, 0, 0},
                       {12, kOldAgeCounter, 100, 100, 1270, 0},
                       {192, kOldAgeCounter, 200, 200, 37, 0},
                       {193, kOldAgeCounter, 196, 196, 12345, 0},
                       {194, kOldAgeOnline, 112, 98, Temperature(38, 18, 47), 0},
                       {196, kOldAgeCounter, 200, 200, 0, 0},
                       {197, kOldAge, 200, 200, 0, 0},
                       {198, kOldAgeOffline, 100, 253, 0, 0},
                       {199, kOldAgeCrc, 200, 200, 0, 0},
                       {200, kOldAgeOffline, 100, 253, 0, 0},
                   }});

    // A solid-state disk: no temperature attribute at all; a written-sectors
    // counter wider than 16 bits.
    set.push_back({1, "quillmoor-flash-240.smart", "solid-state disk without a temperature attribute", "/data",
                   {"Quillmoor Flash 240", "      QF24B3800917C5", "QF1.02", 468862128, true, 0},
                   {
                       {5, kPrefailCounter, 100, 100, 0, 10},
                       {9, kOldAgeCounter, 99, 99, 2417, 0},
                       {12, kOldAgeCounter, 99, 99, 311, 0},
                       {170, kPrefailCounter, 100, 100, 0, 10},
                       {171, kOldAgeCounter, 100, 100, 0, 0},
                       {172, kOldAgeCounter, 100, 100, 0, 0},
                       {173, kOldAgeCounter, 97, 97, 62, 0},
                       {174, kOldAgeCounter, 100, 100, 19, 0},
                       {177, kPrefailCounter, 96, 96, 58, 0},
                       {181, kOldAgeCounter, 100, 100, 0, 0},
                       {183, kOldAgeCounter, 100, 100, 0, 0},
                       {184, kPrefailCounter, 100, 100, 0, 90},
                       {187, kOldAgeCounter, 100, 100, 0, 0},
                       {199, kOldAgeCrc, 100, 100, 0, 0},
                       {233, kOldAgeCounter, 97, 97, 0, 0},
                       {241, kOldAgeCounter, 100, 100, 9119731768, 0},
                       {242, kOldAgeCounter, 100, 100, 13087622417, 0},
                   }});

    // A failing hard disk: reallocated sectors below their threshold (bad),
    // pending and uncorrectable sectors (caution), 44 degrees.
    set.push_back({2, "qm-hd500b.smart", "failing hard disk: reallocated and pending sectors, 44 degrees",
                   "/mnt/backup",
                   {"QM-HD500B", "QMB05F19PX82", "QB2.0100", 976773168, false, 5400},
                   {
                       {1, kPrefailOnline, 62, 47, 88211, 51},
                       {3, kPrefail, 170, 168, 4391, 21},
                       {4, kOldAgeCounter, 98, 98, 2207, 0},
                       {5, kPrefailCounter, 30, 30, 1416, 36},
                       {7, kPrefailOnline, 200, 200, 0, 51},
                       {9, kOldAgeCounter, 41, 41, 43327, 0},
                       {10, kPrefailSpin, 100, 100, 0, 51},
                       {11, kOldAgeCounter, 100, 100, 0, 0},
                       {12, kOldAgeCounter, 98, 98, 2150, 0},
                       {192, kOldAgeCounter, 200, 200, 141, 0},
                       {193, kOldAgeCounter, 143, 143, 171920, 0},
                       {194, kOldAgeOnline, 106, 91, Temperature(44, 21, 52), 0},
                       {196, kOldAgeCounter, 144, 144, 57, 0},
                       {197, kOldAge, 198, 198, 24, 0},
                       {198, kOldAgeOffline, 198, 198, 24, 0},
                       {199, kOldAgeCrc, 200, 200, 0, 0},
                       {200, kOldAgeOffline, 96, 96, 1310, 0},
                   }});

    // A hot hard disk at 59 degrees.
    set.push_back({4, "qm-hd2000c.smart", "hot hard disk, 59 degrees", "/mnt/media /mnt/archive",
                   {"QM-HD2000C", "QMC20T60LW05", "QC1.0300", 3907029168, false, 7200},
                   {
                       {1, kPrefailOnline, 200, 200, 0, 51},
                       {3, kPrefail, 181, 179, 5941, 21},
                       {4, kOldAgeCounter, 100, 100, 402, 0},
                       {5, kPrefailCounter, 200, 200, 0, 140},
                       {7, kPrefailOnline, 100, 253, 0, 51},
                       {9, kOldAgeCounter, 95, 95, 3904, 0},
                       {10, kPrefailSpin, 100, 100, 0, 51},
                       {12, kOldAgeCounter, 100, 100, 398, 0},
                       {190, kOldAgeOnline, 41, 38, 59, 40},
                       {192, kOldAgeCounter, 200, 200, 12, 0},
                       {193, kOldAgeCounter, 200, 200, 1544, 0},
                       {194, kOldAgeOnline, 91, 88, Temperature(59, 24, 62), 0},
                       {196, kOldAgeCounter, 200, 200, 0, 0},
                       {197, kOldAge, 200, 200, 0, 0},
                       {198, kOldAgeOffline, 100, 253, 0, 0},
                       {199, kOldAgeCrc, 200, 200, 0, 0},
                       {200, kOldAgeOffline, 100, 253, 0, 0},
                   }});
    return set;
}

struct SampleNvme {
    int slot;
    std::string baseName;  // BASE.identify and BASE.log
    std::string comment;
    std::string volumes;
    qm::NvmeIdentitySpec identity;
    qm::NvmeHealthSpec health;
};

// Kelvin of whole degrees Celsius, as drives report them.
constexpr std::uint16_t Kelvin(int celsius) { return static_cast<std::uint16_t>(celsius + 273); }

std::vector<SampleNvme> SampleNvmeSet() {
    // A worn NVMe drive: 93 % of its rated life used and two media errors
    // (caution), spare 40 % over a threshold of 10 %, 47 degrees.
    qm::NvmeHealthSpec worn;
    worn.temperatureK = Kelvin(47);
    worn.availableSpare = 40;
    worn.availableSpareThreshold = 10;
    worn.percentageUsed = 93;
    worn.dataUnitsRead = 29'446'117;
    worn.dataUnitsWritten = 41'872'093;
    worn.hostReadCommands = 512'334'781;
    worn.hostWriteCommands = 897'118'245;
    worn.controllerBusyTime = 3'211;
    worn.powerCycles = 1'482;
    worn.powerOnHours = 14'127;
    worn.unsafeShutdowns = 91;
    worn.mediaErrors = 2;
    worn.errorLogEntries = 37;
    worn.warningTemperatureTime = 12;
    worn.sensorsK = {Kelvin(47), Kelvin(52)};
    return {{5, "qm-nv1000d", "worn NVMe drive: 93 % of its life used, two media errors, 47 degrees", "/srv",
             {"QM-NV1000D", "QMD10N7H2204", "QD3.1000", Kelvin(70), Kelvin(80), 1'000'204'886'016},
             worn}};
}

// The drive of the worsening set, one dump per step: healthy, then
// reallocated sectors, then pending ones too, then hot, then reallocated
// sectors below their threshold and too hot. Each full read moves the
// simulated drive on by one step.
struct WorseningStep {
    std::uint64_t reallocated;        // id 5, raw
    std::uint8_t reallocatedValue;    // id 5, current value (threshold 140)
    std::uint64_t pending;            // id 197, raw
    std::uint64_t celsius;            // id 194
};
constexpr std::array<WorseningStep, 5> kWorseningSteps{{
    {0, 200, 0, 40},
    {8, 200, 0, 41},
    {24, 200, 2, 42},
    {24, 200, 2, 56},
    {1520, 130, 2, 61},
}};
constexpr std::string_view kWorseningComment =
    "QM-HD750E: healthy, 40 degrees -> 8 reallocated sectors -> 24, and 2 pending\n"
    "; -> 56 degrees -> reallocated sectors below their threshold, 61 degrees";
const IdentitySpec kWorseningIdentity{"QM-HD750E", "QME75W31KD90", "QE1.0100", 1465149168, false, 7200};

std::string WorseningFileName(std::size_t step) { return "qm-hd750e-" + std::to_string(step + 1) + ".smart"; }

std::vector<AttributeSpec> WorseningAttributes(std::size_t step) {
    const WorseningStep& s = kWorseningSteps[step];
    const std::uint64_t highest = std::max<std::uint64_t>(45, s.celsius);
    return {
        {1, kPrefailOnline, 200, 200, 0, 51},
        {3, kPrefail, 178, 176, 4008, 21},
        {4, kOldAgeCounter, 100, 100, 812, 0},
        {5, kPrefailCounter, s.reallocatedValue, s.reallocatedValue, s.reallocated, 140},
        {7, kPrefailOnline, 100, 253, 0, 51},
        {9, kOldAgeCounter, 79, 79, 15480 + step, 0},  // power-on hours: the normal drift
        {10, kPrefailSpin, 100, 100, 0, 51},
        {12, kOldAgeCounter, 100, 100, 790, 0},
        {192, kOldAgeCounter, 200, 200, 21, 0},
        {193, kOldAgeCounter, 197, 197, 9211, 0},
        {194, kOldAgeOnline, static_cast<std::uint8_t>(150 - s.celsius), static_cast<std::uint8_t>(150 - highest),
         Temperature(s.celsius, 19, highest), 0},
        {196, kOldAgeCounter, 200, 200, 0, 0},
        {197, kOldAge, 200, 200, s.pending, 0},
        {198, kOldAgeOffline, 100, 253, 0, 0},
        {199, kOldAgeCrc, 200, 200, 0, 0},
        {200, kOldAgeOffline, 100, 253, 0, 0},
    };
}

std::string WorseningIni() {
    std::string ini =
        "; A drive that worsens: one simulated ATA drive in slot 0 whose data gets\n"
        "; worse with every full read (each read moves on to the next dump of\n"
        "; dumps=; the last one stays).\n"
        "; Made by quillmoor-make-samples; change the generator, not this file.\n"
        "\n[0]\n; ";
    ini += kWorseningComment;
    ini += "\ndumps =";
    for (std::size_t step = 0; step < kWorseningSteps.size(); ++step) ini += " " + WorseningFileName(step);
    ini += "\nvolumes = /\n";
    return ini;
}

std::string DrivesIni(const std::vector<SampleDrive>& set, const std::vector<SampleNvme>& nvmeSet) {
    std::string ini =
        "; Sample drive set: four simulated ATA drives in slots 0, 1, 2 and 4 and an\n"
        "; NVMe drive in slot 5.\n"
        "; Made by quillmoor-make-samples; change the generator, not this file.\n"
        "; Keys: dump (file in this folder), bytes (disk size; default from the\n"
        "; identity sector), volumes (separated by blanks), fail (open, version,\n"
        "; enable, identify, attributes, thresholds or log), family (9x);\n"
        "; kind = nvme with identify (Identify Controller) and log (health log).\n";
    for (const SampleDrive& d : set) {
        ini += "\n[" + std::to_string(d.slot) + "]\n";
        ini += "; " + d.comment + "\n";
        ini += "dump = " + d.fileName + "\n";
        ini += "volumes = " + d.volumes + "\n";
    }
    for (const SampleNvme& d : nvmeSet) {
        ini += "\n[" + std::to_string(d.slot) + "]\n";
        ini += "; " + d.comment + "\n";
        ini += "kind = nvme\n";
        ini += "identify = " + d.baseName + ".identify\n";
        ini += "log = " + d.baseName + ".log\n";
        ini += "volumes = " + d.volumes + "\n";
    }
    return ini;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

// A dump of the four sections, status good; false (with a message) when it
// cannot be written.
bool WriteAtaDump(const std::filesystem::path& path, const IdentitySpec& identity,
                  const std::vector<AttributeSpec>& attributes) {
    qm::SkDump dump;
    dump.identify = qm::BuildIdentitySector(identity);
    dump.status = std::array<std::uint8_t, qm::kSkDumpStatusSize>{0, 0, 0, 1};  // status good
    dump.smartData = qm::BuildSmartDataSector(attributes);
    dump.thresholds = qm::BuildThresholdSector(attributes);
    if (qm::SaveSkDump(path.string(), dump)) return true;
    std::fprintf(stderr, "quillmoor-make-samples: cannot write %s\n", path.string().c_str());
    return false;
}

bool CreateFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) return true;
    std::fprintf(stderr, "quillmoor-make-samples: cannot create %s: %s\n", folder.string().c_str(),
                 ec.message().c_str());
    return false;
}

// The worsening set in `folder`.
bool WriteWorseningSet(const std::filesystem::path& folder) {
    if (!CreateFolder(folder)) return false;
    for (std::size_t step = 0; step < kWorseningSteps.size(); ++step) {
        if (!WriteAtaDump(folder / WorseningFileName(step), kWorseningIdentity, WorseningAttributes(step)))
            return false;
    }
    const std::filesystem::path ini = folder / "drives.ini";
    if (WriteText(ini, WorseningIni())) return true;
    std::fprintf(stderr, "quillmoor-make-samples: cannot write %s\n", ini.string().c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmoor-make-samples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    if (!CreateFolder(folder)) return 1;

    const std::vector<SampleDrive> set = SampleSet();
    for (const SampleDrive& d : set) {
        if (!WriteAtaDump(folder / d.fileName, d.identity, d.attributes)) return 1;
    }
    const std::vector<SampleNvme> nvmeSet = SampleNvmeSet();
    for (const SampleNvme& d : nvmeSet) {
        for (const auto& [extension, bytes] : {std::pair{".identify", qm::BuildNvmeIdentify(d.identity)},
                                               std::pair{".log", qm::BuildNvmeHealthLog(d.health)}}) {
            const std::filesystem::path path = folder / (d.baseName + extension);
            if (!WriteBytes(path, bytes)) {
                std::fprintf(stderr, "quillmoor-make-samples: cannot write %s\n", path.string().c_str());
                return 1;
            }
        }
    }
    const std::filesystem::path ini = folder / "drives.ini";
    if (!WriteText(ini, DrivesIni(set, nvmeSet))) {
        std::fprintf(stderr, "quillmoor-make-samples: cannot write %s\n", ini.string().c_str());
        return 1;
    }
    return WriteWorseningSet(folder / "worsening") ? 0 : 1;
}
