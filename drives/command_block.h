// The S.M.A.R.T. command block and the driver's output buffers, byte for byte.
//
// The command block keeps the 32-byte layout of the Windows SENDCMDINPARAMS
// record (without its one-byte data tail), so that a Windows realisation can
// pass it on unchanged and every other realisation reads the same registers:
//
//   offset  size  field
//        0     4  cBufferSize        (little-endian; 512 for data-in, 0 otherwise)
//        4     1  bFeaturesReg
//        5     1  bSectorCountReg
//        6     1  bSectorNumberReg   (LBA low)
//        7     1  bCylLowReg         (LBA mid)
//        8     1  bCylHighReg        (LBA high)
//        9     1  bDriveHeadReg      (device)
//       10     1  bCommandReg
//       11     1  bReserved
//       12     1  bDriveNumber
//       13     3  bReserved[3]
//       16    16  dwReserved[4]
//
// The answer of a data-in exchange is the 528-byte SENDCMDOUTPARAMS: 4 bytes
// buffer size, 12 bytes driver status (bDriverError, bIDEError, reserved), and
// the 512-byte data sector from byte 16. A non-data exchange answers with the
// first 16 bytes only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/bytes.h"

namespace qm {

// Control codes of the two exchanges, as the Windows driver interface names them.
enum class ControlCode : std::uint32_t {
    SendDriveCommand = 0x0007C084,  // SMART_SEND_DRIVE_COMMAND: no data, 16-byte answer
    ReceiveDriveData = 0x0007C088,  // SMART_RCV_DRIVE_DATA: one sector in, 528-byte answer
};

inline constexpr std::size_t kCommandBlockSize = 32;
inline constexpr std::size_t kSectorSize = 512;
inline constexpr std::size_t kStatusOutputSize = 16;
inline constexpr std::size_t kDataOutputSize = kStatusOutputSize + kSectorSize;  // 528
inline constexpr std::size_t kDataOffset = 16;  // first data byte in the 528-byte answer

// Register offsets inside the command block.
namespace cb {
inline constexpr std::size_t BufferSize = 0;
inline constexpr std::size_t Features = 4;
inline constexpr std::size_t SectorCount = 5;
inline constexpr std::size_t SectorNumber = 6;
inline constexpr std::size_t CylLow = 7;
inline constexpr std::size_t CylHigh = 8;
inline constexpr std::size_t DriveHead = 9;
inline constexpr std::size_t Command = 10;
inline constexpr std::size_t DriveNumber = 12;
}  // namespace cb

struct CommandBlock {
    std::array<std::uint8_t, kCommandBlockSize> bytes{};

    std::uint32_t bufferSize() const { return LoadLe32(bytes, cb::BufferSize); }
    void setBufferSize(std::uint32_t n) { StoreLe32(bytes, cb::BufferSize, n); }
    std::uint8_t features() const { return bytes[cb::Features]; }
    std::uint8_t sectorCount() const { return bytes[cb::SectorCount]; }
    std::uint8_t sectorNumber() const { return bytes[cb::SectorNumber]; }
    std::uint8_t cylLow() const { return bytes[cb::CylLow]; }
    std::uint8_t cylHigh() const { return bytes[cb::CylHigh]; }
    std::uint8_t driveHead() const { return bytes[cb::DriveHead]; }
    std::uint8_t command() const { return bytes[cb::Command]; }
    std::uint8_t driveNumber() const { return bytes[cb::DriveNumber]; }

    friend bool operator==(const CommandBlock&, const CommandBlock&) = default;
};
static_assert(sizeof(CommandBlock) == kCommandBlockSize);

// ATA command and S.M.A.R.T. feature values the program sends.
namespace ata {
inline constexpr std::uint8_t CheckPowerMode = 0xE5;
inline constexpr std::uint8_t IdentifyDevice = 0xEC;
inline constexpr std::uint8_t Smart = 0xB0;
inline constexpr std::uint8_t SmartReadData = 0xD0;
inline constexpr std::uint8_t SmartReadThresholds = 0xD1;
inline constexpr std::uint8_t SmartEnable = 0xD8;
inline constexpr std::uint8_t SmartCylLow = 0x4F;
inline constexpr std::uint8_t SmartCylHigh = 0xC2;
}  // namespace ata

}  // namespace qm
