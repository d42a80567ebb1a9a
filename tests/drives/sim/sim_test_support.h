// Helpers of the simulated drive set tests: file writers, and drives made with
// the sector builders (and the temporary folder they are written to).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "drives/sim/sample_sectors.h"
#include "drives/sim/skdump.h"
#include "tests/support/temp_folder.h"

namespace qm::test {

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A complete dump of a small healthy drive: attributes 1, 5, 9 and 194 (at
// `temperature` degrees) with thresholds.
inline SkDump MakeDump(const std::string& model, std::uint64_t sectors = 1953525168, int temperature = 40) {
    IdentitySpec id;
    id.model = model;
    id.serial = "SN-" + model;
    id.firmware = "FW1";
    id.sectors = sectors;
    const std::vector<AttributeSpec> rows = {
        {1, 0x000F, 100, 99, 0x0102, 6},
        {5, 0x0033, 100, 100, 0, 36},
        {9, 0x0032, 90, 90, 0x1E2A, 0},
        {194, 0x0022, 60, 50, static_cast<std::uint64_t>(temperature) | 0x1400, 0},
    };
    SkDump dump;
    dump.identify = BuildIdentitySector(id);
    dump.status = std::array<std::uint8_t, kSkDumpStatusSize>{0, 0, 0, 1};
    dump.smartData = BuildSmartDataSector(rows);
    dump.thresholds = BuildThresholdSector(rows);
    return dump;
}

inline void PutWord(Sector& s, std::size_t word, std::uint16_t value) { StoreLe16(s, 2 * word, value); }

inline std::uint16_t GetWord(const Sector& s, std::size_t word) { return LoadLe16(s, 2 * word); }

// One raw section: tag, big-endian length, data.
inline void AppendSection(std::vector<std::uint8_t>& out, const std::string& tag, std::size_t length,
                          std::uint8_t fill = 0x5A) {
    out.insert(out.end(), tag.begin(), tag.end());
    std::array<std::uint8_t, 4> size{};
    StoreBigEndian(size, length);
    out.insert(out.end(), size.begin(), size.end());
    out.insert(out.end(), length, fill);
}

}  // namespace qm::test
