// The records the program and quillmoor-smart-helper exchange over the
// helper's standard input and output: one fixed-size request, then one
// fixed-size answer, in order, until the program closes the connection.
//
// Request, 104 bytes:
//
//   offset  size  field
//        0     2  magic          'Q' 'R'
//        2     1  kind           HelperKind
//        3     1  slot           drive slot 0..15 (the drive-number byte of the ATA
//                                blocks); 0 for Rights
//        4     1  disk class     DiskClass of drives/linux/disk_names.h: 1 sd, 2 nvme;
//                                0 for Rights
//        5     1  reserved       0
//        6     2  disk number    little-endian: sd 0 = sda, 1 = sdb, ...; nvme 0 = nvme0;
//                                the helper builds the node's name from class and number
//        8    32  command block  the SENDCMDINPARAMS layout of drives/command_block.h:
//                                Send, Receive, PowerMode: exactly the block the program
//                                builds for that slot on the NT path; all zero otherwise
//       40    64  NVMe command   the submission queue entry of drives/nvme_command.h:
//                                NvmeAdmin: exactly one of the two commands the program
//                                sends; all zero otherwise
//
// Answer, 536 bytes:
//
//   offset  size  field
//        0     2  magic          'Q' 'A'
//        2     1  kind           the request's kind byte (0 when no record could be read)
//        3     1  status         HelperStatus
//        4     4  reserved       0
//        8   528  payload        by kind, zero after what it carries:
//                                  Send       the driver's 16-byte output
//                                  Receive    the driver's 528-byte output (sector at 16)
//                                  PowerMode  byte 0: 0 standby, 1 awake
//                                  Geometry   cylinders (int64), tracks per cylinder,
//                                             sectors per track, bytes per sector (uint32),
//                                             then at 20 the disk's size in bytes (uint64),
//                                             all little-endian
//                                  NvmeAdmin  the first 512 bytes the controller returned
//                                             (all of the health log; of Identify
//                                             Controller, the part the program reads)
//                                  Rights, Version: nothing
//
// Everything here is pure: the helper's checks of what it accepts live with
// the helper, the process and the pipes with the program's side.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "drives/command_block.h"
#include "drives/device.h"
#include "drives/linux/disk_names.h"
#include "drives/nvme_command.h"

namespace qm {

enum class HelperKind : std::uint8_t {
    Rights = 1,     // may the helper send pass-through commands? Touches no device
    Version = 2,    // does the slot's node open and take SG_IO? (DriveHandle::SmartGetVersion)
    Send = 3,       // a non-data command block (SendDriveCommand)
    Receive = 4,    // a data-in command block (ReceiveDriveData)
    PowerMode = 5,  // CHECK POWER MODE (DriveProvider::QueryPowerMode)
    Geometry = 6,   // the disk's size and sector size (DriveProvider::QueryDriveGeometry)
    NvmeAdmin = 7,  // an NVMe admin command on a controller (NvmeHandle::AdminCommand)
};

enum class HelperStatus : std::uint8_t {
    Done = 0,     // carried out; the payload holds the answer
    Failed = 1,   // the device cannot be opened or refused (Rights: the helper lacks them)
    Refused = 2,  // not a request the helper accepts: no device was touched
};

inline constexpr std::size_t kHelperRequestSize = 104;
inline constexpr std::size_t kHelperPayloadSize = kDataOutputSize;  // 528
inline constexpr std::size_t kHelperAnswerSize = 8 + kHelperPayloadSize;  // 536

using HelperRequestRecord = std::array<std::uint8_t, kHelperRequestSize>;
using HelperAnswerRecord = std::array<std::uint8_t, kHelperAnswerSize>;
using HelperPayload = std::array<std::uint8_t, kHelperPayloadSize>;

// The part of an NvmeAdmin answer's payload that carries the controller's data.
inline constexpr std::size_t kHelperNvmeDataSize = 512;

struct HelperRequest {
    HelperKind kind = HelperKind::Rights;
    DriveSlot slot = 0;
    CommandBlock block{};
    DiskName disk{};         // the disk the helper opens; none for Rights
    NvmeCommandBlock nvme{};  // NvmeAdmin only
    friend bool operator==(const HelperRequest&, const HelperRequest&) = default;
};

struct HelperAnswer {
    std::uint8_t kind = 0;
    HelperStatus status = HelperStatus::Refused;
    HelperPayload payload{};
};

// The request record. The slot is written as its low byte: the helper refuses
// any value outside 0..15 anyway.
HelperRequestRecord EncodeHelperRequest(const HelperRequest& request);

// Reads the frame of a request record: exactly 104 bytes, the magic, a known
// kind, a slot 0..15, a known disk class, a zero reserved byte. nullopt for
// anything else. Whether the disk and the command are ones the helper runs
// is the helper's own check.
std::optional<HelperRequest> DecodeHelperRequest(std::span<const std::uint8_t> record);

// The answer record; payload bytes beyond 528 are left out.
HelperAnswerRecord EncodeHelperAnswer(std::uint8_t kind, HelperStatus status,
                                      std::span<const std::uint8_t> payload = {});

// Reads an answer record: exactly 536 bytes, the magic, a known status and
// zero reserved bytes. nullopt for anything else (garbage from the helper).
std::optional<HelperAnswer> DecodeHelperAnswer(std::span<const std::uint8_t> record);

// The Geometry payload and back.
HelperPayload EncodeGeometry(const DiskGeometry& geometry);
DiskGeometry DecodeGeometry(const HelperPayload& payload);

}  // namespace qm
