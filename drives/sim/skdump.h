// The drive dump file: a S.M.A.R.T. snapshot of one drive as `skdump --save`
// writes it, and as the simulated drive set and the sample generator use it.
//
// The file is a sequence of tagged sections, in any order:
//
//   offset  size  field
//        0     4  tag (ASCII): "IDFY", "SMST", "SMDT", "SMTH" or anything else
//        4     4  length of the data (big-endian)
//        8     n  data
//
//   tag   length  content
//   IDFY     512  IDENTIFY DEVICE sector (command 0xEC)
//   SMST       4  S.M.A.R.T. RETURN STATUS result (optional)
//   SMDT     512  S.M.A.R.T. READ DATA sector (feature 0xD0)
//   SMTH     512  S.M.A.R.T. READ THRESHOLDS sector (feature 0xD1)
//
// Unknown tags are skipped by their length. A known tag with any other length
// counts as missing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "drives/command_block.h"

namespace qm {

using Sector = std::array<std::uint8_t, kSectorSize>;

// Most bytes read from one dump file; a valid dump has about 1.6 KB, so a
// larger file is read only up to this size and parsed as far as it goes.
inline constexpr std::size_t kSkDumpReadLimit = std::size_t{1} << 20;

inline constexpr std::size_t kSkDumpStatusSize = 4;
inline constexpr std::size_t kSkDumpHeaderSize = 8;

// What a dump holds. Each section is present exactly when the file had a
// section of that tag with the right length; of several, the first one counts.
struct SkDump {
    std::optional<Sector> identify{};                                    // IDFY
    std::optional<std::array<std::uint8_t, kSkDumpStatusSize>> status{}; // SMST
    std::optional<Sector> smartData{};                                   // SMDT
    std::optional<Sector> thresholds{};                                  // SMTH

    // How the parse went, for messages: the data ended inside a section
    // header or section body; number of known tags with a wrong length;
    // number of sections with an unknown tag.
    bool truncated = false;
    int badLengthSections = 0;
    int unknownSections = 0;

    // Contents only; the parse notes are not part of a dump's identity.
    bool SameSections(const SkDump& other) const {
        return identify == other.identify && status == other.status && smartData == other.smartData &&
               thresholds == other.thresholds;
    }
};

// Parses dump bytes. Never fails: whatever cannot be read is simply absent
// from the result (random bytes give a dump with no sections).
SkDump ParseSkDump(std::span<const std::uint8_t> bytes);

// Reads and parses the regular file at `path`, at most kSkDumpReadLimit bytes
// of it. nullopt when it is not a regular file (a symbolic link, a FIFO, a
// device: never followed or waited on) or cannot be read.
std::optional<SkDump> LoadSkDump(const std::string& path);

// The file bytes of a dump: its present sections in the order IDFY, SMST,
// SMDT, SMTH (the order skdump writes them).
std::vector<std::uint8_t> SerializeSkDump(const SkDump& dump);

// Writes SerializeSkDump(dump) to `path`, replacing the file. Returns false
// when the file could not be written completely.
bool SaveSkDump(const std::string& path, const SkDump& dump);

}  // namespace qm
