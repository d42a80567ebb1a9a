#include "smart/smart_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/bytes.h"
#include "base/codepage.h"

namespace qm {
namespace {

// Identity sector fields (byte offsets into the sector).
constexpr std::size_t kIdentityBytes = 256;
constexpr std::size_t kCylindersOffset = 2;        // word 1
constexpr std::size_t kHeadsOffset = 6;            // word 3
constexpr std::size_t kSectorsPerTrackOffset = 12; // word 6
constexpr std::size_t kSerialOffset = 20, kSerialLength = 20;
constexpr std::size_t kFirmwareOffset = 46, kFirmwareLength = 8;
constexpr std::size_t kModelOffset = 54, kModelLength = 40;

// Attribute and threshold sectors: 30 entries of 12 bytes from byte 2.
constexpr std::size_t kTableEntries = 30;
constexpr std::size_t kEntryOffset = 2;
constexpr std::size_t kEntrySize = 12;
constexpr std::uint8_t kTemperatureId = 194;

CommandBlock BaseBlock(DriveSlot slot, bool ntFamily) {
    CommandBlock block;
    block.bytes[cb::DriveHead] = DriveHeadRegister(slot, ntFamily);
    block.bytes[cb::DriveNumber] = static_cast<std::uint8_t>(slot);
    return block;
}

CommandBlock SmartBlock(DriveSlot slot, bool ntFamily, std::uint8_t features, std::uint32_t bufferSize) {
    CommandBlock block = BaseBlock(slot, ntFamily);
    block.setBufferSize(bufferSize);
    block.bytes[cb::Features] = features;
    block.bytes[cb::SectorCount] = 1;
    block.bytes[cb::SectorNumber] = 1;
    block.bytes[cb::CylLow] = ata::SmartCylLow;
    block.bytes[cb::CylHigh] = ata::SmartCylHigh;
    block.bytes[cb::Command] = ata::Smart;
    return block;
}

std::int32_t SignedWord(std::span<const std::uint8_t> s, std::size_t offset) {
    return static_cast<std::int16_t>(LoadLe16(s, offset));
}

// Swaps the two bytes of every identity word and converts the field to text.
std::string IdentityString(std::span<const std::uint8_t> s, std::size_t offset, std::size_t length) {
    std::array<std::uint8_t, kModelLength> swapped{};
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        swapped[i] = s[offset + i + 1];
        swapped[i + 1] = s[offset + i];
    }
    return FromSystemCodePage(std::span<const std::uint8_t>(swapped.data(), length));
}

std::span<const std::uint8_t> DataSector(const std::array<std::uint8_t, kDataOutputSize>& out) {
    return std::span<const std::uint8_t>(out).subspan(kDataOffset, kSectorSize);
}

// Calls visit(id, entry) for every entry of an attribute or threshold sector
// whose id is not 0, in table order.
template <typename Visit>
void ForEachTableEntry(std::span<const std::uint8_t> sector, Visit&& visit) {
    for (std::size_t i = 0; i < kTableEntries; ++i) {
        const auto entry = sector.subspan(kEntryOffset + kEntrySize * i, kEntrySize);
        if (entry[0] != 0) visit(entry[0], entry);
    }
}

// Element n of the record's attributes gets the n-th attribute's id and name,
// element n + 1 its values.
void DecodeAttributes(std::span<const std::uint8_t> sector, DriveRecord& record) {
    std::size_t entries = 0;
    ForEachTableEntry(sector, [&entries](std::uint8_t, std::span<const std::uint8_t>) { ++entries; });
    record.attributes.reserve(entries + 1);  // one allocation; the elements never move
    record.attributes.emplace_back();
    ForEachTableEntry(sector, [&record](std::uint8_t id, std::span<const std::uint8_t> entry) {
        AttributeEntry& named = record.attributes.back();
        named.id = id;
        named.name = AttributeName(id);
        AttributeEntry& values = record.attributes.emplace_back();
        values.raw = id == kTemperatureId ? entry[5] : LoadLe16(entry, 5);
        values.current = entry[3];
        values.worst = entry[4];
        ++record.attributeCount;
    });
}

// Each threshold goes to the first attribute of its id.
void DecodeThresholds(std::span<const std::uint8_t> sector, DriveRecord& record) {
    ForEachTableEntry(sector, [&record](std::uint8_t id, std::span<const std::uint8_t> entry) {
        for (std::size_t k = 0; k <= record.attributeCount; ++k) {
            if (record.attributes[k].id == id) {
                record.attributes[k].threshold = entry[1];
                break;
            }
        }
    });
}

// Receives one table sector. A refused exchange is read as an empty table
// (all zero), whatever the realisation left in the buffer.
bool ReceiveTable(DriveHandle& handle, const CommandBlock& block, std::array<std::uint8_t, kDataOutputSize>& out) {
    const bool ok = handle.Exchange(ControlCode::ReceiveDriveData, block, out);
    if (!ok) out.fill(0);
    return ok;
}

}  // namespace

