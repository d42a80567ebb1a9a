// An NVMe admin command, byte for byte, and the layouts of the two answers
// the program reads (Identify Controller and the health log).
//
// The block is the 64-byte NVMe admin submission queue entry, laid out as
// the controller reads it and as the core fills it; a realisation carries it to the
// controller (Linux: NVME_IOCTL_ADMIN_CMD, which takes the same fields) and
// sets what belongs to the transport itself (command identifier, data
// pointer):
//
//   offset  size  field
//        0     1  opcode
//        1     1  flags          (fused operation, PRP or SGL)  0
//        2     2  command id                                   0 (the transport's)
//        4     4  nsid           namespace id; FFFFFFFFh: all namespaces
//        8     8  cdw2, cdw3                                   0
//       16     8  metadata pointer                             0
//       24    16  data pointer                                 0 (the transport's)
//       40     4  cdw10          Identify: CNS in bits 7:0; Get Log Page: log id
//                                in bits 7:0, dwords to read - 1 (low 16 bits) in 31:16
//       44     4  cdw11          Get Log Page: dwords to read - 1 (high 16 bits)
//       48    16  cdw12..cdw15   log offset, UUID index, ...   0
//
// Every multi-byte field is little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/bytes.h"

namespace qm {

inline constexpr std::size_t kNvmeCommandSize = 64;

// Field offsets inside the block.
namespace nvme_cb {
inline constexpr std::size_t Opcode = 0;
inline constexpr std::size_t Flags = 1;
inline constexpr std::size_t Nsid = 4;
inline constexpr std::size_t Cdw10 = 40;
inline constexpr std::size_t Cdw11 = 44;
inline constexpr std::size_t Cdw12 = 48;
}  // namespace nvme_cb

struct NvmeCommandBlock {
    std::array<std::uint8_t, kNvmeCommandSize> bytes{};

    constexpr std::uint8_t opcode() const { return bytes[nvme_cb::Opcode]; }
    constexpr std::uint8_t flags() const { return bytes[nvme_cb::Flags]; }
    constexpr std::uint32_t nsid() const { return LoadLe32(bytes, nvme_cb::Nsid); }
    // Command dwords 2 to 15 (n = 2..15).
    constexpr std::uint32_t cdw(std::size_t n) const { return LoadLe32(bytes, 4 * n); }
    constexpr void setCdw(std::size_t n, std::uint32_t value) { StoreLe32(bytes, 4 * n, value); }

    friend bool operator==(const NvmeCommandBlock&, const NvmeCommandBlock&) = default;
};
static_assert(sizeof(NvmeCommandBlock) == kNvmeCommandSize);

// Admin opcodes and values of the two commands the program sends.
namespace nvme {
inline constexpr std::uint8_t GetLogPage = 0x02;
inline constexpr std::uint8_t Identify = 0x06;
inline constexpr std::uint8_t IdentifyController = 0x01;      // CNS
inline constexpr std::uint8_t HealthLogId = 0x02;              // SMART / Health Information
inline constexpr std::uint32_t AllNamespaces = 0xFFFFFFFF;
inline constexpr std::size_t IdentifySize = 4096;              // Identify Controller data
inline constexpr std::size_t HealthLogSize = 512;              // the health log
}  // namespace nvme

// Byte offsets of the health log's fields (the rows' ids).
namespace nvme_log {
inline constexpr int CriticalWarning = 0x00;
inline constexpr int CompositeTemperature = 0x01;
inline constexpr int AvailableSpare = 0x03;
inline constexpr int AvailableSpareThreshold = 0x04;
inline constexpr int PercentageUsed = 0x05;
inline constexpr int EnduranceGroupWarning = 0x06;
inline constexpr int DataUnitsRead = 0x20;
inline constexpr int DataUnitsWritten = 0x30;
inline constexpr int HostReadCommands = 0x40;
inline constexpr int HostWriteCommands = 0x50;
inline constexpr int ControllerBusyTime = 0x60;
inline constexpr int PowerCycles = 0x70;
inline constexpr int PowerOnHours = 0x80;
inline constexpr int UnsafeShutdowns = 0x90;
inline constexpr int MediaErrors = 0xA0;
inline constexpr int ErrorLogEntries = 0xB0;
inline constexpr int WarningTemperatureTime = 0xC0;
inline constexpr int CriticalTemperatureTime = 0xC4;
inline constexpr int FirstTemperatureSensor = 0xC8;  // eight sensors of 2 bytes: C8h..D6h
inline constexpr int ThermalTransitions1 = 0xD8;
inline constexpr int ThermalTransitions2 = 0xDC;
inline constexpr int ThermalTime1 = 0xE0;
inline constexpr int ThermalTime2 = 0xE4;
}  // namespace nvme_log

inline constexpr std::size_t kNvmeTemperatureSensors = 8;

// Identify Controller fields the program reads (byte offsets, lengths).
namespace nvme_id {
inline constexpr std::size_t Serial = 4, SerialLength = 20;        // SN
inline constexpr std::size_t Model = 24, ModelLength = 40;         // MN
inline constexpr std::size_t Firmware = 64, FirmwareLength = 8;    // FR
inline constexpr std::size_t WarningTemperature = 266;            // WCTEMP, kelvin
inline constexpr std::size_t CriticalTemperature = 268;           // CCTEMP, kelvin
inline constexpr std::size_t TotalCapacity = 280;                 // TNVMCAP, bytes (16)
}  // namespace nvme_id

// Bytes the controller moves to the host for `block`: 4096 for Identify,
// (NUMD + 1) x 4 for Get Log Page (NUMD from cdw10 bits 31:16 and cdw11 bits
// 15:0). nullopt for every other opcode: a realisation carries only the
// data-in commands whose length it can tell, so a buffer never disagrees
// with what the controller writes.
constexpr std::optional<std::size_t> NvmeTransferLength(const NvmeCommandBlock& block) {
    switch (block.opcode()) {
        case nvme::Identify:
            return nvme::IdentifySize;
        case nvme::GetLogPage: {
            const std::uint64_t dwords = (std::uint64_t{block.cdw(11) & 0xFFFF} << 16 | block.cdw(10) >> 16) + 1;
            return static_cast<std::size_t>(dwords * 4);
        }
        default:
            return std::nullopt;
    }
}

}  // namespace qm
