// Builders for the sectors a drive returns: the identity sector and the two
// S.M.A.R.T. sectors, laid out as ATA drives lay them out, and the two
// answers of an NVMe drive (Identify Controller, the health log). The sample
// drive set and the tests make their drives with them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "drives/nvme_command.h"

#include "drives/sim/skdump.h"

namespace qm {

// What an identity sector says about a drive.
struct IdentitySpec {
    std::string model;       // up to 40 ASCII characters, blank-padded
    std::string serial;      // up to 20
    std::string firmware;    // up to 8
    std::uint64_t sectors = 0;  // user-addressable 512-byte sectors (48-bit count)
    bool solidState = false;    // word 217 says "non-rotating"
    std::uint16_t rotationRate = 7200;  // word 217 for a hard disk, revolutions per minute
};

// One row of the attribute table and its threshold.
struct AttributeSpec {
    std::uint8_t id = 0;
    std::uint16_t flags = 0;   // bit 0 pre-failure, bit 1 online collection, ...
    std::uint8_t current = 0;
    std::uint8_t worst = 0;
    std::uint64_t raw = 0;     // 48 bits, stored least significant byte first
    std::uint8_t threshold = 0;
};

// An identity sector: default geometry 16383 cylinders, 16 heads, 63 sectors
// per track; the 28-bit LBA count in words 60-61 (capped at 0x0FFFFFFF), the
// 48-bit count in words 100-103 with word 83 bit 10 set; S.M.A.R.T. supported
// and enabled (words 82-87); strings byte-pair swapped and blank-padded;
// signature 0xA5 and checksum in word 255.
Sector BuildIdentitySector(const IdentitySpec& spec);

// A S.M.A.R.T. data sector with the rows in the given order (at most 30;
// further rows are dropped), revision 0x0010, the offline and self-test
// fields of an idle drive, and the checksum in byte 511.
Sector BuildSmartDataSector(std::span<const AttributeSpec> rows);

// The matching threshold sector (id and threshold of each row) with its
// checksum in byte 511.
Sector BuildThresholdSector(std::span<const AttributeSpec> rows);

// Checksum of the identity sector: byte 510 = 0xA5, byte 511 makes the sum of
// all 512 bytes zero modulo 256.
void SealIdentitySector(Sector& sector);

// Checksum of a S.M.A.R.T. sector: byte 511 makes the sum of all 512 bytes
// zero modulo 256.
void SealSmartSector(Sector& sector);

// What Identify Controller says about an NVMe drive.
struct NvmeIdentitySpec {
    std::string model;     // up to 40 ASCII characters, blank-padded
    std::string serial;    // up to 20
    std::string firmware;  // up to 8
    std::uint16_t warningTemperatureK = 0;   // WCTEMP; 0: not reported
    std::uint16_t criticalTemperatureK = 0;  // CCTEMP
    std::uint64_t capacityBytes = 0;         // TNVMCAP
};

// Identify Controller, 4096 bytes: PCI vendor ids, the strings, NVMe 1.4, one
// namespace, the temperatures and the capacity; zero elsewhere.
std::vector<std::uint8_t> BuildNvmeIdentify(const NvmeIdentitySpec& spec);

// What a health log says (the 16-byte counters up to 2^64 - 1).
struct NvmeHealthSpec {
    std::uint8_t criticalWarning = 0;
    std::uint16_t temperatureK = 0;
    std::uint8_t availableSpare = 100;
    std::uint8_t availableSpareThreshold = 10;
    std::uint8_t percentageUsed = 0;
    std::uint64_t dataUnitsRead = 0, dataUnitsWritten = 0, hostReadCommands = 0, hostWriteCommands = 0;
    std::uint64_t controllerBusyTime = 0, powerCycles = 0, powerOnHours = 0, unsafeShutdowns = 0;
    std::uint64_t mediaErrors = 0, errorLogEntries = 0;
    std::uint32_t warningTemperatureTime = 0, criticalTemperatureTime = 0;
    std::array<std::uint16_t, kNvmeTemperatureSensors> sensorsK{};
};

// The 512-byte health log.
std::vector<std::uint8_t> BuildNvmeHealthLog(const NvmeHealthSpec& spec);

}  // namespace qm
