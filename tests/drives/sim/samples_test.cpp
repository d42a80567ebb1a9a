// The sample drive set: the committed files are exactly what the generator
// makes, the sectors are well-formed, and each drive reads as described.
#include <gtest/gtest.h>

#include <map>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "drives/sim/sim_drives.h"
#include "smart/drive_record.h"
#include "smart/health.h"
#include "smart/rating.h"
#include "smart/shown_rows.h"
#include "smart/smart_reader.h"
#include "tests/drives/sim/sim_test_support.h"

extern char** environ;

namespace qm {
namespace {

using test::GetWord;
using test::TempFolder;

const std::string kSamples = QM_SAMPLES_DIR;

// Runs a program without a shell; its exit status, or -1.
int RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Every file below `folder` (sub-folders included), by its path relative to it.
std::set<std::string> FileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) names.insert(entry.path().lexically_relative(folder).generic_string());
    }
    return names;
}

TEST(SampleSet, CommittedFilesAreExactlyWhatTheGeneratorMakes) {
    TempFolder out;
    ASSERT_EQ(RunProgram({QM_MAKE_SAMPLES, out.str()}), 0);
    const std::set<std::string> made = FileNames(out.path());
    ASSERT_TRUE(made.contains("drives.ini"));
    ASSERT_TRUE(made.contains("worsening/drives.ini"));
    EXPECT_GE(made.size(), 12u);

    std::set<std::string> committed = FileNames(kSamples);
    EXPECT_TRUE(committed.erase("README.md"));
    EXPECT_EQ(committed, made) << "samples/ has stale or missing files; rerun quillmoor-make-samples samples";
    for (const std::string& name : made) {
        EXPECT_EQ(test::ReadBytes(out / name), test::ReadBytes(kSamples + "/" + name)) << name;
    }

    // A second run into the same folder changes nothing.
    ASSERT_EQ(RunProgram({QM_MAKE_SAMPLES, out.str()}), 0);
    for (const std::string& name : made) {
        EXPECT_EQ(test::ReadBytes(out / name), test::ReadBytes(kSamples + "/" + name)) << name;
    }
    EXPECT_NE(RunProgram({QM_MAKE_SAMPLES}), 0);
}

std::uint8_t ByteSum(const Sector& s) {
    unsigned sum = 0;
    for (std::uint8_t b : s) sum += b;
    return static_cast<std::uint8_t>(sum);
}

TEST(SampleSet, SectorsAreWellFormed) {
    SimDriveProvider set(kSamples);
    ASSERT_TRUE(set.ok()) << set.error();
    EXPECT_TRUE(set.warnings().empty());
    EXPECT_EQ(set.PresentSlots(), (std::vector<DriveSlot>{0, 1, 2, 4, 5}));
    for (DriveSlot slot : set.PresentSlots()) {
        SCOPED_TRACE(slot);
        if (set.Drive(slot)->kind == DriveKind::Nvme) continue;  // WornNvmeDrive
        const SkDump& d = set.Drive(slot)->dump;
        ASSERT_TRUE(d.identify && d.status && d.smartData && d.thresholds);
        const Sector& id = *d.identify;
        EXPECT_EQ(id[510], 0xA5);
        EXPECT_EQ(ByteSum(id), 0);
        EXPECT_EQ(ByteSum(*d.smartData), 0);
        EXPECT_EQ(ByteSum(*d.thresholds), 0);
        EXPECT_EQ(GetWord(id, 1), 16383);
        EXPECT_EQ(GetWord(id, 3), 16);
        EXPECT_EQ(GetWord(id, 6), 63);
        EXPECT_EQ(GetWord(id, 82) & 1, 1);      // S.M.A.R.T. supported
        EXPECT_EQ(GetWord(id, 85) & 1, 1);      // and enabled
        EXPECT_EQ(GetWord(id, 83) & 0xC400, 0x4400);  // valid, 48-bit addresses
        const std::uint64_t lba48 = GetWord(id, 100) | std::uint64_t{GetWord(id, 101)} << 16 |
                                    std::uint64_t{GetWord(id, 102)} << 32 | std::uint64_t{GetWord(id, 103)} << 48;
        const std::uint32_t lba28 = GetWord(id, 60) | std::uint32_t{GetWord(id, 61)} << 16;
        EXPECT_EQ(lba28, std::min<std::uint64_t>(lba48, 0x0FFFFFFF));
        EXPECT_EQ(set.Drive(slot)->bytes, lba48 * 512);
        EXPECT_EQ(*d.status, (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
    }
}

class SampleDrivesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(set.ok()) << set.error(); }

    static std::optional<AttributeRow> Row(const DriveRecord& r, std::uint8_t id) {
        for (const AttributeRow& row : AttributeRows(r))
            if (row.id == id) return row;
        return std::nullopt;
    }
    static AttributeStatus Rate(const AttributeRow& row) {
        return RateAttribute(row.id, row.current, row.threshold, row.raw);
    }
    static AttributeStatus Worst(const DriveRecord& r) {
        AttributeStatus worst = AttributeStatus::Good;
        for (const AttributeRow& row : AttributeRows(r)) worst = std::max(worst, Rate(row));
        return worst;
    }

    SimDriveProvider set{kSamples};
    SmartReader reader{set};
};

