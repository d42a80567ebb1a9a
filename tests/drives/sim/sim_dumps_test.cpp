// A drive with dumps=: which lists make a drive, and how the drive moves from
// dump to dump (full reads only, each drive on its own).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>

#include "drives/sim/sim_drives.h"
#include "smart/drive_record.h"
#include "smart/smart_reader.h"
#include "tests/drives/sim/sim_test_support.h"

namespace qm {
namespace {

using test::MakeDump;
using test::TempFolder;

// `count` blank-separated copies of `name`.
std::string Repeated(const std::string& name, std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i) list += name + " ";
    return list;
}

class SimDumpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Three steps, told apart by the model in the identity, by the
        // temperature in the values and by the first row's threshold: a read
        // shows which dump each answer came from.
        for (int step = 0; step < 3; ++step) {
            SkDump dump = MakeDump(Model(step), 1953525168, 40 + step);
            (*dump.thresholds)[3] = static_cast<std::uint8_t>(kThreshold + step);  // the first entry's threshold
            SealSmartSector(*dump.thresholds);
            ASSERT_TRUE(SaveSkDump(folder / Step(step), dump));
        }
    }
    static constexpr int kThreshold = 6;  // of row 1 in MakeDump
    static std::string Step(int step) { return "s" + std::to_string(step) + ".smart"; }
    static std::string Model(int step) { return "QM-STEP" + std::to_string(step); }
    void Ini(const std::string& text) { test::WriteText(folder / "drives.ini", text); }

    // The step a record's identity was read from, -1 for no record.
    static int StepOf(const DriveRecord& r) {
        if (r.driveType != 1) return -1;
        const std::string model(TrimBlanks(r.modelNumber));
        for (int step = 0; step < 3; ++step)
            if (model == Model(step)) return step;
        ADD_FAILURE() << "unknown model " << model;
        return -1;
    }
    // The step its values were read from, -1 for none.
    static int ValuesStepOf(const DriveRecord& r) {
        const std::optional<int> celsius = DriveTemperature(r);
        return celsius ? *celsius - 40 : -1;
    }
    // The step its thresholds were read from, -1 for none (the rows come
    // with the values).
    static int ThresholdsStepOf(const DriveRecord& r) {
        for (const AttributeRow& row : AttributeRows(r))
            if (row.id == 1 && row.threshold != 0) return row.threshold - kThreshold;
        return -1;
    }

    TempFolder folder;
};

// ---------------------------------------------------------------------------
// Which dumps= lists make a drive

TEST_F(SimDumpsTest, ListsThatMakeADriveAndListsThatDoNot) {
    SkDump noIdentity = MakeDump("QM-NOID");
    noIdentity.identify.reset();
    ASSERT_TRUE(SaveSkDump(folder / "noid.smart", noIdentity));
    ASSERT_TRUE(SaveSkDump(folder / "a", MakeDump("QM-A")));
    TempFolder outside;
    ASSERT_TRUE(SaveSkDump(outside / "x.smart", MakeDump("QM-OUT")));
    std::filesystem::create_symlink(outside / "x.smart", folder.path() / "link.smart");
    ASSERT_EQ(mkfifo((folder / "fifo.smart").c_str(), 0600), 0);  // never waited on

    struct Case {
        std::string entries;        // the section's lines
        std::size_t dumps;          // dumps of the drive; 0: no drive
        std::string warning;        // part of the one warning; empty: none
    };
    const std::vector<Case> cases = {
        {"dumps = s0.smart s1.smart s2.smart", 3, ""},
        {"dumps = s0.smart", 1, ""},
        {"dumps =\ts1.smart   s0.smart\t ; a comment", 2, ""},
        {"dumps = s0.smart s0.smart s1.smart", 3, ""},
        {"dumps = " + Repeated("a", kSimDumpsLimit), kSimDumpsLimit, ""},
        {"dumps = " + Repeated("a", kSimDumpsLimit + 1), 0, "dumps= names more than 64 files"},
        // A value the reader could have cut short is refused, whatever it names.
        {"dumps = " + Repeated("s0.smart", 27), 27, ""},                     // 242 bytes
        {"dumps = " + Repeated("s0.smart", 28), 0, "dumps= is too long"},    // 251 bytes
        {"dump = " + std::string(251, 'x'), 0, "dump= is too long"},
        {"dumps =", 0, "dumps= names no file"},
        {"dumps = ; only a comment", 0, "dumps= names no file"},
        {"dumps = s0.smart ../s1.smart", 0, "dumps= must name a file inside the folder"},
        {"dumps = s0.smart " + (outside / "x.smart"), 0, "dumps= must name a file inside the folder"},
        {"dumps = s0.smart link.smart", 0, "dump link.smart cannot be read"},
        {"dumps = s0.smart fifo.smart", 0, "dump fifo.smart cannot be read"},
        {"dumps = s0.smart missing.smart", 0, "dump missing.smart cannot be read"},
        {"dumps = s0.smart noid.smart", 0, "dump noid.smart has no identity section"},
        {"dump = s0.smart\ndumps = s1.smart", 0, "dump= and dumps= together"},
        {"dumps = s1.smart\ndump = s0.smart", 0, "dump= and dumps= together"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        Ini("[0]\n" + c.entries + "\n");
        const SimDriveProvider p(folder.str());
        ASSERT_TRUE(p.ok()) << p.error();
        const SimDrive* drive = p.Drive(0);
        EXPECT_EQ(drive != nullptr ? drive->DumpCount() : 0, c.dumps);
        if (c.warning.empty()) {
            EXPECT_TRUE(p.warnings().empty());
        } else {
            ASSERT_EQ(p.warnings().size(), 1u);
            EXPECT_NE(p.warnings()[0].find("slot 0: " + c.warning), std::string::npos) << p.warnings()[0];
        }
    }
}

TEST_F(SimDumpsTest, KeepsTheNamesInOrderAndTheDiskSizeOfTheFirst) {
    ASSERT_TRUE(SaveSkDump(folder / "big.smart", MakeDump("QM-BIG", 2 * 1953525168ull)));
    Ini("[0]\ndumps = s1.smart big.smart s0.smart\n");
    const SimDriveProvider p(folder.str());
    const SimDrive* drive = p.Drive(0);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->dumpName, "s1.smart");
    EXPECT_EQ(drive->laterDumpNames, (std::vector<std::string>{"big.smart", "s0.smart"}));
    EXPECT_EQ(drive->bytes, 1953525168ull * 512);
    EXPECT_TRUE(drive->DumpAt(1).SameSections(MakeDump("QM-BIG", 2 * 1953525168ull)));
    EXPECT_TRUE(drive->DumpAt(99).SameSections(MakeDump(Model(0), 1953525168, 40)));  // past the end: the last
}

