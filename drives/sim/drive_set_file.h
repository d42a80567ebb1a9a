// drives.ini of a simulated drive set (drives/sim/sim_drives.h describes
// the format): the folder read once into the drives of its slots, with a
// warning for each mistake.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drives/device.h"
#include "drives/sim/skdump.h"

namespace qm {

// The exchanges a drive of the set can be told to refuse (fail=...). An
// NVMe drive knows Open (its controller cannot be opened: what the system
// tells every user stays), Identify and Log (the health log).
enum class SimFault : std::uint8_t { Open, Version, Enable, Identify, Attributes, Thresholds, Log };
inline constexpr std::size_t kSimFaultCount = 7;

// The fault named by a fail= word ("open", "version", ...; any letter case),
// nullopt for an unknown word.
std::optional<SimFault> ParseSimFault(std::string_view word);

// One present drive of the set, as read from drives.ini and its files.
struct SimDrive {
    DriveKind kind = DriveKind::Ata;
    std::string dumpName;             // ATA: file name inside the folder
    SkDump dump;                      // ATA: has an identity section
    std::vector<std::uint8_t> nvmeIdentify;  // NVMe: Identify Controller, 4096 bytes
    std::optional<std::vector<std::uint8_t>> nvmeLog;  // NVMe: the health log, 512 bytes; none: refused
    std::uint64_t bytes = 0;          // disk size (at most INT64_MAX)
    std::vector<std::string> volumes; // in order
    std::array<bool, kSimFaultCount> faults{};
    bool nineFamily = false;          // family = 9x
    bool standby = false;             // power = standby: the drive sleeps when the set is read
    std::chrono::milliseconds delay{0};  // delay = SECONDS: how long each command takes to reach it

    bool Refuses(SimFault fault) const { return faults[static_cast<std::size_t>(fault)]; }
};

// Disk size from an identity sector: the 48-bit LBA count (words 100-103)
// when word 83 is valid and its bit 10 says 48-bit addresses are supported,
// otherwise the 28-bit count (words 60-61); times 512. A 48-bit count whose
// byte count does not fit a signed 64-bit number falls back to the 28-bit
// count. 0 when the sector has no LBA count.
std::uint64_t IdentityByteCount(std::span<const std::uint8_t, kSectorSize> sector);

// An NVMe drive's files: identify= and log= name files of exactly these sizes.
inline constexpr std::size_t kSimNvmeIdentifySize = nvme::IdentifySize;
inline constexpr std::size_t kSimNvmeLogSize = nvme::HealthLogSize;

// A dump= value that names a file directly inside the folder: not empty, no
// "/" or "\", no "..", no ":" (a drive-relative name on Windows), no control
// character or NUL.
bool IsPlainDumpName(std::string_view name);

// Longest delay= a drive of the set may have: an hour.
inline constexpr std::chrono::milliseconds kSimDelayLimit{3'600'000};

// A delay= value: seconds as a decimal number ("20", "0.25"; at most three
// decimals, no sign, no exponent), at most kSimDelayLimit. nullopt for
// anything else.
std::optional<std::chrono::milliseconds> ParseSimDelay(std::string_view text);

// A bytes= value: decimal digits only (no sign, no blanks inside), at most
// INT64_MAX. nullopt for anything else.
std::optional<std::uint64_t> ParseDiskBytes(std::string_view text);

// What a drive set folder holds.
struct DriveSetFile {
    std::string error;                  // not empty: the folder or its drives.ini cannot be read
    std::vector<std::string> warnings;  // what drives.ini got wrong, in file order
    std::array<std::optional<SimDrive>, kSlotCount> drives;
    std::array<bool, kSlotCount> nineFamily{};  // family = 9x, also for slots without a drive
};

// Reads FOLDER/drives.ini and the dumps it names.
DriveSetFile ReadDriveSetFile(const std::string& folder);

}  // namespace qm