TEST_F(SampleDrivesTest, HealthyHardDisk) {
    const DriveRecord r = reader.ReadDrive(0);
    ASSERT_EQ(r.driveType, 1);
    EXPECT_EQ(r.modelNumber.size(), 40u);
    EXPECT_EQ(TrimBlanks(r.modelNumber), "QM-HD1000A");
    EXPECT_EQ(DriveTemperature(r), 38);
    EXPECT_EQ(Worst(r), AttributeStatus::Good);
    EXPECT_GE(r.attributeCount, 13);
    EXPECT_EQ(set.VolumesOf(0), (std::vector<std::string>{"/", "/home"}));
    EXPECT_EQ(set.QueryDriveGeometry(0), (DiskGeometry{121601, 255, 63, 512, 1'000'204'886'016}));
    EXPECT_EQ(r.cylinders, 16383);
    EXPECT_EQ(r.heads, 16);
    EXPECT_EQ(r.sectorsPerTrack, 63);
}

TEST_F(SampleDrivesTest, SolidStateDiskWithoutTemperature) {
    const DriveRecord r = reader.ReadDrive(1);
    ASSERT_EQ(r.driveType, 1);
    EXPECT_EQ(TrimBlanks(r.modelNumber), "Quillmoor Flash 240");
    EXPECT_EQ(TrimBlanks(r.serialNumber), "QF24B3800917C5");
    EXPECT_EQ(r.serialNumber.front(), ' ');  // right-aligned in its field, as many drives do
    EXPECT_FALSE(Row(r, 194));
    EXPECT_FALSE(Row(r, 190));
    EXPECT_EQ(DriveTemperature(r), std::nullopt);
    EXPECT_EQ(Worst(r), AttributeStatus::Good);
    ASSERT_TRUE(Row(r, 241));
    EXPECT_EQ(Row(r, 241)->raw, static_cast<std::int32_t>(9119731768ull & 0xFFFF));  // low 16 bits only
}

TEST_F(SampleDrivesTest, FailingHardDisk) {
    const DriveRecord r = reader.ReadDrive(2);
    ASSERT_EQ(r.driveType, 1);
    const auto reallocated = Row(r, 5);
    const auto pending = Row(r, 197);
    ASSERT_TRUE(reallocated && pending);
    EXPECT_GE(reallocated->raw, 1);
    EXPECT_GE(pending->raw, 1);
    EXPECT_LT(reallocated->current, reallocated->threshold);
    EXPECT_EQ(Rate(*reallocated), AttributeStatus::Bad);
    EXPECT_EQ(Rate(*pending), AttributeStatus::Caution);
    EXPECT_EQ(DriveTemperature(r), 44);
    EXPECT_EQ(Rate(*Row(r, 194)), AttributeStatus::Good);
}

TEST_F(SampleDrivesTest, HotHardDisk) {
    const DriveRecord r = reader.ReadDrive(4);
    ASSERT_EQ(r.driveType, 1);
    EXPECT_GE(DriveTemperature(r).value_or(0), 58);
    EXPECT_EQ(Rate(*Row(r, 194)), AttributeStatus::Caution);
    EXPECT_EQ(set.VolumesOf(4), (std::vector<std::string>{"/mnt/media", "/mnt/archive"}));
    for (const AttributeRow& row : AttributeRows(r)) {
        if (row.id != 194) {
            EXPECT_EQ(Rate(row), AttributeStatus::Good) << int(row.id);
        }
    }
}