// ---------------------------------------------------------------------------
// Moving from dump to dump

TEST_F(SimDumpsTest, EachFullReadMovesOnAndTheLastStays) {
    struct Case {
        std::string extra;                 // more lines of the section
        std::vector<int> valuesSteps;      // the dump of the values of each of five full reads
        std::vector<int> thresholdsSteps;  // and of the thresholds
    };
    const std::vector<int> steps = {0, 1, 2, 2, 2};
    const std::vector<int> none = {-1, -1, -1, -1, -1};
    const std::vector<Case> cases = {
        {"", steps, steps},
        {"family = 9x", steps, steps},       // through the shared device
        {"fail = thresholds", steps, none},  // the refused read still ends the full read
        {"fail = attributes", none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        Ini("[0]\ndumps = s0.smart s1.smart s2.smart\n" + c.extra + "\n");
        SimDriveProvider p(folder.str());
        SmartReader reader(p);
        std::vector<int> identitySteps;
        std::vector<int> valuesSteps;
        std::vector<int> thresholdsSteps;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const DriveRecord r = reader.ReadDrive(0);
            identitySteps.push_back(StepOf(r));
            valuesSteps.push_back(ValuesStepOf(r));
            thresholdsSteps.push_back(ThresholdsStepOf(r));
        }
        EXPECT_EQ(identitySteps, steps);
        EXPECT_EQ(valuesSteps, c.valuesSteps);
        EXPECT_EQ(thresholdsSteps, c.thresholdsSteps);
        EXPECT_EQ(p.OpenHandles(), 0);
    }
}

TEST_F(SimDumpsTest, AProbeMovesNothing) {
    Ini("[0]\ndumps = s0.smart s1.smart s2.smart\n");
    SimDriveProvider p(folder.str());
    SmartReader reader(p);
    std::vector<int> steps;
    for (bool full : {false, false, true, false, false, true, false, true}) {
        steps.push_back(StepOf(full ? reader.ReadDrive(0) : reader.ProbeDrive(0)));
    }
    // A probe sees the dump the next full read will answer from.
    EXPECT_EQ(steps, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2}));
}

TEST_F(SimDumpsTest, DrivesReadSideBySideEachSeeTheirOwnSteps) {
    // The drive worker reads each drive on its own thread.
    Ini("[0]\ndumps = s0.smart s1.smart s2.smart\n[1]\ndumps = s0.smart s1.smart s2.smart\n");
    SimDriveProvider p(folder.str());
    constexpr int kReads = 20;
    std::array<std::vector<int>, 2> seen;
    std::vector<std::thread> threads;
    for (DriveSlot slot : {0, 1}) {
        threads.emplace_back([&p, &seen, slot] {
            SmartReader reader(p);  // one reader per thread, as calls of one reader must not overlap
            for (int i = 0; i < kReads; ++i) {
                const DriveRecord r = reader.ReadDrive(slot);
                seen[static_cast<std::size_t>(slot)].push_back(
                    r.driveType == 1 ? TrimBlanks(r.modelNumber).back() - '0' : -1);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    std::vector<int> expected(kReads, 2);
    expected[0] = 0;
    expected[1] = 1;
    EXPECT_EQ(seen[0], expected);
    EXPECT_EQ(seen[1], expected);
    EXPECT_EQ(p.OpenHandles(), 0);
}

}  // namespace
}  // namespace qm