std::uint8_t DriveHeadRegister(DriveSlot slot, bool ntFamily) {
    if (ntFamily) return 0xA0;
    return static_cast<std::uint8_t>(0xA0 | ((slot & 1) << 4));
}

CommandBlock EnableSmartBlock(DriveSlot slot, bool ntFamily) {
    return SmartBlock(slot, ntFamily, ata::SmartEnable, 0);
}

CommandBlock IdentifyBlock(DriveSlot slot, bool ntFamily, std::uint8_t command) {
    CommandBlock block = BaseBlock(slot, ntFamily);
    block.setBufferSize(kSectorSize);
    block.bytes[cb::SectorCount] = 1;
    block.bytes[cb::SectorNumber] = 1;
    block.bytes[cb::Command] = command;
    return block;
}

CommandBlock ReadAttributesBlock(DriveSlot slot, bool ntFamily) {
    return SmartBlock(slot, ntFamily, ata::SmartReadData, kSectorSize);
}

CommandBlock ReadThresholdsBlock(DriveSlot slot, bool ntFamily) {
    return SmartBlock(slot, ntFamily, ata::SmartReadThresholds, kSectorSize);
}

std::int32_t IdentityCylinders(std::span<const std::uint8_t> sector) {
    return sector.size() < kIdentityBytes ? 0 : SignedWord(sector, kCylindersOffset);
}

bool DecodeIdentity(std::span<const std::uint8_t> sector, DriveRecord& record) {
    if (sector.size() < kIdentityBytes) return false;
    record.serialNumber = IdentityString(sector, kSerialOffset, kSerialLength);
    record.modelNumber = IdentityString(sector, kModelOffset, kModelLength);
    record.firmwareRevision = IdentityString(sector, kFirmwareOffset, kFirmwareLength);
    record.cylinders = SignedWord(sector, kCylindersOffset);
    record.heads = SignedWord(sector, kHeadsOffset);
    record.sectorsPerTrack = SignedWord(sector, kSectorsPerTrackOffset);
    return IdentityCylinders(sector) > 0;
}

DriveRecord SmartReader::ReadDrive(DriveSlot slot) { return Read(slot, true); }

DriveRecord SmartReader::ProbeDrive(DriveSlot slot) { return Read(slot, false); }

DriveRecord SmartReader::Read(DriveSlot slot, bool full) {
    // Slots outside 0..15 have no device; the drive-number byte could not carry them.
    if (!IsValidSlot(slot)) return DriveRecord{};
    if (provider_.KindOf(slot) == DriveKind::Nvme) return ReadNvme(slot, full);

    // The exchanges first, then the decoding: the answers are read while the
    // device is open, and turned into the record once it is closed.
    Answers answers;
    if (!Exchange(slot, full, answers)) return DriveRecord{};

    DriveRecord record;
    record.driveType = 1;
    DecodeIdentity(DataSector(answers.identity), record);
    if (full) {
        DecodeAttributes(DataSector(answers.attributes), record);
        DecodeThresholds(DataSector(answers.thresholds), record);
    } else {
        record.attributes.emplace_back();
    }
    return record;
}

