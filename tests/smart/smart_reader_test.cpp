// The S.M.A.R.T. exchange: command block bytes, the read sequences with their
// early exits, identity decoding and the attribute array.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "smart/smart_reader.h"
#include "tests/smart/fake_provider.h"

namespace qm {
namespace {

using test::FakeProvider;
using test::PutAttribute;
using test::PutThreshold;
using test::Sector;

std::array<std::uint8_t, 32> Bytes(std::initializer_list<std::pair<int, std::uint8_t>> set) {
    std::array<std::uint8_t, 32> b{};
    for (auto [i, v] : set) b[static_cast<std::size_t>(i)] = v;
    return b;
}

TEST(CommandBlocks, RegistersOfEachStepOnTheNtPath) {
    // cBufferSize (LE) at 0, registers at 4..10, drive number at 12.
    EXPECT_EQ(EnableSmartBlock(3, true).bytes,
              Bytes({{4, 0xD8}, {5, 1}, {6, 1}, {7, 0x4F}, {8, 0xC2}, {9, 0xA0}, {10, 0xB0}, {12, 3}}));
    EXPECT_EQ(IdentifyBlock(3, true).bytes,
              Bytes({{1, 0x02}, {5, 1}, {6, 1}, {9, 0xA0}, {10, 0xEC}, {12, 3}}));
    EXPECT_EQ(ReadAttributesBlock(3, true).bytes,
              Bytes({{1, 0x02}, {4, 0xD0}, {5, 1}, {6, 1}, {7, 0x4F}, {8, 0xC2}, {9, 0xA0}, {10, 0xB0}, {12, 3}}));
    EXPECT_EQ(ReadThresholdsBlock(3, true).bytes,
              Bytes({{1, 0x02}, {4, 0xD1}, {5, 1}, {6, 1}, {7, 0x4F}, {8, 0xC2}, {9, 0xA0}, {10, 0xB0}, {12, 3}}));
    EXPECT_EQ(IdentifyBlock(0, true, 0xA1).command(), 0xA1);
    EXPECT_EQ(ReadAttributesBlock(0, true).bufferSize(), 512u);
    EXPECT_EQ(EnableSmartBlock(0, true).bufferSize(), 0u);
}

TEST(CommandBlocks, DriveHeadRegisterFollowsTheFamily) {
    for (DriveSlot slot = 0; slot < 16; ++slot) {
        EXPECT_EQ(DriveHeadRegister(slot, true), 0xA0) << slot;
        EXPECT_EQ(DriveHeadRegister(slot, false), slot % 2 ? 0xB0 : 0xA0) << slot;
        EXPECT_EQ(ReadThresholdsBlock(slot, false).driveHead(), slot % 2 ? 0xB0 : 0xA0);
        EXPECT_EQ(ReadThresholdsBlock(slot, false).driveNumber(), slot);
    }
}

class ReadDriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& d = provider.drives[0];
        d.identify = test::IdentitySector("QM-HD1000A", "SN123", "1.00");
        PutAttribute(d.data, 0, 1, 100, 99, {1, 2, 3, 4, 5, 6});
        PutAttribute(d.data, 1, 194, 62, 40, {38, 0x10, 0x20});
        PutThreshold(d.thresholds, 0, 1, 6);
        PutThreshold(d.thresholds, 1, 194, 0);
    }
    FakeProvider provider;
    SmartReader reader{provider};
};

TEST_F(ReadDriveTest, FullReadRunsTheSixStepsInOrderAndCloses) {
    const DriveRecord r = reader.ReadDrive(0);
    EXPECT_EQ(provider.Steps(),
              (std::vector<std::string>{"open", "version", "send", "receive", "receive", "receive", "close"}));
    EXPECT_EQ(provider.log[2].block, EnableSmartBlock(0, true));
    EXPECT_EQ(provider.log[3].block, IdentifyBlock(0, true));
    EXPECT_EQ(provider.log[4].block, ReadAttributesBlock(0, true));
    EXPECT_EQ(provider.log[5].block, ReadThresholdsBlock(0, true));
    EXPECT_EQ(provider.openHandles, 0);
    EXPECT_EQ(r.driveType, 1);
    EXPECT_EQ(r.attributeCount, 2);
    ASSERT_EQ(r.attributes.size(), 3u);
}

