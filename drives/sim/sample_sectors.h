// Builders for the sectors a drive returns: the identity sector and the two
// S.M.A.R.T. sectors, laid out as ATA drives lay them out. The sample drive
// set and the tests make their drives with them.
#pragma once

#include <cstdint>
#include <span>
#include <string>

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

}  // namespace qm