bool SmartReader::Exchange(DriveSlot slot, bool full, Answers& answers) {
    const DriverFamily family = provider_.IsNtFamily(slot) ? DriverFamily::Nt : DriverFamily::Nine;
    // The handle closes when it goes out of scope, on every path below.
    const std::unique_ptr<DriveHandle> handle = provider_.OpenDrive(slot, family);
    if (!handle || !handle->SmartGetVersion()) return false;

    const CommandBlock enable = EnableSmartBlock(slot, provider_.IsNtFamily(slot));
    std::array<std::uint8_t, kStatusOutputSize> status{};
    if (!handle->Exchange(ControlCode::SendDriveCommand, enable, status)) return false;

    const CommandBlock identify = IdentifyBlock(slot, provider_.IsNtFamily(slot), ata::IdentifyDevice);
    if (!handle->Exchange(ControlCode::ReceiveDriveData, identify, answers.identity)) return false;
    // A drive whose identity has no cylinders is not read further.
    if (IdentityCylinders(DataSector(answers.identity)) <= 0) return false;

    if (full) {
        ReceiveTable(*handle, ReadAttributesBlock(slot, provider_.IsNtFamily(slot)), answers.attributes);
        ReceiveTable(*handle, ReadThresholdsBlock(slot, provider_.IsNtFamily(slot)), answers.thresholds);
    }
    return true;
}

namespace {

// Degrees Celsius of the system's millidegrees, which it derives from the
// same kelvin as the log (K x 1000 - 273150): rounded back to K - 273.
std::optional<int> SystemCelsius(const std::optional<std::int64_t>& milliCelsius) {
    if (!milliCelsius || *milliCelsius < -1'000'000 || *milliCelsius > 1'000'000) return std::nullopt;
    const std::int64_t shifted = *milliCelsius + 150;
    return static_cast<int>(shifted >= 0 ? shifted / 1000 : -((-shifted + 999) / 1000));
}

// The start of an Identify answer that holds nothing at all.
bool IdentifiesNothing(std::span<const std::uint8_t> identify) {
    static constexpr std::array<std::uint8_t, kNvmeIdentityBytesRead> kZeros{};
    return std::memcmp(identify.data(), kZeros.data(), kZeros.size()) == 0;
}

}  // namespace

DriveRecord SmartReader::ReadNvme(DriveSlot slot, bool full) {
    NvmeAnswers answers;
    ExchangeNvme(slot, full, answers);

    DriveRecord record;
    record.kind = DriveKind::Nvme;
    record.attributes.emplace_back();
    NvmeDetails& details = record.nvme.emplace();
    std::optional<NvmeIdentity> identity = answers.identified ? DecodeNvmeIdentity(answers.identify) : std::nullopt;
    std::optional<NvmePublicInfo> info;
    if (identity) {
        record.serialNumber = std::move(identity->serialNumber);
        record.modelNumber = std::move(identity->modelNumber);
        record.firmwareRevision = std::move(identity->firmwareRevision);
        details.warningTemperatureK = identity->warningTemperatureK;
        details.criticalTemperatureK = identity->criticalTemperatureK;
    } else {
        info = provider_.NvmeInfo(slot);
        if (!info) return DriveRecord{};
        record.serialNumber = FromSystemCodePage(info->serial);
        record.modelNumber = FromSystemCodePage(info->model);
        record.firmwareRevision = FromSystemCodePage(info->firmware);
    }
    if (full) {
        if (answers.logRead) details.health = DecodeHealthLog(answers.log);
        details.healthUnreadable = !answers.logRead;
    }
    // A full read without the log, or any read without the identify: the
    // system's temperature.
    if (!answers.logRead && (full || !identity)) {
        if (!info) info = provider_.NvmeInfo(slot);
        if (info) details.systemTemperature = SystemCelsius(info->milliCelsius);
    }
    record.driveType = 1;
    return record;
}

void SmartReader::ExchangeNvme(DriveSlot slot, bool full, NvmeAnswers& answers) {
    // The handle closes when it goes out of scope.
    const std::unique_ptr<NvmeHandle> handle = provider_.OpenNvme(slot);
    if (!handle) return;
    static const NvmeCommandBlock kIdentify = IdentifyControllerBlock();
    static const NvmeCommandBlock kHealthLog = HealthLogBlock();
    answers.identified = handle->AdminCommand(kIdentify, answers.identify) && !IdentifiesNothing(answers.identify);
    if (!answers.identified) return;
    if (full) answers.logRead = handle->AdminCommand(kHealthLog, answers.log);
}

}  // namespace qm
