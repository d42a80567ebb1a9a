// NVMe drives: the two admin commands the program sends, and the decoding of
// their answers (Identify Controller and the SMART / Health Information log)
// into numbers. Every multi-byte field is little-endian; the 16-byte
// counters stay exact.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/uint128.h"
#include "drives/nvme_command.h"

namespace qm {

// Identify Controller (opcode 06h, CNS 01h, 4096 bytes).
NvmeCommandBlock IdentifyControllerBlock();
// Get Log Page 02h (SMART / Health Information) of all namespaces, 512 bytes:
// 128 dwords, so NUMDL = 127 and NUMDU = 0; no offset, no retained event.
NvmeCommandBlock HealthLogBlock();

// What the program reads from Identify Controller. Strings are the raw
// fields converted from the system code set, untrimmed, as for an ATA drive.
struct NvmeIdentity {
    std::string serialNumber;        // bytes 4..23 (SN, 20 characters)
    std::string modelNumber;         // bytes 24..63 (MN, 40 characters)
    std::string firmwareRevision;    // bytes 64..71 (FR, 8 characters)
    std::uint16_t warningTemperatureK = 0;   // bytes 266..267 (WCTEMP); 0: not reported
    std::uint16_t criticalTemperatureK = 0;  // bytes 268..269 (CCTEMP); 0: not reported
    friend bool operator==(const NvmeIdentity&, const NvmeIdentity&) = default;
};

// The bytes of Identify Controller the decoding reads: everything up to CCTEMP.
inline constexpr std::size_t kNvmeIdentityBytesRead = 270;

// nullopt when fewer than kNvmeIdentityBytesRead bytes are there.
std::optional<NvmeIdentity> DecodeNvmeIdentity(std::span<const std::uint8_t> data);

// Critical-warning bits.
namespace nvme_warning {
inline constexpr std::uint8_t SpareBelowThreshold = 0x01;     // bit 0
inline constexpr std::uint8_t Temperature = 0x02;             // bit 1
inline constexpr std::uint8_t ReliabilityDegraded = 0x04;     // bit 2
inline constexpr std::uint8_t ReadOnly = 0x08;                // bit 3
inline constexpr std::uint8_t VolatileBackupFailed = 0x10;    // bit 4
inline constexpr std::uint8_t PersistentMemoryUnreliable = 0x20;  // bit 5
}  // namespace nvme_warning

// The SMART / Health Information log, every field of its first 232 bytes.
struct NvmeHealthLog {
    std::uint8_t criticalWarning = 0;
    std::uint16_t compositeTemperatureK = 0;
    std::uint8_t availableSpare = 0;           // percent
    std::uint8_t availableSpareThreshold = 0;  // percent
    std::uint8_t percentageUsed = 0;           // percent, may exceed 100
    std::uint8_t enduranceGroupWarning = 0;
    UInt128 dataUnitsRead;      // thousands of 512-byte units
    UInt128 dataUnitsWritten;
    UInt128 hostReadCommands;
    UInt128 hostWriteCommands;
    UInt128 controllerBusyTime;  // minutes
    UInt128 powerCycles;
    UInt128 powerOnHours;
    UInt128 unsafeShutdowns;
    UInt128 mediaErrors;
    UInt128 errorLogEntries;
    std::uint32_t warningTemperatureTime = 0;   // minutes
    std::uint32_t criticalTemperatureTime = 0;  // minutes
    std::array<std::uint16_t, kNvmeTemperatureSensors> temperatureSensorsK{};  // 0: not implemented
    std::array<std::uint32_t, 2> thermalTransitions{};  // thermal management temperature 1 and 2
    std::array<std::uint32_t, 2> thermalTime{};         // seconds
    friend bool operator==(const NvmeHealthLog&, const NvmeHealthLog&) = default;
};

// Decodes a health log. nullopt when fewer than 512 bytes are there, and for
// a log whose fields are all zero (no drive reports a temperature of 0 K
// with nothing else: such an answer says nothing, like an all-zero attribute
// table; the reserved and vendor bytes after the fields do not count).
// Reads nothing past the 512 bytes.
std::optional<NvmeHealthLog> DecodeHealthLog(std::span<const std::uint8_t> data);

// Degrees Celsius of a temperature in kelvin as the program shows it: K - 273.
constexpr int KelvinToCelsius(std::uint16_t kelvin) { return static_cast<int>(kelvin) - 273; }

}  // namespace qm