TEST_F(ReadDriveTest, FamilyIsAskedAfreshForTheOpenAndEveryBlock) {
    reader.ReadDrive(0);
    EXPECT_EQ(provider.familyTests, 5);  // open, enable, identify, attributes, thresholds
    provider.familyTests = 0;
    reader.ProbeDrive(0);
    EXPECT_EQ(provider.familyTests, 3);
    provider.familyTests = 0;
    reader.ReadDrive(9);  // no device: only the open's test
    EXPECT_EQ(provider.familyTests, 1);
}

TEST_F(ReadDriveTest, ProbeStopsAfterIdentify) {
    const DriveRecord r = reader.ProbeDrive(0);
    EXPECT_EQ(provider.Steps(), (std::vector<std::string>{"open", "version", "send", "receive", "close"}));
    EXPECT_EQ(r.driveType, 1);
    EXPECT_EQ(r.attributeCount, 0);
    ASSERT_EQ(r.attributes.size(), 1u);
    EXPECT_EQ(r.attributes[0], AttributeEntry{});
    EXPECT_EQ(TrimBlanks(r.modelNumber), "QM-HD1000A");
}

TEST_F(ReadDriveTest, EveryEarlyExitGivesTheEmptyRecordAndClosesTheHandle) {
    struct Case {
        const char* name;
        bool test::FakeDrive::*fault;
        std::vector<std::string> steps;
    };
    const std::vector<Case> cases = {
        {"open", &test::FakeDrive::failOpen, {"open"}},
        {"version", &test::FakeDrive::failVersion, {"open", "version", "close"}},
        {"enable", &test::FakeDrive::failEnable, {"open", "version", "send", "close"}},
        {"identify", &test::FakeDrive::failIdentify, {"open", "version", "send", "receive", "close"}},
    };
    for (const auto& c : cases) {
        for (bool full : {true, false}) {
            FakeProvider p;
            p.drives[0] = provider.drives[0];
            p.drives[0].*(c.fault) = true;
            SmartReader r(p);
            const DriveRecord rec = full ? r.ReadDrive(0) : r.ProbeDrive(0);
            EXPECT_EQ(rec, DriveRecord{}) << c.name;
            EXPECT_TRUE(rec.attributes.empty()) << c.name;
            EXPECT_EQ(p.Steps(), c.steps) << c.name;
            EXPECT_EQ(p.openHandles, 0) << c.name;
        }
    }
}

TEST_F(ReadDriveTest, EmptySlotAndSlotsOutOfRangeCostNoExchange) {
    EXPECT_EQ(reader.ReadDrive(5), DriveRecord{});
    EXPECT_EQ(provider.Steps(), std::vector<std::string>{"open"});
    provider.log.clear();
    EXPECT_EQ(reader.ReadDrive(-1), DriveRecord{});
    EXPECT_EQ(reader.ReadDrive(16), DriveRecord{});
    EXPECT_TRUE(provider.log.empty());
}

TEST_F(ReadDriveTest, ZeroOrNegativeCylindersMeanNotIdentified) {
    for (std::uint16_t cylinders : {0, 0x8000, 0xFFFF}) {
        test::PutWord(provider.drives[0].identify, 1, cylinders);
        provider.log.clear();
        EXPECT_EQ(reader.ReadDrive(0).driveType, 0) << cylinders;
        EXPECT_EQ(provider.openHandles, 0);
        // Not read further: the identify is the only data exchange.
        const auto steps = provider.Steps();
        EXPECT_EQ(std::count(steps.begin(), steps.end(), "receive"), 1) << cylinders;
    }
    test::PutWord(provider.drives[0].identify, 1, 1);
    EXPECT_EQ(reader.ReadDrive(0).driveType, 1);
}

