#include "drives/linux/sat.h"

#include <algorithm>

#include "base/bytes.h"

namespace qm::sat {
namespace {

// CDB byte 2 flags.
constexpr std::uint8_t kTDirIn = 0x08;
constexpr std::uint8_t kBytBlok = 0x04;
constexpr std::uint8_t kTLengthInCount = 0x02;
constexpr std::uint8_t kCheckCondition = 0x20;  // CK_COND

// Low nibble of sg_io_hdr.driver_status: DRIVER_SENSE only says that sense
// data was returned; any other non-zero value is a driver error.
constexpr std::uint16_t kDriverByteMask = 0x0f;
constexpr std::uint16_t kDriverSense = 0x08;

// Reserved bit 0 and the obsolete vendor bits of the status byte are ignored.
constexpr std::uint8_t kScsiStatusMask = 0x7e;

constexpr std::uint8_t kFixedCurrent = 0x70;
constexpr std::uint8_t kFixedDeferred = 0x71;
constexpr std::uint8_t kDescriptorCurrent = 0x72;
constexpr std::uint8_t kDescriptorDeferred = 0x73;

// ATA Status Return sense data descriptor: type 0x09, 14 bytes long, error
// register at byte 3, sector count (7:0) at byte 5, status register at byte 13.
constexpr std::uint8_t kAtaStatusReturn = 0x09;
constexpr std::size_t kAtaStatusReturnLength = 14;
constexpr std::size_t kAtaReturnError = 3;
constexpr std::size_t kAtaReturnCount = 5;
constexpr std::size_t kAtaReturnStatus = 13;

// Sense bytes that the additional sense length (byte 7) says are valid, and
// that were actually written.
std::span<const std::uint8_t> ValidSense(std::span<const std::uint8_t> sense) {
    if (sense.size() < 8) return sense;
    return sense.first(std::min(sense.size(), std::size_t{8} + sense[7]));
}

// A register pair taken as ATA error/status only when the status looks like
// one a finished command leaves: device ready, not busy.
bool PlausibleAtaStatus(std::uint8_t status) {
    return (status & (ata_status::Busy | ata_status::Ready)) == ata_status::Ready;
}

void ParseFixed(std::span<const std::uint8_t> s, SenseInfo& info) {
    info.senseKey = s[2] & 0x0f;
    if (s.size() > 13) {
        info.asc = s[12];
        info.ascq = s[13];
    }
    // Translation standard: ATA error, status, device and sector count in the
    // INFORMATION field (bytes 3 to 6). Linux 6.1 libata writes them at bytes
    // 8 to 11 instead (the start of the descriptor area), leaving bytes 3-6
    // zero. Take whichever placement holds a plausible status, standard first.
    constexpr std::array<std::size_t, 2> kErrorPlacements{3, 8};
    for (std::size_t at : kErrorPlacements) {
        if (s.size() > at + 1 && PlausibleAtaStatus(s[at + 1])) {
            info.ataError = s[at];
            info.ataStatus = s[at + 1];
            if (s.size() > at + 3) info.ataCount = s[at + 3];
            return;
        }
    }
}

void ParseDescriptors(std::span<const std::uint8_t> s, SenseInfo& info) {
    info.senseKey = s[1] & 0x0f;
    info.asc = s[2];
    info.ascq = s[3];
    std::size_t pos = 8;
    while (pos + 2 <= s.size()) {
        const std::size_t length = std::size_t{2} + s[pos + 1];
        if (length > s.size() - pos) break;  // truncated descriptor
        const auto descriptor = s.subspan(pos, length);
        if (descriptor[0] == kAtaStatusReturn && length >= kAtaStatusReturnLength) {
            info.ataError = descriptor[kAtaReturnError];
            info.ataCount = descriptor[kAtaReturnCount];
            info.ataStatus = descriptor[kAtaReturnStatus];
            return;
        }
        pos += length;
    }
}

// The command ran to completion: a current (not deferred) condition that
// reports no error, and no ERR or DF in the ATA status when it is known. A
// deferred error belongs to an earlier command and ends this one unexecuted.
bool SenseSaysCompleted(const SenseInfo& sense) {
    if (sense.responseCode == kFixedDeferred || sense.responseCode == kDescriptorDeferred) return false;
    if (sense.senseKey != scsi::NoSense && sense.senseKey != scsi::RecoveredError) return false;
    return !sense.ataStatus || (*sense.ataStatus & (ata_status::Err | ata_status::DeviceFault)) == 0;
}

}  // namespace

std::optional<Protocol> ProtocolOf(ControlCode code) {
    switch (code) {
        case ControlCode::SendDriveCommand: return Protocol::NonData;
        case ControlCode::ReceiveDriveData: return Protocol::PioDataIn;
    }
    return std::nullopt;
}

std::size_t TransferLength(Protocol protocol) {
    return protocol == Protocol::PioDataIn ? kSectorSize : 0;
}

std::size_t OutputLength(Protocol protocol) {
    return protocol == Protocol::PioDataIn ? kDataOutputSize : kStatusOutputSize;
}

Cdb BuildCdb(Protocol protocol, const CommandBlock& block) {
    Cdb cdb{};
    cdb[0] = kAtaPassThrough16;
    cdb[1] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(protocol) << 1);  // EXTEND 0
    cdb[2] = protocol == Protocol::PioDataIn ? (kTDirIn | kBytBlok | kTLengthInCount) : 0;
    cdb[4] = block.features();
    cdb[6] = block.sectorCount();
    cdb[8] = block.sectorNumber();
    cdb[10] = block.cylLow();
    cdb[12] = block.cylHigh();
    cdb[13] = block.driveHead();
    cdb[14] = block.command();
    return cdb;
}

