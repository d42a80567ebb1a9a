// The S.M.A.R.T. exchange: ReadDrive and ProbeDrive over a DriveProvider.
#pragma once

#include "platform/command_block.h"
#include "platform/device.h"
#include "smart/attribute_names.h"
#include "smart/drive_record.h"

namespace qm {

// Command blocks, zero-filled and then set as the driver expects them. The
// drive-number byte is always the slot; the drive/head register is 0xA0 on the
// NT path and 0xA0 | ((slot & 1) << 4) on the 9x path.
std::uint8_t DriveHeadRegister(DriveSlot slot, bool ntFamily);
CommandBlock EnableSmartBlock(DriveSlot slot, bool ntFamily);
CommandBlock IdentifyBlock(DriveSlot slot, bool ntFamily, std::uint8_t command = ata::IdentifyDevice);
CommandBlock ReadAttributesBlock(DriveSlot slot, bool ntFamily);
CommandBlock ReadThresholdsBlock(DriveSlot slot, bool ntFamily);

// Decodes the first 256 bytes of an identity sector into the identity fields of
// `record` (strings byte-pair swapped and untrimmed, geometry sign-extended).
// Returns true exactly when the cylinder count is above 0.
bool DecodeIdentity(std::span<const std::uint8_t> sector, DriveRecord& record);

// Reads drives. Keeps the working record and the attribute dictionary between
// the steps of one read; calls must not overlap (one user-interface thread).
class SmartReader {
public:
    explicit SmartReader(DriveProvider& provider) : provider_(provider) {}

    // The full read: identity, geometry, attributes with names, thresholds.
    // Never throws; any failure up to the identify gives the empty record.
    DriveRecord ReadDrive(DriveSlot slot);

    // Identity and geometry only (no attribute or threshold exchange).
    DriveRecord ProbeDrive(DriveSlot slot);

    DriveProvider& provider() { return provider_; }

private:
    DriveRecord Read(DriveSlot slot, bool full);
    bool IdentifyDrive(DriveHandle& handle, std::uint8_t command, DriveSlot slot);
    bool ReadAttributeTable(DriveHandle& handle, DriveSlot slot);
    bool ReadThresholdTable(DriveHandle& handle, DriveSlot slot);

    DriveProvider& provider_;
    DriveRecord working_;
    AttributeNames names_;
};

}  // namespace qm