TEST_F(ReadDriveTest, IdentityIsSwappedUntrimmedAndSignExtended) {
    test::PutWord(provider.drives[0].identify, 3, 0xFFF0);
    test::PutWord(provider.drives[0].identify, 6, 0x7FFF);
    const DriveRecord r = reader.ReadDrive(0);
    EXPECT_EQ(r.modelNumber, "QM-HD1000A" + std::string(30, ' '));
    EXPECT_EQ(r.serialNumber, "SN123" + std::string(15, ' '));
    EXPECT_EQ(r.firmwareRevision, "1.00    ");
    EXPECT_EQ(r.cylinders, 16383);
    EXPECT_EQ(r.heads, -16);
    EXPECT_EQ(r.sectorsPerTrack, 32767);
}

TEST_F(ReadDriveTest, HostileIdentityBytesStayInTheirFields) {
    Sector& id = provider.drives[0].identify;
    for (std::size_t i = 20; i < 94; ++i) id[i] = static_cast<std::uint8_t>(0x80 + i);  // not UTF-8
    id[54] = 0;  // a NUL inside the model
    const DriveRecord r = reader.ReadDrive(0);
    EXPECT_EQ(r.driveType, 1);
    EXPECT_FALSE(r.modelNumber.empty());
    // Every invalid byte became one replacement character; nothing spilled over.
    EXPECT_EQ(r.modelNumber.find("\xEF\xBF\xBD"), 0u);
}

TEST_F(ReadDriveTest, AttributeArrayKeepsValuesOneElementLater) {
    // The worked example: ids 1 (entry 0) and 9 (entry 3).
    auto& d = provider.drives[0];
    d.data = {};
    d.thresholds = {};
    PutAttribute(d.data, 0, 1, 100, 98, {7, 0});
    PutAttribute(d.data, 3, 9, 90, 91, {0x2A, 0x1E, 0x14});
    const DriveRecord r = reader.ReadDrive(0);
    ASSERT_EQ(r.attributeCount, 2);
    ASSERT_EQ(r.attributes.size(), 3u);
    EXPECT_EQ(r.attributes[0].id, 1);
    EXPECT_EQ(r.attributes[0].current, 0);
    EXPECT_EQ(r.attributes[0].raw, 0);
    EXPECT_EQ(r.attributes[1].id, 9);
    EXPECT_EQ(r.attributes[1].current, 100);
    EXPECT_EQ(r.attributes[1].worst, 98);
    EXPECT_EQ(r.attributes[1].raw, 7);
    EXPECT_EQ(r.attributes[2].id, 0);
    EXPECT_EQ(r.attributes[2].name, "");
    EXPECT_EQ(r.attributes[2].current, 90);
    EXPECT_EQ(r.attributes[2].raw, 0x1E * 256 + 0x2A);
    EXPECT_EQ(r.attributes[0].name, "読み込みエラー率");
    EXPECT_EQ(r.attributes[1].name, "ハードディスク使用時間");
}

TEST_F(ReadDriveTest, TemperatureRawIsByteZeroAlone) {
    const DriveRecord r = reader.ReadDrive(0);
    const auto rows = AttributeRows(r);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].raw, 2 * 256 + 1);  // id 1: bytes 0 and 1 only
    EXPECT_EQ(rows[1].id, 194);
    EXPECT_EQ(rows[1].raw, 38);
    EXPECT_EQ(DriveTemperature(r), 38);

    PutAttribute(provider.drives[0].data, 1, 194, 62, 40, {1, 0x10});
    EXPECT_EQ(DriveTemperature(reader.ReadDrive(0)), std::nullopt);  // 0 and 1 are no reading
}

TEST_F(ReadDriveTest, ThresholdsMatchByIdAndSitWithTheId) {
    auto& d = provider.drives[0];
    d.thresholds = {};
    PutThreshold(d.thresholds, 0, 194, 45);
    PutThreshold(d.thresholds, 5, 5, 36);  // no attribute 5: dropped
    PutThreshold(d.thresholds, 7, 1, 51);
    const DriveRecord r = reader.ReadDrive(0);
    EXPECT_EQ(r.attributes[0].threshold, 51);
    EXPECT_EQ(r.attributes[1].threshold, 45);
    EXPECT_EQ(r.attributes[2].threshold, 0);
}

