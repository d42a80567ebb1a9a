// NVMe decoding: Identify Controller and the health log of any bytes, and
// SmartReader::ReadDrive and ProbeDrive of an NVMe slot whose controller
// answers them (tests/smart/fake_provider.h), with what every view builds
// from the record (information rows, ShownRows with their marks, the
// temperature, the CSV).
//
// Input: a 4-byte header, then the Identify Controller answer, then the
// health log (any length; the reader passes buffers of exactly 4096 and 512
// bytes, so bytes beyond them never arrive):
//   byte 0     refusals: bit 0 open, 1 Identify, 2 the log; bit 3 a refused
//              command leaves junk in the buffer; bit 4 the system tells
//              nothing about the controller (no sysfs)
//   byte 1     the slot read (signed; only 0..15 name a drive)
//   bytes 2-3  length of the Identify answer (little-endian, at most 4096)
// What the system tells every user: the first 40 bytes of the log as the
// model (any bytes), the next 8 as the temperature in millidegrees.
// Checked: the decoders never fail on what they may read; a present record
// is of kind NVMe with no ATA attributes; rows have unique ids, names, a
// mark 0..2 (only the one row about an unreadable log is unrated), empty
// current and worst columns, UTF-8 text; the temperature is above 1; the
// probe finds what the read finds; reading again gives the same record;
// every handle is closed.
#include <cstdint>
#include <set>
#include <span>
#include <string>

#include "base/bytes.h"
#include "commands/csv_export.h"
#include "fuzz/fuzz_support.h"
#include "smart/drive_info.h"
#include "smart/nvme_rows.h"
#include "smart/shown_rows.h"
#include "smart/smart_reader.h"
#include "tests/smart/fake_provider.h"

namespace {

using qm::fuzz::Require;

constexpr std::size_t kHeaderSize = 4;

qm::test::FakeProvider ProviderOf(std::span<const std::uint8_t> header, std::span<const std::uint8_t> identify,
                                  std::span<const std::uint8_t> log, int slot) {
    qm::test::FakeProvider provider;
    qm::test::FakeDrive& drive = provider.drives[slot];
    const std::uint8_t flags = header[0];
    drive.nvme = true;
    drive.failNvmeOpen = flags & 0x01;
    drive.failNvmeIdentify = flags & 0x02;
    drive.failNvmeLog = flags & 0x04;
    drive.junkOnFailure = flags & 0x08;
    drive.nvmeIdentify.assign(identify.begin(), identify.end());
    drive.nvmeLog.assign(log.begin(), log.end());
    if ((flags & 0x10) == 0) {
        qm::NvmePublicInfo info;
        const auto model = log.first(std::min<std::size_t>(log.size(), 40));
        info.model.assign(model.begin(), model.end());
        if (log.size() >= 48) info.milliCelsius = static_cast<std::int64_t>(qm::LoadLittleEndian(log.subspan(40, 8)));
        drive.publicInfo = info;
    }
    return provider;
}

void CheckRows(const qm::DriveRecord& record) {
    const std::vector<qm::ShownRow> rows = qm::ShownRows(record);
    Require(rows.size() <= 17 + qm::kNvmeTemperatureSensors, "at most the fields and the sensors");
    std::set<int> ids;
    for (const qm::ShownRow& row : rows) {
        Require(row.key.kind == qm::DriveKind::Nvme, "rows of an NVMe drive are NVMe rows");
        Require(ids.insert(row.key.id).second, "every row has its own id");
        Require(!row.name.empty() && qm::fuzz::IsShowable(row.name), "rows have a name");
        Require(row.current.empty() && row.worst.empty(), "no current or worst value");
        Require(qm::fuzz::IsUtf8(row.raw) && qm::fuzz::IsUtf8(row.threshold), "values are text");
        Require(row.status.has_value() == (row.key.id != qm::kNvmeLogUnreadableRow), "only the log's stand-in is unrated");
        Require(!row.status || static_cast<int>(*row.status) <= 2, "a mark is good, caution or bad");
        if (row.key.id == qm::nvme_log::ErrorLogEntries) {
            Require(row.status == qm::AttributeStatus::Good, "error log entries are never marked");
        }
    }
    const std::string csv = qm::AttributeCsvText(record);
    std::size_t lines = 0;
    for (std::size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) ++lines;
    Require(lines == (qm::IsPresentDrive(record) ? rows.size() : 0) + 1, "one CSV line per row plus the header");
}

void CheckRecord(const qm::DriveRecord& record) {
    if (!qm::IsPresentDrive(record)) {
        Require(record == qm::DriveRecord{}, "a refused read is the empty record");
        return;
    }
    Require(record.kind == qm::DriveKind::Nvme && record.nvme.has_value(), "the record says its kind");
    Require(record.attributeCount == 0 && record.attributes.size() == 1, "no ATA attributes");
    for (const std::string* text : {&record.modelNumber, &record.serialNumber, &record.firmwareRevision}) {
        Require(qm::fuzz::IsUtf8(*text), "identity strings are UTF-8");
    }
    const auto temperature = qm::DriveTemperature(record);
    Require(!temperature || *temperature > 1, "a temperature is above 1");
    for (const qm::InfoRow& row : qm::DriveInfoRows(record, std::nullopt, std::nullopt)) {
        Require(!row.value || qm::fuzz::IsUtf8(*row.value), "information rows are UTF-8");
    }
    CheckRows(record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderSize) return 0;
    const std::span<const std::uint8_t> input(data, size);
    const int slot = static_cast<std::int8_t>(input[1]);
    const std::size_t identifyLength = std::min<std::size_t>({qm::LoadLe16(input, 2), 4096, size - kHeaderSize});
    const auto identify = input.subspan(kHeaderSize, identifyLength);
    const auto log = input.subspan(kHeaderSize + identifyLength);

    // The decoders on exactly what they are given.
    const auto identity = qm::DecodeNvmeIdentity(identify);
    Require(identity.has_value() == (identify.size() >= qm::kNvmeIdentityBytesRead), "identity of 270 bytes or more");
    const auto health = qm::DecodeHealthLog(log);
    Require(!health || log.size() >= 512, "a log of 512 bytes or more");

    qm::test::FakeProvider provider = ProviderOf(input.first(kHeaderSize), identify, log, slot);
    qm::SmartReader reader(provider);
    const qm::DriveRecord record = reader.ReadDrive(slot);
    CheckRecord(record);
    const qm::DriveRecord probe = reader.ProbeDrive(slot);
    CheckRecord(probe);
    Require(qm::IsPresentDrive(probe) == qm::IsPresentDrive(record), "a probe finds what a read finds");
    Require(probe.modelNumber == record.modelNumber && probe.serialNumber == record.serialNumber,
            "a probe has the read's identity");
    Require(reader.ReadDrive(slot) == record, "reading again gives the same record");
    Require(provider.openHandles == 0, "every handle is closed");
    return 0;
}
