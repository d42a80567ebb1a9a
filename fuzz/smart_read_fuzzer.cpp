// Identity and attribute decoding: SmartReader::ReadDrive and ProbeDrive over
// a scripted drive (tests/smart/fake_provider.h) whose answers come from the
// input, and what the programs build from the record (information rows,
// attribute rows and their marks, temperature, capacity text, CSV).
//
// Input: a 24-byte header, then a drive dump (skdump --save format) whose
// IDFY, SMDT and SMTH sections are the drive's answers; a missing section is
// a refused exchange.
//   byte 0     refusals: bit 0 open, 1 version, 2 enable, 3 identify,
//              4 attributes, 5 thresholds; bit 6 the 9x family; bit 7 a
//              refused exchange leaves junk in the buffer
//   byte 1     bit 0: the disk driver answers the geometry query
//   byte 2     the slot read (signed; only 0..15 name a drive)
//   byte 3     unused
//   bytes 4-23 geometry: cylinders (int64), tracks per cylinder, sectors
//              per track, bytes per sector (uint32 each), little-endian
// Checked: the layout rule (attributeCount <= 30, attributeCount + 1
// elements, the values of row k in element k + 1); a refused read is the
// empty record; text is UTF-8; a probe agrees with the read; reading again,
// or with a fresh reader, gives the same record; every handle is closed.
#include <cstdint>
#include <span>
#include <string>

#include "commands/csv_export.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/record_checks.h"
#include "base/bytes.h"
#include "drives/sim/skdump.h"
#include "smart/capacity.h"
#include "smart/drive_info.h"
#include "smart/rating.h"
#include "smart/smart_reader.h"
#include "tests/smart/fake_provider.h"

namespace {

using qm::fuzz::Require;

constexpr std::size_t kHeaderSize = 24;

qm::test::FakeProvider ProviderOf(std::span<const std::uint8_t> header, const qm::SkDump& dump, int slot) {
    qm::test::FakeProvider provider;
    const std::uint8_t refuse = header[0];
    provider.nt = (refuse & 0x40) == 0;
    qm::test::FakeDrive& drive = provider.drives[slot];
    drive.failOpen = refuse & 0x01;
    drive.failVersion = refuse & 0x02;
    drive.failEnable = refuse & 0x04;
    drive.failIdentify = (refuse & 0x08) || !dump.identify;
    drive.failData = (refuse & 0x10) || !dump.smartData;
    drive.failThresholds = (refuse & 0x20) || !dump.thresholds;
    drive.junkOnFailure = refuse & 0x80;
    if (dump.identify) drive.identify = *dump.identify;
    if (dump.smartData) drive.data = *dump.smartData;
    if (dump.thresholds) drive.thresholds = *dump.thresholds;
    if (header[1] & 1) {
        drive.geometry = qm::DiskGeometry{static_cast<std::int64_t>(qm::LoadLittleEndian(header.subspan(4, 8))),
                                          qm::LoadLe32(header, 12), qm::LoadLe32(header, 16), qm::LoadLe32(header, 20)};
    }
    return provider;
}

// What the report and the window build from a record.
void CheckViews(const qm::DriveRecord& record, qm::DriveProvider& provider, int slot) {
    const auto rows = qm::DriveInfoRows(record, qm::DriveCapacityText(provider, slot), std::nullopt);
    Require(rows.size() == qm::kInfoLabels.size(), "nine information rows");
    for (const qm::InfoRow& row : rows) Require(!row.value || qm::fuzz::IsUtf8(*row.value), "rows are UTF-8");

    const auto attributeRows = qm::AttributeRows(record);
    Require(attributeRows.size() == record.attributeCount, "one row per attribute");
    for (const qm::AttributeRow& row : attributeRows) {
        const auto status = static_cast<int>(qm::RateAttribute(row.id, row.current, row.threshold, row.raw));
        Require(status >= 0 && status <= 2, "a mark is good, caution or bad");
    }
    const auto temperature = qm::DriveTemperature(record);
    Require(!temperature || *temperature > 1, "a temperature is above 1");

    const std::string csv = qm::AttributeCsvText(record);
    std::size_t lines = 0;
    for (std::size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) ++lines;
    Require(lines == attributeRows.size() + 1 && csv.ends_with("\r\n"), "one CSV line per row plus the header");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderSize) return 0;
    const std::span<const std::uint8_t> header(data, kHeaderSize);
    const std::span<const std::uint8_t> rest(data + kHeaderSize, size - kHeaderSize);
    const int slot = static_cast<std::int8_t>(header[2]);

    qm::DriveRecord decoded;
    Require(qm::DecodeIdentity(rest, decoded) == (rest.size() >= 256 && decoded.cylinders > 0),
            "DecodeIdentity succeeds exactly with a whole identity and cylinders");

    const qm::SkDump dump = qm::ParseSkDump(rest);
    qm::test::FakeProvider provider = ProviderOf(header, dump, slot);
    qm::SmartReader reader(provider);
    const qm::DriveRecord record = reader.ReadDrive(slot);
    qm::fuzz::CheckRecord(record);
    CheckViews(record, provider, slot);

    const qm::DriveRecord probe = reader.ProbeDrive(slot);
    qm::fuzz::CheckRecord(probe);
    Require(IsPresentDrive(probe) == IsPresentDrive(record), "a probe finds what a read finds");
    if (IsPresentDrive(probe)) {
        Require(probe.attributeCount == 0 && probe.modelNumber == record.modelNumber &&
                    probe.serialNumber == record.serialNumber && probe.cylinders == record.cylinders,
                "a probe has the read's identity and no attributes");
    }
    Require(reader.ReadDrive(slot) == record, "reading again gives the same record");
    qm::SmartReader fresh(provider);
    Require(fresh.ReadDrive(slot) == record, "a fresh reader gives the same record");
    Require(provider.openHandles == 0, "every handle is closed");
    return 0;
}