// The worn NVMe drive of the example: its rows and marks as every
// view shows them.
TEST_F(SampleDrivesTest, WornNvmeDrive) {
    const DriveRecord r = reader.ReadDrive(5);
    ASSERT_EQ(r.driveType, 1);
    EXPECT_EQ(r.kind, DriveKind::Nvme);
    EXPECT_EQ(TrimBlanks(r.modelNumber), "QM-NV1000D");
    EXPECT_EQ(DriveTemperature(r), 47);
    EXPECT_EQ(set.QueryDriveGeometry(5), GeometryFromSize(1'000'204'886'016, 512));
    EXPECT_EQ(set.VolumesOf(5), std::vector<std::string>{"/srv"});
    std::map<int, std::pair<std::string, AttributeStatus>> shown;
    for (const ShownRow& row : ShownRows(r)) shown[row.key.id] = {row.raw, *row.status};
    EXPECT_EQ(shown[nvme_log::PercentageUsed], std::pair(std::string("93"), AttributeStatus::Caution));
    EXPECT_EQ(shown[nvme_log::MediaErrors], std::pair(std::string("2"), AttributeStatus::Caution));
    EXPECT_EQ(shown[nvme_log::AvailableSpare], std::pair(std::string("40"), AttributeStatus::Good));
    EXPECT_EQ(shown[nvme_log::CompositeTemperature], std::pair(std::string("47"), AttributeStatus::Good));
    EXPECT_EQ(shown.size(), 17u + 2u);  // the fields and two sensors
}

TEST_F(SampleDrivesTest, OtherSlotsAreEmpty) {
    for (DriveSlot slot : {3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) {
        EXPECT_EQ(reader.ProbeDrive(slot).driveType, 0) << slot;
    }
    EXPECT_EQ(set.OpenHandles(), 0);
}

// The drive of samples/worsening, read as the minute pass reads it: each full
// read a step worse, the start-up probe moving nothing.
TEST(WorseningSample, EachFullReadIsWorse) {
    SimDriveProvider set(kSamples + "/worsening");
    ASSERT_TRUE(set.ok()) << set.error();
    EXPECT_TRUE(set.warnings().empty());
    ASSERT_EQ(set.PresentSlots(), std::vector<DriveSlot>{0});
    SmartReader reader(set);
    EXPECT_EQ(TrimBlanks(reader.ProbeDrive(0).modelNumber), "QM-HD750E");

    using enum AttributeStatus;
    using Reason = std::tuple<std::string, std::string, AttributeStatus>;  // id, value, mark
    struct Step {
        AttributeStatus state;
        int celsius;
        std::vector<Reason> reasons;
    };
    const std::vector<Step> steps = {
        {Good, 40, {}},
        {Caution, 41, {{"5", "8", Caution}}},
        {Caution, 42, {{"5", "24", Caution}, {"197", "2", Caution}}},
        {Caution, 56, {{"5", "24", Caution}, {"194", "56", Caution}, {"197", "2", Caution}}},
        {Bad, 61, {{"5", "1520", Bad}, {"194", "61", Bad}, {"197", "2", Caution}}},
        {Bad, 61, {{"5", "1520", Bad}, {"194", "61", Bad}, {"197", "2", Caution}}},  // the last stays
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const DriveRecord r = reader.ReadDrive(0);
        ASSERT_TRUE(IsPresentDrive(r));
        EXPECT_EQ(TrimBlanks(r.modelNumber), "QM-HD750E");
        EXPECT_EQ(DriveTemperature(r), steps[i].celsius);
        const DriveHealth health = HealthOf(r);
        EXPECT_EQ(health.state, steps[i].state);
        std::vector<Reason> reasons;
        for (const HealthReason& reason : health.reasons) reasons.push_back({reason.idText, reason.value, reason.status});
        EXPECT_EQ(reasons, steps[i].reasons);
    }
    EXPECT_EQ(set.OpenHandles(), 0);
}

}  // namespace
}  // namespace qm
