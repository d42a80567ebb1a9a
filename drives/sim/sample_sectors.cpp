#include "drives/sim/sample_sectors.h"

#include <algorithm>

#include "base/bytes.h"

namespace qm {

namespace {

constexpr std::size_t kTableEntries = 30;
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kTableOffset = 2;
constexpr std::uint64_t kLba28Max = 0x0FFFFFFF;

void PutWord(Sector& s, std::size_t word, std::uint16_t value) { StoreLe16(s, 2 * word, value); }

// An ATA string: blank-padded to `words` words, the first character of each
// pair in the high byte of the word (so the bytes of each pair are swapped).
void PutString(Sector& s, std::size_t firstWord, std::size_t words, const std::string& text) {
    std::string padded = text.substr(0, 2 * words);
    padded.resize(2 * words, ' ');
    for (std::size_t i = 0; i < words; ++i) {
        s[2 * (firstWord + i)] = static_cast<std::uint8_t>(padded[2 * i + 1]);
        s[2 * (firstWord + i) + 1] = static_cast<std::uint8_t>(padded[2 * i]);
    }
}

std::uint8_t ByteSum(const Sector& s, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += s[i];
    return static_cast<std::uint8_t>(sum);
}

}  // namespace

void SealIdentitySector(Sector& sector) {
    sector[510] = 0xA5;
    sector[511] = static_cast<std::uint8_t>(0x100 - ByteSum(sector, 511));
}

void SealSmartSector(Sector& sector) {
    sector[511] = static_cast<std::uint8_t>(0x100 - ByteSum(sector, 511));
}

Sector BuildIdentitySector(const IdentitySpec& spec) {
    Sector s{};
    PutWord(s, 0, 0x0040);    // fixed device
    PutWord(s, 1, 16383);     // default cylinders
    PutWord(s, 2, 0xC837);    // specific configuration: identify complete
    PutWord(s, 3, 16);        // default heads
    PutWord(s, 6, 63);        // default sectors per track
    PutString(s, 10, 10, spec.serial);
    PutString(s, 23, 4, spec.firmware);
    PutString(s, 27, 20, spec.model);
    PutWord(s, 47, 0x8010);   // 16 sectors per READ/WRITE MULTIPLE
    PutWord(s, 49, 0x2F00);   // LBA and DMA supported
    PutWord(s, 50, 0x4000);
    PutWord(s, 53, 0x0007);   // words 54-58, 64-70 and 88 valid
    PutWord(s, 54, 16383);    // current geometry and its capacity
    PutWord(s, 55, 16);
    PutWord(s, 56, 63);
    PutWord(s, 57, 0xFC10);   // 16383 x 16 x 63 = 16514064
    PutWord(s, 58, 0x00FB);
    PutWord(s, 59, 0x0110);
    const std::uint64_t lba28 = std::min(spec.sectors, kLba28Max);
    StoreLe32(s, 2 * 60, static_cast<std::uint32_t>(lba28));
    PutWord(s, 63, 0x0007);   // multiword DMA 0-2
    PutWord(s, 64, 0x0003);   // PIO 3-4
    for (std::size_t w = 65; w <= 68; ++w) PutWord(s, w, 120);
    PutWord(s, 75, 31);       // queue depth 32
    PutWord(s, 76, 0x050E);   // SATA 1.5 and 3.0 Gb/s, native command queuing
    PutWord(s, 80, 0x01F0);   // ATA/ATAPI-4 to ATA8-ACS
    PutWord(s, 81, 0x0029);
    PutWord(s, 82, 0x746B);   // bit 0: S.M.A.R.T. feature set supported
    PutWord(s, 83, 0x7401);   // bit 10: 48-bit addresses supported
    PutWord(s, 84, 0x4023);   // bits 0-1: S.M.A.R.T. error log and self-test
    PutWord(s, 85, 0x7469);   // bit 0: S.M.A.R.T. feature set enabled
    PutWord(s, 86, 0x3401);   // bit 10: 48-bit addresses enabled
    PutWord(s, 87, 0x4023);
    PutWord(s, 88, 0x407F);   // Ultra DMA 0-6, mode 6 selected
    StoreLittleEndian(std::span(s).subspan(2 * 100, 8), spec.sectors);
    PutWord(s, 106, 0x4000);  // one logical sector per physical sector
    PutWord(s, 217, spec.solidState ? 1 : spec.rotationRate);
    SealIdentitySector(s);
    return s;
}

Sector BuildSmartDataSector(std::span<const AttributeSpec> rows) {
    Sector s{};
    s[0] = 0x10;  // revision 0x0010
    const std::size_t n = std::min(rows.size(), kTableEntries);
    for (std::size_t i = 0; i < n; ++i) {
        const AttributeSpec& a = rows[i];
        const std::size_t e = kTableOffset + kEntrySize * i;
        s[e] = a.id;
        StoreLe16(s, e + 1, a.flags);
        s[e + 3] = a.current;
        s[e + 4] = a.worst;
        StoreLittleEndian(std::span(s).subspan(e + 5, 6), a.raw);
    }
    s[362] = 0x82;  // offline data collection completed, automatic collection on
    s[363] = 0x00;  // last self-test completed without error
    s[364] = 0x58;  // 600 s to complete offline data collection
    s[365] = 0x02;
    s[367] = 0x7B;  // offline collection capabilities
    s[368] = 0x03;  // saves data across power cycles, supports SMART ENABLE ATTRIBUTE AUTOSAVE
    s[370] = 0x01;  // error logging supported
    s[372] = 2;     // short self-test: 2 minutes
    s[373] = 120;   // extended self-test: 120 minutes
    s[374] = 5;     // conveyance self-test: 5 minutes
    SealSmartSector(s);
    return s;
}

Sector BuildThresholdSector(std::span<const AttributeSpec> rows) {
    Sector s{};
    s[0] = 0x10;
    const std::size_t n = std::min(rows.size(), kTableEntries);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t e = kTableOffset + kEntrySize * i;
        s[e] = rows[i].id;
        s[e + 1] = rows[i].threshold;
    }
    SealSmartSector(s);
    return s;
}

