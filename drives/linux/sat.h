// SCSI/ATA Translation for the drive exchange: a command block becomes an
// ATA PASS-THROUGH (16) command, and the SG_IO result of that command becomes
// "accepted" or "refused" plus the driver's 16-byte output header.
//
// Everything here is pure (no ioctl), so it can be tested byte by byte; the
// one SG_IO call lives in linux_drives.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "drives/command_block.h"

namespace qm::sat {

// ATA PASS-THROUGH (16) command descriptor block, as this program fills it:
//
//   byte  bits  field            value
//      0        OPERATION CODE   0x85
//      1   7:5  MULTIPLE_COUNT   0
//          4:1  PROTOCOL         3 non-data (SendDriveCommand), 4 PIO data-in (ReceiveDriveData)
//            0  EXTEND           0 (28-bit command)
//      2   7:6  OFF_LINE         0
//            5  CK_COND          0, except for a register query (CHECK POWER MODE), whose answer
//                                   is the registers; data-in commands never set it (on AHCI a
//                                   data-in command with CK_COND comes back ABORTED although it
//                                   worked)
//            4  T_TYPE           0
//            3  T_DIR            data-in: 1 (device to host); non-data: 0
//            2  BYT_BLOK         data-in: 1 (length counted in blocks); non-data: 0
//          1:0  T_LENGTH         data-in: 2 (length is in the sector count field); non-data: 0
//      3        FEATURES 15:8    0
//      4        FEATURES 7:0     bFeaturesReg       (command block byte 4)
//      5        COUNT 15:8       0
//      6        COUNT 7:0        bSectorCountReg    (command block byte 5)
//      7        LBA 31:24        0
//      8        LBA 7:0          bSectorNumberReg   (command block byte 6, LBA low)
//      9        LBA 39:32        0
//     10        LBA 15:8         bCylLowReg         (command block byte 7, LBA mid)
//     11        LBA 47:40        0
//     12        LBA 23:16        bCylHighReg        (command block byte 8, LBA high)
//     13        DEVICE           bDriveHeadReg      (command block byte 9; libata sets the
//                                                    master/slave bit itself)
//     14        COMMAND          bCommandReg        (command block byte 10)
//     15        CONTROL          0
inline constexpr std::size_t kCdbSize = 16;
using Cdb = std::array<std::uint8_t, kCdbSize>;

inline constexpr std::uint8_t kAtaPassThrough16 = 0x85;

enum class Protocol : std::uint8_t { NonData = 3, PioDataIn = 4 };

// Protocol of an exchange; nullopt for a control code this realisation does
// not know.
std::optional<Protocol> ProtocolOf(ControlCode code);

// Bytes the device moves to the host for the exchange: one sector for a
// data-in exchange, none for a non-data one.
std::size_t TransferLength(Protocol protocol);

// Output bytes the caller must provide: 528 for data-in, 16 for non-data.
std::size_t OutputLength(Protocol protocol);

// The CDB that carries the command block's registers to the drive.
Cdb BuildCdb(Protocol protocol, const CommandBlock& block);

// The CDB of a non-data command whose answer is in the drive's registers
// (CHECK POWER MODE): BuildCdb's non-data CDB with CK_COND set, so that the
// registers come back in the sense data.
Cdb BuildRegisterQueryCdb(const CommandBlock& block);

// ---------------------------------------------------------------------------
// Result of one SG_IO call.

// SCSI status bytes (SAM) and sense keys that the interpretation uses.
namespace scsi {
inline constexpr std::uint8_t Good = 0x00;
inline constexpr std::uint8_t CheckCondition = 0x02;
inline constexpr std::uint8_t CommandTerminated = 0x22;

inline constexpr std::uint8_t NoSense = 0x0;
inline constexpr std::uint8_t RecoveredError = 0x1;
inline constexpr std::uint8_t IllegalRequest = 0x5;
inline constexpr std::uint8_t AbortedCommand = 0xB;
}  // namespace scsi

// ATA status register bits.
namespace ata_status {
inline constexpr std::uint8_t Err = 0x01;
inline constexpr std::uint8_t DeviceFault = 0x20;
inline constexpr std::uint8_t Ready = 0x40;
inline constexpr std::uint8_t Busy = 0x80;
}  // namespace ata_status

// The fields of sg_io_hdr that tell how a command ended.
struct SgIoResult {
    int ioctlErrno = 0;            // errno of a failed ioctl; 0 when ioctl returned 0
    std::uint8_t scsiStatus = 0;   // sg_io_hdr.status
    std::uint16_t hostStatus = 0;  // sg_io_hdr.host_status (DID_*)
    std::uint16_t driverStatus = 0;  // sg_io_hdr.driver_status (DRIVER_* | SUGGEST_*)
    std::span<const std::uint8_t> sense;  // the sense buffer, cut to sb_len_wr by the caller
    int resid = 0;                 // sg_io_hdr.resid: bytes of the data transfer that did not arrive
};

// What the sense data says, as far as it could be read.
struct SenseInfo {
    std::uint8_t responseCode = 0;  // 0x70/0x71 fixed, 0x72/0x73 descriptor
    std::uint8_t senseKey = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
    std::optional<std::uint8_t> ataError;   // ATA error register, when the sense carries it
    std::optional<std::uint8_t> ataStatus;  // ATA status register, when the sense carries it
    std::optional<std::uint8_t> ataCount;   // ATA sector count register (bits 7:0), when carried
};

// Reads sense data of any length and content. nullopt when it is too short or
// not in one of the four known formats. Never reads past `sense`.
std::optional<SenseInfo> ParseSense(std::span<const std::uint8_t> sense);

struct Outcome {
    bool accepted = false;                  // false: the drive or the driver refused
    std::optional<std::uint8_t> ataError;   // ATA error register, when known
    std::optional<std::uint8_t> ataStatus;  // ATA status register, when known
    std::optional<std::uint8_t> ataCount;   // ATA sector count register, when known
};

// Accepted exactly when the ioctl worked, the host adapter and the driver
// report no error, and the SCSI status is GOOD or a CHECK CONDITION whose
// sense says the command completed (NO SENSE, or RECOVERED ERROR such as
// 00/1D "ATA pass-through information available"), and no ATA status known
// from the sense has ERR or DF set.
Outcome Interpret(const SgIoResult& result);

// Driver status byte (bDriverError) of the output header.
enum class DriverError : std::uint8_t { None = 0, IdeError = 1 };

// Writes the driver's output into `out`: bytes 0-3 cBufferSize (512 little-
// endian for an accepted data-in exchange, else 0), byte 4 bDriverError,
// byte 5 bIDEError (the ATA error register when known, else 0), bytes 6-15
// zero and, for an accepted data-in exchange, the sector from byte 16. A
// refused exchange writes no sector bytes. Writes nothing beyond `out`.
void AssembleOutput(Protocol protocol, const Outcome& outcome, std::span<const std::uint8_t> sector,
                    std::span<std::uint8_t> out);

}  // namespace qm::sat
