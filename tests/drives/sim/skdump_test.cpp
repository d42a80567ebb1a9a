// The dump file format: round trip, the real dumps, and every way a file can
// be wrong (order, unknown tags, wrong lengths, truncation, garbage, size).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <random>

#include "drives/sim/skdump.h"
#include "tests/drives/sim/sim_test_support.h"

namespace qm {
namespace {

using test::AppendSection;
using test::MakeDump;
using test::TempFolder;

const char* const kFixtures[] = {
    "ST320410A--3.39.smart",
    "SAMSUNG_HD501LJ--CR100-12.smart",
    "INTEL_SSDSA2CW120G3--4PC10302.smart",
    "WDC_WD2500JB--00REA0-20.00K20.smart",
    "Maxtor_96147H8--BAC51KJ0.smart",
};

std::string FixturePath(const std::string& name) { return std::string(QM_FIXTURES_DIR) + "/" + name; }

TEST(SkDumpFormat, WritesSectionsInSkdumpOrderAndReadsThemBack) {
    const SkDump dump = MakeDump("QM-T1");
    const std::vector<std::uint8_t> bytes = SerializeSkDump(dump);
    ASSERT_EQ(bytes.size(), 3 * (8 + 512) + 8 + 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), std::string("IDFY\0\0\x02\0", 8));
    EXPECT_EQ(std::string(bytes.begin() + 520, bytes.begin() + 532), std::string("SMST\0\0\0\x04\0\0\0\x01", 12));
    EXPECT_EQ(std::string(bytes.begin() + 532, bytes.begin() + 536), "SMDT");
    EXPECT_EQ(std::string(bytes.begin() + 1052, bytes.begin() + 1056), "SMTH");

    const SkDump back = ParseSkDump(bytes);
    EXPECT_TRUE(back.SameSections(dump));
    EXPECT_FALSE(back.truncated);
    EXPECT_EQ(back.badLengthSections, 0);
    EXPECT_EQ(back.unknownSections, 0);