namespace {

// An NVMe string: ASCII, blank-padded, in reading order.
void PutNvmeString(std::vector<std::uint8_t>& data, std::size_t offset, std::size_t length, const std::string& text) {
    for (std::size_t i = 0; i < length; ++i) data[offset + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

}  // namespace

std::vector<std::uint8_t> BuildNvmeIdentify(const NvmeIdentitySpec& spec) {
    constexpr std::size_t kVersion = 80, kNamespaces = 516;
    std::vector<std::uint8_t> data(nvme::IdentifySize, 0);
    StoreLe16(data, 0, 0x1D0F);  // PCI vendor id (a placeholder)
    StoreLe16(data, 2, 0x1D0F);  // subsystem vendor id
    PutNvmeString(data, nvme_id::Serial, nvme_id::SerialLength, spec.serial);
    PutNvmeString(data, nvme_id::Model, nvme_id::ModelLength, spec.model);
    PutNvmeString(data, nvme_id::Firmware, nvme_id::FirmwareLength, spec.firmware);
    StoreLe32(data, kVersion, 0x00010400);  // NVMe 1.4
    StoreLe16(data, nvme_id::WarningTemperature, spec.warningTemperatureK);
    StoreLe16(data, nvme_id::CriticalTemperature, spec.criticalTemperatureK);
    StoreLittleEndian(std::span(data).subspan(nvme_id::TotalCapacity, 8), spec.capacityBytes);
    StoreLe32(data, kNamespaces, 1);
    return data;
}

std::vector<std::uint8_t> BuildNvmeHealthLog(const NvmeHealthSpec& spec) {
    using namespace nvme_log;
    std::vector<std::uint8_t> log(nvme::HealthLogSize, 0);
    const auto counter = [&log](int offset, std::uint64_t value) {
        StoreLittleEndian(std::span(log).subspan(static_cast<std::size_t>(offset), 8), value);
    };
    log[CriticalWarning] = spec.criticalWarning;
    StoreLe16(log, CompositeTemperature, spec.temperatureK);
    log[AvailableSpare] = spec.availableSpare;
    log[AvailableSpareThreshold] = spec.availableSpareThreshold;
    log[PercentageUsed] = spec.percentageUsed;
    counter(DataUnitsRead, spec.dataUnitsRead);
    counter(DataUnitsWritten, spec.dataUnitsWritten);
    counter(HostReadCommands, spec.hostReadCommands);
    counter(HostWriteCommands, spec.hostWriteCommands);
    counter(ControllerBusyTime, spec.controllerBusyTime);
    counter(PowerCycles, spec.powerCycles);
    counter(PowerOnHours, spec.powerOnHours);
    counter(UnsafeShutdowns, spec.unsafeShutdowns);
    counter(MediaErrors, spec.mediaErrors);
    counter(ErrorLogEntries, spec.errorLogEntries);
    StoreLe32(log, WarningTemperatureTime, spec.warningTemperatureTime);
    StoreLe32(log, CriticalTemperatureTime, spec.criticalTemperatureTime);
    for (std::size_t i = 0; i < spec.sensorsK.size(); ++i) {
        StoreLe16(log, FirstTemperatureSensor + 2 * i, spec.sensorsK[i]);
    }
    return log;
}

}  // namespace qm