Cdb BuildRegisterQueryCdb(const CommandBlock& block) {
    Cdb cdb = BuildCdb(Protocol::NonData, block);
    cdb[2] |= kCheckCondition;
    return cdb;
}

std::optional<SenseInfo> ParseSense(std::span<const std::uint8_t> sense) {
    if (sense.empty()) return std::nullopt;
    SenseInfo info;
    info.responseCode = sense[0] & 0x7f;
    const auto valid = ValidSense(sense);
    switch (info.responseCode) {
        case kFixedCurrent:
        case kFixedDeferred:
            if (valid.size() < 3) return std::nullopt;
            ParseFixed(valid, info);
            return info;
        case kDescriptorCurrent:
        case kDescriptorDeferred:
            if (valid.size() < 4) return std::nullopt;
            ParseDescriptors(valid, info);
            return info;
        default:
            return std::nullopt;
    }
}

Outcome Interpret(const SgIoResult& result) {
    // A short data transfer leaves part of the sector unwritten: never read it as an answer.
    if (result.ioctlErrno != 0 || result.hostStatus != 0 || result.resid != 0) return {};
    const std::uint16_t driverByte = result.driverStatus & kDriverByteMask;
    if (driverByte != 0 && driverByte != kDriverSense) return {};

    const std::uint8_t status = result.scsiStatus & kScsiStatusMask;
    const bool senseReported =
        status == scsi::CheckCondition || status == scsi::CommandTerminated || driverByte == kDriverSense;
    if (status != scsi::Good && !senseReported) return {};  // BUSY, RESERVATION CONFLICT, ...

    const auto sense = ParseSense(result.sense);
    if (!sense) return Outcome{!senseReported, {}, {}, {}};  // unreadable condition: no success
    return Outcome{SenseSaysCompleted(*sense), sense->ataError, sense->ataStatus, sense->ataCount};
}

void AssembleOutput(Protocol protocol, const Outcome& outcome, std::span<const std::uint8_t> sector,
                    std::span<std::uint8_t> out) {
    const bool withData = outcome.accepted && protocol == Protocol::PioDataIn;
    std::array<std::uint8_t, kStatusOutputSize> header{};
    const std::uint32_t bufferSize = withData ? static_cast<std::uint32_t>(kSectorSize) : 0;
    StoreLe32(header, 0, bufferSize);
    header[4] = static_cast<std::uint8_t>(outcome.accepted ? DriverError::None : DriverError::IdeError);
    header[5] = outcome.ataError.value_or(0);
    std::copy_n(header.begin(), std::min(header.size(), out.size()), out.begin());

    if (!withData || out.size() <= kDataOffset) return;
    const auto data = out.subspan(kDataOffset);
    const std::size_t n = std::min({sector.size(), kSectorSize, data.size()});
    std::copy_n(sector.begin(), n, data.begin());
}

}  // namespace qm::sat