    SkDump partial;
    partial.smartData = dump.smartData;
    EXPECT_EQ(SerializeSkDump(partial).size(), 520u);
    EXPECT_TRUE(ParseSkDump(SerializeSkDump(partial)).SameSections(partial));
}

TEST(SkDumpFormat, RealDumpsParseCompletelyAndWriteBackByteForByte) {
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = test::ReadBytes(FixturePath(name));
        ASSERT_FALSE(bytes.empty());
        const std::optional<SkDump> dump = LoadSkDump(FixturePath(name));
        ASSERT_TRUE(dump);
        EXPECT_TRUE(dump->identify && dump->smartData && dump->thresholds);
        EXPECT_FALSE(dump->truncated);
        EXPECT_EQ(dump->badLengthSections, 0);
        const bool wdc = std::string(name).starts_with("WDC");
        EXPECT_EQ(dump->status.has_value(), !wdc);
        if (dump->status) {
            EXPECT_EQ(*dump->status, (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
        }
        EXPECT_EQ(SerializeSkDump(*dump), bytes);
    }
}

TEST(SkDumpFormat, SectionsInAnyOrderAndUnknownTagsSkippedByLength) {
    const SkDump dump = MakeDump("QM-T2");
    std::vector<std::uint8_t> bytes;
    AppendSection(bytes, "ZZZZ", 7);
    const auto smth = SerializeSkDump(SkDump{.thresholds = dump.thresholds});
    const auto idfy = SerializeSkDump(SkDump{.identify = dump.identify});
    const auto smdt = SerializeSkDump(SkDump{.smartData = dump.smartData});
    bytes.insert(bytes.end(), smth.begin(), smth.end());
    AppendSection(bytes, "IDFX", 512);  // looks like a known tag, is not
    AppendSection(bytes, std::string(4, '\0'), 0);  // a tag of NUL bytes, empty
    bytes.insert(bytes.end(), smdt.begin(), smdt.end());
    bytes.insert(bytes.end(), idfy.begin(), idfy.end());

    const SkDump back = ParseSkDump(bytes);
    EXPECT_EQ(back.identify, dump.identify);
    EXPECT_EQ(back.smartData, dump.smartData);
    EXPECT_EQ(back.thresholds, dump.thresholds);
    EXPECT_FALSE(back.status);
    EXPECT_EQ(back.unknownSections, 3);
    EXPECT_FALSE(back.truncated);
}

TEST(SkDumpFormat, KnownTagWithWrongLengthCountsAsMissing) {
    for (std::size_t length : {0u, 1u, 4u, 511u, 513u, 1024u}) {
        SCOPED_TRACE(length);
        std::vector<std::uint8_t> bytes;
        AppendSection(bytes, "IDFY", length);
        AppendSection(bytes, "SMDT", length);
        AppendSection(bytes, "SMTH", length);
        if (length != 4) AppendSection(bytes, "SMST", length);
        AppendSection(bytes, "SMTH", 512, 0x11);  // a good one after the bad one still counts
        const SkDump back = ParseSkDump(bytes);
        EXPECT_FALSE(back.identify);
        EXPECT_FALSE(back.smartData);
        EXPECT_FALSE(back.status);
        ASSERT_TRUE(back.thresholds);
        EXPECT_EQ((*back.thresholds)[0], 0x11);
        EXPECT_EQ(back.badLengthSections, length == 4 ? 3 : 4);
        EXPECT_FALSE(back.truncated);
    }
    std::vector<std::uint8_t> status;
    AppendSection(status, "SMST", 8);
    EXPECT_FALSE(ParseSkDump(status).status);
}

TEST(SkDumpFormat, FirstOfRepeatedSectionsCounts) {
    std::vector<std::uint8_t> bytes;
    AppendSection(bytes, "IDFY", 512, 0x01);
    AppendSection(bytes, "IDFY", 512, 0x02);
    const SkDump back = ParseSkDump(bytes);
    ASSERT_TRUE(back.identify);
    EXPECT_EQ((*back.identify)[100], 0x01);
}

TEST(SkDumpFormat, TruncatedDataKeepsTheWholeSectionsBeforeTheCut) {
    const std::vector<std::uint8_t> full = SerializeSkDump(MakeDump("QM-T3"));
    // Sections end at 520 (IDFY), 532 (SMST), 1052 (SMDT), 1572 (SMTH).
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const SkDump back = ParseSkDump(std::span(full).first(cut));
        EXPECT_EQ(back.identify.has_value(), cut >= 520) << cut;
        EXPECT_EQ(back.status.has_value(), cut >= 532) << cut;
        EXPECT_EQ(back.smartData.has_value(), cut >= 1052) << cut;
        EXPECT_EQ(back.thresholds.has_value(), cut >= 1572) << cut;
        const bool atBoundary = cut == 0 || cut == 520 || cut == 532 || cut == 1052 || cut == 1572;
        EXPECT_EQ(back.truncated, !atBoundary) << cut;
    }
}

TEST(SkDumpFormat, LengthBeyondTheEndDoesNotWrapOrOverread) {
    for (std::uint32_t length : {513u, 0x7FFFFFFFu, 0xFFFFFFF8u, 0xFFFFFFFFu}) {
        std::vector<std::uint8_t> bytes;
        AppendSection(bytes, "SMST", 4);
        bytes.insert(bytes.end(), {'I', 'D', 'F', 'Y'});
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(length >> shift));
        bytes.insert(bytes.end(), 512, 0);
        const SkDump back = ParseSkDump(bytes);
        EXPECT_TRUE(back.status) << length;
        EXPECT_FALSE(back.identify) << length;
        EXPECT_TRUE(back.truncated) << length;
    }
}

TEST(SkDumpFormat, EmptyAndGarbageInputGiveNoSections) {
    const SkDump empty = ParseSkDump({});
    EXPECT_FALSE(empty.identify || empty.status || empty.smartData || empty.thresholds);
    EXPECT_FALSE(empty.truncated);

    std::mt19937 rng(20240607);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes(rng() % 3000);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        if (round % 3 == 0 && bytes.size() >= 8) {  // a plausible tag in front
            const char* tags[] = {"IDFY", "SMST", "SMDT", "SMTH"};
            std::copy_n(tags[rng() % 4], 4, bytes.begin());
        }
        const SkDump back = ParseSkDump(bytes);  // must not crash; sizes are fixed by type
        (void)back;
    }
}

