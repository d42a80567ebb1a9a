// The S.M.A.R.T. exchange: ReadDrive and ProbeDrive over a DriveProvider.
#pragma once

#include <array>

#include "drives/command_block.h"
#include "drives/device.h"
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

// The cylinder count of an identity sector (word 1, sign-extended); 0 for a
// sector shorter than 256 bytes.
std::int32_t IdentityCylinders(std::span<const std::uint8_t> sector);

// Reads drives through a provider; calls must not overlap (one user-interface
// thread).
class SmartReader {
public:
    explicit SmartReader(DriveProvider& provider) : provider_(provider) {}

    // The full read: identity, geometry, attributes with names, thresholds.
    // Never throws; any failure up to the identify gives the empty record.
    // An NVMe drive (DriveProvider::KindOf) is read with Identify Controller
    // and its health log instead (ReadNvme).
    DriveRecord ReadDrive(DriveSlot slot);

    // Identity and geometry only (no attribute or threshold exchange; for an
    // NVMe drive, no health log).
    DriveRecord ProbeDrive(DriveSlot slot);

    DriveProvider& provider() { return provider_; }

private:
    // The answers of one drive, in the driver's output layout.
    struct Answers {
        std::array<std::uint8_t, kDataOutputSize> identity{};
        std::array<std::uint8_t, kDataOutputSize> attributes{};
        std::array<std::uint8_t, kDataOutputSize> thresholds{};
    };
    // The controller's answers, read only after a command succeeded (so
    // they need no clearing), each aligned to its size: a buffer in one page
    // is one transfer for the controller.
    struct NvmeAnswers {
        alignas(nvme::IdentifySize) std::array<std::uint8_t, nvme::IdentifySize> identify;
        alignas(nvme::HealthLogSize) std::array<std::uint8_t, nvme::HealthLogSize> log;
        bool identified = false;
        bool logRead = false;
    };
    DriveRecord Read(DriveSlot slot, bool full);
    // An NVMe drive: the record of kind Nvme with identity, WCTEMP, CCTEMP
    // and (full) the health log, in one open of the controller. When
    // Identify Controller is refused (no rights), what the system tells
    // every user stands in: identity and temperature, and (full) the log
    // marked unreadable. The empty record when there is neither.
    DriveRecord ReadNvme(DriveSlot slot, bool full);
    void ExchangeNvme(DriveSlot slot, bool full, NvmeAnswers& answers);
    // Opens the drive and runs the exchanges of a read; false when the drive
    // cannot be read (no device, a refused enable or identify, no cylinders).
    // A refused table reads as an empty one.
    bool Exchange(DriveSlot slot, bool full, Answers& answers);

    DriveProvider& provider_;
};

}  // namespace qm