TEST_F(ReadDriveTest, DuplicateIdsGiveTwoRowsAndThresholdGoesToTheFirst) {
    auto& d = provider.drives[0];
    PutAttribute(d.data, 2, 1, 80, 80, {9});
    const DriveRecord r = reader.ReadDrive(0);
    const auto rows = AttributeRows(r);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].id, 1);
    EXPECT_EQ(rows[2].raw, 9);
    EXPECT_EQ(rows[0].threshold, 6);
    EXPECT_EQ(rows[2].threshold, 0);
}

TEST_F(ReadDriveTest, ThirtyEntriesGiveThirtyRows) {
    auto& d = provider.drives[0];
    for (std::size_t i = 0; i < 30; ++i) PutAttribute(d.data, i, static_cast<std::uint8_t>(i + 1), 100, 100, {1});
    const DriveRecord r = reader.ReadDrive(0);
    EXPECT_EQ(r.attributeCount, 30);
    EXPECT_EQ(r.attributes.size(), 31u);
}

TEST_F(ReadDriveTest, FailedAttributeOrThresholdExchangeIsNotAFailedRead) {
    auto& d = provider.drives[0];
    d.junkOnFailure = true;
    d.failData = true;
    DriveRecord r = reader.ReadDrive(0);
    EXPECT_EQ(r.driveType, 1);
    EXPECT_EQ(TrimBlanks(r.modelNumber), "QM-HD1000A");
    EXPECT_EQ(r.attributeCount, 0);
    ASSERT_EQ(r.attributes.size(), 1u);
    EXPECT_EQ(r.attributes[0], AttributeEntry{});

    d.failData = false;
    d.failThresholds = true;
    r = reader.ReadDrive(0);
    EXPECT_EQ(r.attributeCount, 2);
    for (const auto& e : r.attributes) EXPECT_EQ(e.threshold, 0);
}

TEST_F(ReadDriveTest, NothingOfAnEarlierDriveLeaksIntoALaterRead) {
    provider.drives[1].identify = test::IdentitySector("OTHER", "S2", "F2");
    const DriveRecord first = reader.ReadDrive(0);
    const DriveRecord second = reader.ReadDrive(1);
    EXPECT_EQ(second.attributeCount, 0);
    EXPECT_EQ(second.attributes.size(), 1u);
    EXPECT_EQ(TrimBlanks(second.modelNumber), "OTHER");
    EXPECT_EQ(reader.ReadDrive(0), first);
}

TEST_F(ReadDriveTest, NinePathSendsTheSlotInEveryBlock) {
    provider.nt = false;
    provider.drives[1] = provider.drives[0];
    provider.drives[2] = provider.drives[0];
    reader.ReadDrive(1);
    reader.ReadDrive(2);
    for (const auto& e : provider.log) {
        if (e.what != "send" && e.what != "receive") continue;
        EXPECT_EQ(e.block.driveNumber(), e.slot);
        EXPECT_EQ(e.block.driveHead(), e.slot == 1 ? 0xB0 : 0xA0);
    }
}

// Random sectors: the decoder must keep its invariants and never read or
// write outside the sectors (run under ASan in CI).
TEST(ReadDriveGarbage, RandomSectorsNeverBreakTheRecord) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        FakeProvider p;
        auto& d = p.drives[0];
        for (auto* s : {&d.identify, &d.data, &d.thresholds}) {
            for (auto& b : *s) b = static_cast<std::uint8_t>(byte(rng));
        }
        SmartReader r(p);
        const DriveRecord rec = r.ReadDrive(0);
        if (rec.driveType == 1) {
            EXPECT_LE(rec.attributeCount, 30);
            ASSERT_EQ(rec.attributes.size(), rec.attributeCount + 1u);
            EXPECT_EQ(rec.attributes.back().id, 0);
            for (const auto& row : AttributeRows(rec)) {
                EXPECT_GE(row.raw, 0);
                EXPECT_LE(row.raw, 65535);
            }
        } else {
            EXPECT_EQ(rec, DriveRecord{});
        }
        EXPECT_EQ(p.openHandles, 0);
    }
}

}  // namespace
}  // namespace qm