TEST(SkDumpFormat, RandomDamageToAValidDumpNeverBreaksTheParser) {
    const std::vector<std::uint8_t> full = SerializeSkDump(MakeDump("QM-T4"));
    std::mt19937 rng(77);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = full;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        if (rng() % 2) bytes.resize(rng() % bytes.size());
        const SkDump back = ParseSkDump(bytes);  // must not crash or read past the end
        (void)back;
    }
}

class SkDumpFileTest : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(SkDumpFileTest, SaveAndLoad) {
    const SkDump dump = MakeDump("QM-T5");
    ASSERT_TRUE(SaveSkDump(folder / "a.smart", dump));
    const std::optional<SkDump> back = LoadSkDump(folder / "a.smart");
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->SameSections(dump));
    EXPECT_FALSE(SaveSkDump(folder / "no-such-folder/a.smart", dump));
}

TEST_F(SkDumpFileTest, OnlyReadableRegularFilesLoad) {
    EXPECT_FALSE(LoadSkDump(folder / "missing.smart"));
    EXPECT_FALSE(LoadSkDump(folder.str()));  // a folder
    EXPECT_FALSE(LoadSkDump(""));
    EXPECT_FALSE(LoadSkDump("/dev/zero"));  // a device would never end
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(LoadSkDump(folder / "fifo"));  // must not block waiting for a writer
    test::WriteBytes(folder / "empty.smart", {});
    const std::optional<SkDump> empty = LoadSkDump(folder / "empty.smart");
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->identify);
}

// The dump is opened without waiting and checked on the opened descriptor:
// another process swapping a FIFO in for it between any two steps never
// stalls a read, and a link to a dump is never followed.
TEST_F(SkDumpFileTest, ADumpSwappedForAFifoNeverStallsTheRead) {
    ASSERT_TRUE(SaveSkDump(folder / "regular", MakeDump("QM-T7")));
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder / "regular", folder / "link.smart");
    EXPECT_FALSE(LoadSkDump(folder / "link.smart"));

    const std::string dump = folder / "a.smart";
    const pid_t swapper = ::fork();
    ASSERT_GE(swapper, 0);
    if (swapper == 0) {
        for (unsigned round = 0;; ++round) {
            const std::string from = folder / (round % 2 ? "fifo" : "regular");
            const std::string next = folder / "next";
            ::link(from.c_str(), next.c_str());
            ::rename(next.c_str(), dump.c_str());
        }
    }
    const pid_t reader = ::fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        int loaded = 0;
        for (int i = 0; i < 20000; ++i) loaded += LoadSkDump(dump) ? 1 : 0;
        ::_exit(loaded > 0 ? 0 : 1);
    }
    // A stalled reader waits for a FIFO writer that never comes.
    int status = 0;
    pid_t done = 0;
    for (int waited = 0; waited < 300 && done == 0; ++waited) {
        done = ::waitpid(reader, &status, WNOHANG);
        if (done == 0) ::usleep(100000);
    }
    if (done == 0) {
        ::kill(reader, SIGKILL);
        ::waitpid(reader, &status, 0);
    }
    ::kill(swapper, SIGKILL);
    ::waitpid(swapper, nullptr, 0);
    ASSERT_NE(done, 0) << "a read stalled on the FIFO";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(SkDumpFileTest, HugeFileIsReadOnlyUpToTheLimit) {
    // An identity section, an unknown section that runs past the read limit,
    // then a data section the reader never reaches.
    std::vector<std::uint8_t> bytes = SerializeSkDump(SkDump{.identify = MakeDump("QM-T6").identify});
    AppendSection(bytes, "PAD!", kSkDumpReadLimit);
    const auto smdt = SerializeSkDump(SkDump{.smartData = MakeDump("QM-T6").smartData});
    bytes.insert(bytes.end(), smdt.begin(), smdt.end());
    test::WriteBytes(folder / "huge.smart", bytes);

    const std::optional<SkDump> back = LoadSkDump(folder / "huge.smart");
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->identify);
    EXPECT_FALSE(back->smartData);
    EXPECT_TRUE(back->truncated);
    // The same bytes parsed in full do reach it: the limit is the reader's.
    EXPECT_TRUE(ParseSkDump(bytes).smartData);
}

}  // namespace
}  // namespace qm
