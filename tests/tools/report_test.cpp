// quillmoor-report as a script sees it: options, exit codes, the text report
// and the CSV bytes, on the sample set and on hand-made sets.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "commands/csv_export.h"
#include "drives/sim/sim_drives.h"
#include "smart/smart_reader.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct ReportRun {
    int status = -1;
    std::string out;
    std::string err;
};

ReportRun Report(const std::string& args) {
    // One file per test process: CTest runs the tests of this file in parallel.
    const fs::path errFile = fs::path(testing::TempDir()) / ("report_stderr_" + std::to_string(getpid()) + ".txt");
    const std::string command = std::string(QM_REPORT_BIN) + " " + args + " 2>" + errFile.string();
    ReportRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    fs::remove(errFile);
    return run;
}

const std::string kSamples = QM_SAMPLES_DIR;

TEST(ReportTest, BadOptionsFailClearlyWithStatusTwo) {
    for (const char* args : {"--bogus", "--slot", "--slot 16", "--slot -1", "--slot x", "--slot 3x", "--csv",
                             "--simulate /nonexistent/quillmoor-drive-set", "--simulate"}) {
        const ReportRun r = Report(std::string(args) + (std::string(args).find("--simulate") == std::string::npos
                                                     ? " --simulate " + kSamples
                                                     : ""));
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("quillmoor-report:"), std::string::npos) << args;
        EXPECT_TRUE(r.out.empty() || r.out.find("usage") != std::string::npos) << args;
    }
}

// The whole text report of the sample set against a checked-in baseline:
// columns, statuses, capacity, volumes and temperature lines all at once.
TEST(ReportTest, SampleSetMatchesTheBaseline) {
    const ReportRun r = Report("--simulate " + kSamples);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::ifstream golden(QM_REPORT_GOLDEN, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(golden)), {});
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(r.out, expected);
}

TEST(ReportTest, MistakesInTheDriveSetAreReportedButDoNotStopIt) {
    const fs::path dir = fs::path(testing::TempDir()) / "report_warning_set";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(kSamples) / "qm-hd1000a.smart", dir / "a.smart");
    std::ofstream(dir / "drives.ini") << "[0]\ndump = a.smart\nfail = sometimes\n[banana]\n[3]\ndump = ../../etc/passwd\n";
    const ReportRun r = Report("--simulate " + dir.string());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("== slot 0 "), std::string::npos);
    EXPECT_EQ(r.out.find("== slot 3 "), std::string::npos);
    EXPECT_NE(r.err.find("sometimes"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("banana"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("slot 3: dump= must name a file inside the folder"), std::string::npos) << r.err;
}

TEST(ReportTest, TextReportListsEveryPresentSlotWithStatuses) {
    SimDriveProvider provider(kSamples);
    const ReportRun r = Report("--simulate " + kSamples);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto present = provider.PresentSlots();
    ASSERT_GE(present.size(), 4u);
    SmartReader reader(provider);
    for (DriveSlot slot : present) {
        EXPECT_NE(r.out.find("== slot " + std::to_string(slot) + " "), std::string::npos) << slot;
        const DriveRecord record = reader.ReadDrive(slot);
        EXPECT_NE(r.out.find("モデル\t" + TrimBlanks(record.modelNumber) + "\n"), std::string::npos);
    }
    EXPECT_NE(r.out.find("状態\tID\t属性名\t現在値\t限界値\t最悪値\t生の値\n"), std::string::npos);
    EXPECT_NE(r.out.find("危険\t"), std::string::npos);  // the failing and the hot disk
    EXPECT_NE(r.out.find("現在の温度\t--\n"), std::string::npos);  // the SSD
}

TEST(ReportTest, CsvIsExactlyTheExportBytes) {
    SimDriveProvider provider(kSamples);
    SmartReader reader(provider);
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const ReportRun r = Report("--simulate " + kSamples + " --csv --slot " + std::to_string(slot));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, AttributeCsvBytes(reader.ReadDrive(slot))) << slot;
        EXPECT_EQ(r.out.rfind("属性ID,属性名,値,限界値,最悪値,生の値\r\n", 0), 0u);
    }
}

TEST(ReportTest, EmptySetAndHostileIdentityDoNotBreakTheReport) {
    const fs::path dir = fs::path(testing::TempDir()) / "report_hostile_set";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "drives.ini") << "";
    ReportRun r = Report("--simulate " + dir.string());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.empty());
    r = Report("--simulate " + dir.string() + " --csv --slot 0");
    EXPECT_EQ(r.out, "属性ID,属性名,値,限界値,最悪値,生の値\r\n");

    // A drive whose model holds an escape sequence and a tab.
    const fs::path dump = fs::path(kSamples) / SimDriveProvider(kSamples).Drive(SimDriveProvider(kSamples).PresentSlots()[0])->dumpName;
    std::ifstream in(dump, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const auto idfy = bytes.find("IDFY");
    ASSERT_NE(idfy, std::string::npos);
    const std::size_t model = idfy + 8 + 54;
    bytes[model] = 'X';
    bytes[model + 1] = '\x1b';  // swapped pair: ESC comes first
    bytes[model + 2] = 'Y';
    bytes[model + 3] = '\t';
    std::ofstream(dir / "evil.smart", std::ios::binary) << bytes;
    std::ofstream(dir / "drives.ini") << "[0]\ndump = evil.smart\n";
    r = Report("--simulate " + dir.string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("モデル\t?X?Y"), std::string::npos);
}

// --textfile DIR: the metrics in DIR/quillmoor.prom, written the one safe
// way (a symbolic link in the file's place is refused and left alone) and
// readable by node_exporter, which runs as another user.
TEST(ReportTest, TextfileIsWrittenWholeAndSafely) {
    const fs::path dir = fs::path(testing::TempDir()) / "report_textfile";
    fs::remove_all(dir);
    fs::create_directories(dir);
    ::umask(022);  // as the service sets it
    ReportRun r = Report("--simulate " + kSamples + " --textfile " + dir.string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    std::ifstream file(dir / "quillmoor.prom", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), {});
    EXPECT_TRUE(written.starts_with("# HELP quillmoor_device_info ")) << written;
    EXPECT_NE(written.find("quillmoor_device_temperature_celsius{device=\"sim0\",serial=\"QMA10H4K27Z1\"} 38\n"),
              std::string::npos);
    EXPECT_EQ(fs::status(dir / "quillmoor.prom").permissions() & fs::perms::others_read, fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left

    fs::remove(dir / "quillmoor.prom");
    std::ofstream(dir / "elsewhere") << "keep";
    fs::create_symlink(dir / "elsewhere", dir / "quillmoor.prom");
    r = Report("--simulate " + kSamples + " --textfile " + dir.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    std::ifstream kept(dir / "elsewhere");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), "keep");

    r = Report("--simulate " + kSamples + " --textfile " + (dir / "missing").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qm
