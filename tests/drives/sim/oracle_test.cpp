// A second opinion: the real drive dumps (and the sample drives) read through
// the simulated drive set and the project's reader, compared with what
// skdump of libatasmart, an independent parser, prints for the same file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "drives/sim/sim_drives.h"
#include "smart/drive_record.h"
#include "smart/smart_reader.h"
#include "tests/drives/sim/sim_test_support.h"

namespace qm {
namespace {

using test::TempFolder;

struct OracleRow {
    int id = 0;
    int current = 0;
    int worst = 0;
    int threshold = 0;
    std::array<std::uint8_t, 6> raw{};  // least significant byte first
};

struct OracleDrive {
    std::string model;
    std::string serial;
    std::string firmware;
    std::vector<OracleRow> rows;
};

std::optional<std::string> FindSkdump() {
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream in(path);
        for (std::string dir; std::getline(in, dir, ':');)
            if (!dir.empty()) folders.push_back(dir);
    }
    folders.insert(folders.end(), {"/usr/sbin", "/sbin", "/usr/bin"});
    for (const std::string& dir : folders) {
        const std::string candidate = dir + "/skdump";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

// 'text' for the shell, whatever it holds.
std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string RunAndCapture(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

std::string WithoutEscapes(const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\x1b') {  // CSI ... final letter
            while (i < line.size() && !std::isalpha(static_cast<unsigned char>(line[i]))) ++i;
            continue;
        }
        out += line[i];
    }
    return out;
}

// The bracketed value of a "Key: [value]" line.
std::optional<std::string> Bracketed(const std::string& line, const std::string& key) {
    if (!line.starts_with(key + ": [") || line.back() != ']') return std::nullopt;
    return line.substr(key.size() + 3, line.size() - key.size() - 4);
}

bool IsRawToken(const std::string& t) {
    return t.size() == 14 && t.starts_with("0x") &&
           std::all_of(t.begin() + 2, t.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::optional<OracleDrive> ParseSkdump(const std::string& output) {
    OracleDrive drive;
    bool table = false;
    bool identity = false;
    std::stringstream in(output);
    for (std::string line; std::getline(in, line);) {
        line = WithoutEscapes(line);
        if (!table) {
            if (auto v = Bracketed(line, "Model")) drive.model = *v, identity = true;
            if (auto v = Bracketed(line, "Serial")) drive.serial = *v;
            if (auto v = Bracketed(line, "Firmware")) drive.firmware = *v;
            table = line.starts_with("ID#");
            continue;
        }
        std::stringstream fields(line);
        std::vector<std::string> t;
        for (std::string f; fields >> f;) t.push_back(f);
        if (t.size() < 6) continue;
        OracleRow row;
        try {
            row.id = std::stoi(t[0]);
            row.current = std::stoi(t[2]);
            row.worst = std::stoi(t[3]);
            row.threshold = std::stoi(t[4]);
            const auto raw = std::find_if(t.begin() + 5, t.end(), IsRawToken);
            if (raw == t.end()) return std::nullopt;
            for (std::size_t b = 0; b < 6; ++b)
                row.raw[b] = static_cast<std::uint8_t>(std::stoi(raw->substr(2 + 2 * b, 2), nullptr, 16));
        } catch (const std::exception&) {
            return std::nullopt;  // not a table row
        }
        drive.rows.push_back(row);
    }
    if (!identity || !table) return std::nullopt;
    return drive;
}

// Reads `dumpPath` through a one-drive set and compares with skdump.
void CompareWithSkdump(const std::string& skdump, const std::string& dumpPath) {
    SCOPED_TRACE(dumpPath);
    const std::optional<OracleDrive> oracle = ParseSkdump(RunAndCapture(skdump + " --load=" + ShellQuote(dumpPath) + " 2>&1"));
    ASSERT_TRUE(oracle) << "skdump output not understood";
    ASSERT_FALSE(oracle->rows.empty());

    // The dump name must be a plain file inside the set's folder, so the file
    // is copied there for the run (never into the repository).
    TempFolder folder;
    std::filesystem::copy_file(dumpPath, folder.path() / "drive.smart");
    test::WriteText(folder / "drives.ini", "[0]\ndump=drive.smart\n");
    SimDriveProvider set(folder.str());
    ASSERT_TRUE(set.ok()) << set.error();
    SmartReader reader(set);
    const DriveRecord r = reader.ReadDrive(0);
    ASSERT_EQ(r.driveType, 1);

    EXPECT_EQ(TrimBlanks(r.modelNumber), oracle->model);
    EXPECT_EQ(TrimBlanks(r.serialNumber), oracle->serial);
    EXPECT_EQ(TrimBlanks(r.firmwareRevision), oracle->firmware);

    const std::vector<AttributeRow> rows = AttributeRows(r);
    ASSERT_EQ(rows.size(), oracle->rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const AttributeRow& ours = rows[k];
        const OracleRow& theirs = oracle->rows[k];
        SCOPED_TRACE("row " + std::to_string(k) + ", id " + std::to_string(theirs.id));
        EXPECT_EQ(ours.id, theirs.id);
        EXPECT_EQ(ours.current, theirs.current);
        EXPECT_EQ(ours.worst, theirs.worst);
        EXPECT_EQ(ours.threshold, theirs.threshold);
        // Our raw value: bytes 0 and 1, little-endian; byte 0 alone for 194.
        const std::int32_t expectedRaw =
            theirs.id == 194 ? theirs.raw[0] : theirs.raw[0] | theirs.raw[1] << 8;
        EXPECT_EQ(ours.raw, expectedRaw);
    }
    EXPECT_EQ(set.OpenHandles(), 0);
}

class SkdumpOracle : public ::testing::Test {
protected:
    void SetUp() override {
        const auto found = FindSkdump();
        if (!found) GTEST_SKIP() << "skdump (libatasmart-bin) is not installed";
        skdump = *found;
    }
    std::string skdump;
};

TEST_F(SkdumpOracle, RealDumpsReadTheSameAsSkdumpReadsThem) {
    for (const char* name : {"ST320410A--3.39.smart", "SAMSUNG_HD501LJ--CR100-12.smart",
                             "INTEL_SSDSA2CW120G3--4PC10302.smart", "WDC_WD2500JB--00REA0-20.00K20.smart",
                             "Maxtor_96147H8--BAC51KJ0.smart"}) {
        CompareWithSkdump(skdump, std::string(QM_FIXTURES_DIR) + "/" + name);
    }
}

TEST_F(SkdumpOracle, SampleDrivesReadTheSameAsSkdumpReadsThem) {
    SimDriveProvider set(QM_SAMPLES_DIR);
    ASSERT_TRUE(set.ok()) << set.error();
    ASSERT_FALSE(set.PresentSlots().empty());
    for (DriveSlot slot : set.PresentSlots()) {
        if (set.Drive(slot)->kind != DriveKind::Ata) continue;  // skdump reads ATA dumps only
        CompareWithSkdump(skdump, std::string(QM_SAMPLES_DIR) + "/" + set.Drive(slot)->dumpName);
    }
}

}  // namespace
}  // namespace qm
