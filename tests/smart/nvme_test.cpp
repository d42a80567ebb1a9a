// NVMe drives in the core: the two commands, the decoding of their answers,
// ReadDrive and ProbeDrive of an NVMe slot (and the route without rights),
// the marks of the health log's rows and the rows as every view shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "base/codepage.h"
#include "commands/csv_export.h"
#include "smart/drive_info.h"
#include "smart/nvme_rows.h"
#include "smart/shown_rows.h"
#include "smart/smart_reader.h"
#include "tests/smart/fake_provider.h"

namespace qm {
namespace {

using test::FakeDrive;
using test::FakeProvider;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t Kelvin(int celsius) { return static_cast<std::uint16_t>(celsius + 273); }

Bytes Identify(const std::string& model, const std::string& serial, const std::string& firmware,
               std::uint16_t warningK = Kelvin(70), std::uint16_t criticalK = Kelvin(80)) {
    Bytes data(nvme::IdentifySize, 0);
    const auto put = [&data](std::size_t offset, std::size_t length, const std::string& text) {
        for (std::size_t i = 0; i < length; ++i) data[offset + i] = i < text.size() ? text[i] : ' ';
    };
    put(nvme_id::Serial, nvme_id::SerialLength, serial);
    put(nvme_id::Model, nvme_id::ModelLength, model);
    put(nvme_id::Firmware, nvme_id::FirmwareLength, firmware);
    StoreLe16(data, nvme_id::WarningTemperature, warningK);
    StoreLe16(data, nvme_id::CriticalTemperature, criticalK);
    return data;
}

// A log with the given temperature and spare; every other field zero.
Bytes Log(std::uint16_t temperatureK = Kelvin(40)) {
    Bytes log(nvme::HealthLogSize, 0);
    StoreLe16(log, nvme_log::CompositeTemperature, temperatureK);
    log[nvme_log::AvailableSpare] = 100;
    log[nvme_log::AvailableSpareThreshold] = 10;
    return log;
}

FakeDrive NvmeDrive(Bytes log = Log()) {
    FakeDrive drive;
    drive.nvme = true;
    drive.nvmeIdentify = Identify("QM-NV2000E", "QME20N0001", "QE1.0");
    drive.nvmeLog = std::move(log);
    drive.publicInfo = NvmePublicInfo{"QM-NV2000E (sysfs)", "QME20N0001", "QE1.0", 49850};
    return drive;
}

// ---------------------------------------------------------------- commands

TEST(NvmeCommands, IdentifyControllerAndTheHealthLogOfAllNamespacesByteForByte) {
    NvmeCommandBlock identify;
    identify.bytes[0] = 0x06;
    identify.bytes[40] = 0x01;  // CNS 01h
    EXPECT_EQ(IdentifyControllerBlock(), identify);
    EXPECT_EQ(NvmeTransferLength(identify), 4096u);

    NvmeCommandBlock log;
    log.bytes[0] = 0x02;
    std::fill(log.bytes.begin() + 4, log.bytes.begin() + 8, std::uint8_t{0xFF});  // all namespaces
    log.bytes[40] = 0x02;  // log id
    log.bytes[42] = 0x7F;  // 128 dwords - 1
    EXPECT_EQ(HealthLogBlock(), log);
    EXPECT_EQ(NvmeTransferLength(log), 512u);

    NvmeCommandBlock wide = log;
    wide.setCdw(11, 0xFFFF);  // NUMDU: the upper half of the length
    EXPECT_EQ(NvmeTransferLength(wide), std::size_t{(0xFFFFu << 16 | 0x7Fu) + 1} * 4);
    NvmeCommandBlock format;
    format.bytes[0] = 0x80;
    EXPECT_EQ(NvmeTransferLength(format), std::nullopt);
}

// ---------------------------------------------------------------- decoding

TEST(NvmeDecoding, IdentityFieldsAtTheirOffsetsUntrimmed) {
    const Bytes data = Identify("QEMU NVMe Ctrl", "QMNVME0001", "7.2.22", 0x0157, 0x0175);
    const auto identity = DecodeNvmeIdentity(data);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->modelNumber, "QEMU NVMe Ctrl" + std::string(26, ' '));
    EXPECT_EQ(identity->serialNumber, "QMNVME0001" + std::string(10, ' '));
    EXPECT_EQ(identity->firmwareRevision, "7.2.22  ");
    EXPECT_EQ(identity->warningTemperatureK, 0x0157);  // little-endian
    EXPECT_EQ(identity->criticalTemperatureK, 0x0175);
    EXPECT_TRUE(DecodeNvmeIdentity(std::span(data).first(kNvmeIdentityBytesRead)));
    EXPECT_FALSE(DecodeNvmeIdentity(std::span(data).first(kNvmeIdentityBytesRead - 1)));
}

TEST(NvmeDecoding, EveryFieldOfTheLogAtItsOffset) {
    Bytes log(512, 0);
    log[0x00] = 0x24;
    StoreLe16(log, 0x01, 0x0140);
    log[0x03] = 55;
    log[0x04] = 11;
    log[0x05] = 201;
    log[0x06] = 0x03;
    for (int i = 0; i < 10; ++i) log[static_cast<std::size_t>(0x20 + 16 * i)] = static_cast<std::uint8_t>(i + 1);
    StoreLe32(log, 0xC0, 0x01020304);
    StoreLe32(log, 0xC4, 0x05060708);
    for (int i = 0; i < 8; ++i) StoreLe16(log, static_cast<std::size_t>(0xC8 + 2 * i), static_cast<std::uint16_t>(300 + i));
    StoreLe32(log, 0xD8, 9);
    StoreLe32(log, 0xDC, 10);
    StoreLe32(log, 0xE0, 11);
    StoreLe32(log, 0xE4, 12);
    log[0xE8] = 0xFF;  // reserved from here: read by nobody
    const auto h = DecodeHealthLog(log);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->criticalWarning, 0x24);
    EXPECT_EQ(h->compositeTemperatureK, 0x0140);
    EXPECT_EQ(h->availableSpare, 55);
    EXPECT_EQ(h->availableSpareThreshold, 11);
    EXPECT_EQ(h->percentageUsed, 201);
    EXPECT_EQ(h->enduranceGroupWarning, 0x03);
    const UInt128 counters[] = {h->dataUnitsRead,      h->dataUnitsWritten, h->hostReadCommands, h->hostWriteCommands,
                                h->controllerBusyTime, h->powerCycles,      h->powerOnHours,     h->unsafeShutdowns,
                                h->mediaErrors,        h->errorLogEntries};
    for (std::uint64_t i = 0; i < 10; ++i) EXPECT_EQ(counters[i], (UInt128{i + 1, 0})) << i;
    EXPECT_EQ(h->warningTemperatureTime, 0x01020304u);
    EXPECT_EQ(h->criticalTemperatureTime, 0x05060708u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(h->temperatureSensorsK[i], 300 + i);
    EXPECT_EQ(h->thermalTransitions, (std::array<std::uint32_t, 2>{9, 10}));
    EXPECT_EQ(h->thermalTime, (std::array<std::uint32_t, 2>{11, 12}));
}

TEST(NvmeDecoding, SixteenByteCountersAreExact) {
    Bytes log = Log();
    std::fill(log.begin() + nvme_log::DataUnitsWritten, log.begin() + nvme_log::DataUnitsWritten + 16, std::uint8_t{0xFF});
    log[nvme_log::HostReadCommands + 8] = 1;  // 2^64
    const auto h = DecodeHealthLog(log);
    ASSERT_TRUE(h);
    EXPECT_EQ(ToDecimal(h->dataUnitsWritten), "340282366920938463463374607431768211455");
    EXPECT_EQ(ToDecimal(h->hostReadCommands), "18446744073709551616");
    const std::pair<UInt128, const char*> table[] = {
        {{0, 0}, "0"},
        {{1, 0}, "1"},
        {{999'999'999, 0}, "999999999"},
        {{1'000'000'000, 0}, "1000000000"},
        {{~std::uint64_t{0}, 0}, "18446744073709551615"},
        {{0, 1}, "18446744073709551616"},
        {{43'932'944'742, 0}, "43932944742"},
        {{0x0000000000000001, 0x0000000000000001}, "18446744073709551617"},
    };
    for (const auto& [value, text] : table) EXPECT_EQ(ToDecimal(value), text);
}

TEST(NvmeDecoding, AShortLogOrALogOfZerosSaysNothing) {
    const Bytes log = Log();
    EXPECT_TRUE(DecodeHealthLog(log));
    EXPECT_FALSE(DecodeHealthLog(std::span(log).first(511)));
    EXPECT_FALSE(DecodeHealthLog(Bytes(512, 0)));
    Bytes longer = log;
    longer.resize(4096, 0xEE);  // nothing past the 512 bytes counts
    EXPECT_EQ(DecodeHealthLog(longer), DecodeHealthLog(log));
}

// ---------------------------------------------------------------- reading

TEST(NvmeReading, OneOpenIdentifyThenTheLogThenClose) {
    FakeProvider p;
    p.drives[2] = NvmeDrive();
    SmartReader reader(p);
    const DriveRecord r = reader.ReadDrive(2);
    EXPECT_EQ(p.Steps(), (std::vector<std::string>{"nvme-open", "nvme", "nvme", "close"}));
    EXPECT_EQ(p.log[1].nvme, IdentifyControllerBlock());
    EXPECT_EQ(p.log[1].dataSize, 4096u);
    EXPECT_EQ(p.log[2].nvme, HealthLogBlock());
    EXPECT_EQ(p.log[2].dataSize, 512u);
    EXPECT_EQ(p.openHandles, 0);
    ASSERT_TRUE(IsPresentDrive(r));
    EXPECT_EQ(r.kind, DriveKind::Nvme);
    EXPECT_EQ(r.modelNumber, "QM-NV2000E" + std::string(30, ' '));
    EXPECT_EQ(r.serialNumber.size(), 20u);
    EXPECT_EQ(r.firmwareRevision, "QE1.0   ");
    ASSERT_TRUE(r.nvme && r.nvme->health);
    EXPECT_EQ(r.nvme->warningTemperatureK, Kelvin(70));
    EXPECT_EQ(r.nvme->criticalTemperatureK, Kelvin(80));
    EXPECT_EQ(r.nvme->health->compositeTemperatureK, Kelvin(40));
    EXPECT_EQ(r.attributeCount, 0);
    EXPECT_EQ(DriveTemperature(r), 40);

    p.log.clear();
    const DriveRecord probed = reader.ProbeDrive(2);
    EXPECT_EQ(p.Steps(), (std::vector<std::string>{"nvme-open", "nvme", "close"}));  // no log
    EXPECT_EQ(probed.modelNumber, r.modelNumber);
    EXPECT_FALSE(probed.nvme->health);
    EXPECT_TRUE(ShownRows(probed).empty());
}

// Without rights the controller does not open (or refuses Identify): what
// the system tells every user stands in, and one row says the log needs the helper.
TEST(NvmeReading, WithoutRightsTheSystemsIdentityAndTemperatureAndOneRow) {
    for (const bool refusedIdentify : {false, true}) {
        SCOPED_TRACE(refusedIdentify);
        FakeProvider p;
        p.drives[0] = NvmeDrive();
        p.drives[0].junkOnFailure = true;
        (refusedIdentify ? p.drives[0].failNvmeIdentify : p.drives[0].failNvmeOpen) = true;
        SmartReader reader(p);
        const DriveRecord r = reader.ReadDrive(0);
        ASSERT_TRUE(IsPresentDrive(r));
        EXPECT_EQ(r.modelNumber, "QM-NV2000E (sysfs)");
        EXPECT_EQ(r.nvme->warningTemperatureK, 0);
        EXPECT_TRUE(r.nvme->healthUnreadable);
        EXPECT_EQ(DriveTemperature(r), 50);  // 49.850 degrees: 323 K - 273
        const std::vector<ShownRow> rows = ShownRows(r);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].key, (RowKey{DriveKind::Nvme, kNvmeLogUnreadableRow}));
        EXPECT_EQ(rows[0].status, std::nullopt);
        EXPECT_FALSE(RowDescription(rows[0].key).empty());
        EXPECT_EQ(p.openHandles, 0);
        // The probe at start-up gives the tab as well.
        EXPECT_EQ(TrimBlanks(reader.ProbeDrive(0).modelNumber), "QM-NV2000E (sysfs)");
    }
    FakeProvider none;
    none.drives[0] = NvmeDrive();
    none.drives[0].failNvmeOpen = true;
    none.drives[0].publicInfo.reset();
    EXPECT_FALSE(IsPresentDrive(SmartReader(none).ReadDrive(0)));
}

TEST(NvmeReading, ARefusedLogKeepsTheIdentityAndTakesTheSystemsTemperature) {
    FakeProvider p;
    p.drives[0] = NvmeDrive();
    p.drives[0].failNvmeLog = true;
    p.drives[0].junkOnFailure = true;
    const DriveRecord r = SmartReader(p).ReadDrive(0);
    EXPECT_EQ(TrimBlanks(r.modelNumber), "QM-NV2000E");
    EXPECT_EQ(r.nvme->warningTemperatureK, Kelvin(70));
    EXPECT_FALSE(r.nvme->health);
    EXPECT_TRUE(r.nvme->healthUnreadable);
    EXPECT_EQ(DriveTemperature(r), 50);
    EXPECT_EQ(ShownRows(r).size(), 1u);
}

TEST(NvmeReading, AnswersOfZerosGiveTheEmptyOrPartialResultOfAnAtaDrive) {
    FakeProvider p;
    p.drives[0] = NvmeDrive(Bytes(512, 0));  // a log of zeros: no rows, as an all-zero attribute table
    p.drives[0].publicInfo.reset();
    const DriveRecord r = SmartReader(p).ReadDrive(0);
    ASSERT_TRUE(IsPresentDrive(r));
    EXPECT_TRUE(ShownRows(r).empty());
    EXPECT_FALSE(r.nvme->healthUnreadable);
    EXPECT_EQ(DriveTemperature(r), std::nullopt);

    p.drives[0].nvmeIdentify.assign(4096, 0);  // an identify of zeros: not identified
    EXPECT_FALSE(IsPresentDrive(SmartReader(p).ReadDrive(0)));
    p.drives[0].nvmeIdentify = Identify("M", "S", "F");
    p.drives[0].nvmeIdentify.resize(100);  // a short answer: the rest reads zero
    EXPECT_TRUE(IsPresentDrive(SmartReader(p).ReadDrive(0)));
}

// ---------------------------------------------------------------- marks

NvmeHealthLog Healthy() {
    NvmeHealthLog log;
    log.compositeTemperatureK = Kelvin(40);
    log.availableSpare = 100;
    log.availableSpareThreshold = 10;
    return log;
}

// Each rule of RateNvmeField once; WCTEMP 70 and CCTEMP 80 degrees unless a
// row says otherwise.
TEST(NvmeMarks, EachRuleOfTheHealthLog) {
    using S = AttributeStatus;
    struct Case {
        const char* what;
        int field;
        void (*change)(NvmeHealthLog&);
        S expected;
        std::uint16_t warningK = Kelvin(70), criticalK = Kelvin(80);
    };
    const Case cases[] = {
        {"no warning", nvme_log::CriticalWarning, [](NvmeHealthLog&) {}, S::Good},
        {"warning bit 0: spare", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0x01; }, S::Bad},
        {"warning bit 1: temperature", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0x02; }, S::Caution},
        {"warning bit 2: reliability", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0x04; }, S::Bad},
        {"warning bit 3: read-only", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0x08; }, S::Bad},
        {"warning bit 4: backup failed", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0x10; }, S::Bad},
        {"warning bit 5: persistent memory", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0x20; }, S::Bad},
        {"warning bits 6, 7: reserved", nvme_log::CriticalWarning, [](NvmeHealthLog& l) { l.criticalWarning = 0xC0; }, S::Good},
        {"spare below its threshold", nvme_log::AvailableSpare, [](NvmeHealthLog& l) { l.availableSpare = 9; }, S::Bad},
        {"spare at 10 %", nvme_log::AvailableSpare, [](NvmeHealthLog& l) { l.availableSpare = 10; }, S::Caution},
        {"spare at 10 % over a threshold of 5", nvme_log::AvailableSpare,
         [](NvmeHealthLog& l) { l.availableSpare = 10; l.availableSpareThreshold = 5; }, S::Caution},
        {"spare at 11 %", nvme_log::AvailableSpare, [](NvmeHealthLog& l) { l.availableSpare = 11; }, S::Good},
        {"life used 89 %", nvme_log::PercentageUsed, [](NvmeHealthLog& l) { l.percentageUsed = 89; }, S::Good},
        {"life used 90 %", nvme_log::PercentageUsed, [](NvmeHealthLog& l) { l.percentageUsed = 90; }, S::Caution},
        {"life used 255 %: not a failure", nvme_log::PercentageUsed, [](NvmeHealthLog& l) { l.percentageUsed = 255; }, S::Caution},
        {"no media error", nvme_log::MediaErrors, [](NvmeHealthLog&) {}, S::Good},
        {"one media error", nvme_log::MediaErrors, [](NvmeHealthLog& l) { l.mediaErrors = {1, 0}; }, S::Caution},
        {"media errors beyond 64 bits", nvme_log::MediaErrors, [](NvmeHealthLog& l) { l.mediaErrors = {0, 1}; }, S::Caution},
        {"below WCTEMP", nvme_log::CompositeTemperature, [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(69); }, S::Good},
        {"at WCTEMP", nvme_log::CompositeTemperature, [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(70); }, S::Caution},
        {"at CCTEMP", nvme_log::CompositeTemperature, [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(80); }, S::Bad},
        {"ATA limits without WCTEMP and CCTEMP: 55", nvme_log::CompositeTemperature,
         [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(55); }, S::Good, 0, 0},
        {"ATA limits: 56", nvme_log::CompositeTemperature, [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(56); },
         S::Caution, 0, 0},
        {"ATA limits: 61", nvme_log::CompositeTemperature, [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(61); },
         S::Bad, 0, 0},
        {"WCTEMP without CCTEMP: red at 61", nvme_log::CompositeTemperature,
         [](NvmeHealthLog& l) { l.compositeTemperatureK = Kelvin(61); }, S::Bad, Kelvin(75), 0},
        {"no temperature reported", nvme_log::CompositeTemperature, [](NvmeHealthLog& l) { l.compositeTemperatureK = 0; },
         S::Good, 0, 0},
        {"error log entries are never marked", nvme_log::ErrorLogEntries,
         [](NvmeHealthLog& l) { l.errorLogEntries = {~std::uint64_t{0}, 7}; }, S::Good},
        {"critical temperature time is shown only", nvme_log::CriticalTemperatureTime,
         [](NvmeHealthLog& l) { l.criticalTemperatureTime = 5; }, S::Good},
        {"unsafe shutdowns are shown only", nvme_log::UnsafeShutdowns, [](NvmeHealthLog& l) { l.unsafeShutdowns = {9, 0}; },
         S::Good},
    };
    for (const Case& c : cases) {
        NvmeHealthLog log = Healthy();
        c.change(log);
        EXPECT_EQ(RateNvmeField(c.field, log, c.warningK, c.criticalK), c.expected) << c.what;
    }
}

// ---------------------------------------------------------------- rows

DriveRecord NvmeRecord(const NvmeHealthLog& log, std::uint16_t warningK = Kelvin(70)) {
    DriveRecord r;
    r.driveType = 1;
    r.kind = DriveKind::Nvme;
    r.attributes.emplace_back();
    r.nvme = NvmeDetails{warningK, Kelvin(80), log, false, std::nullopt};
    return r;
}

std::map<int, ShownRow> ByOffset(const DriveRecord& r) {
    std::map<int, ShownRow> rows;
    for (const ShownRow& row : ShownRows(r)) rows[row.key.id] = row;
    return rows;
}

TEST(NvmeRows, TheColumnsAsShown) {
    NvmeHealthLog log = Healthy();
    log.criticalWarning = 0x0A;
    log.compositeTemperatureK = 320;
    log.availableSpare = 40;
    log.percentageUsed = 93;
    log.dataUnitsRead = {0, 1};
    log.temperatureSensorsK = {320, 0, 330};  // sensor 2 not implemented
    const std::vector<ShownRow> all = ShownRows(NvmeRecord(log));
    ASSERT_EQ(all.size(), 17u + 2u);
    std::vector<std::string> ids;
    for (const ShownRow& row : all) ids.push_back(row.idText);
    EXPECT_EQ(ids, (std::vector<std::string>{"00", "01", "03", "04", "05", "20", "30", "40", "50", "60", "70", "80",
                                             "90", "A0", "B0", "C0", "C4", "C8", "CC"}));
    std::map<int, ShownRow> rows = ByOffset(NvmeRecord(log));
    EXPECT_EQ(rows[0x00].raw, "0x0A");
    EXPECT_EQ(rows[0x01].raw, "47");        // 320 K
    EXPECT_EQ(rows[0x01].threshold, "70");  // WCTEMP in degrees
    EXPECT_EQ(rows[0x03].raw, "40");
    EXPECT_EQ(rows[0x03].threshold, "10");
    EXPECT_EQ(rows[0x04].threshold, "");
    EXPECT_EQ(rows[0x05].threshold, "100");
    EXPECT_EQ(rows[0x20].raw, "18446744073709551616");
    EXPECT_EQ(rows[0xCC].raw, "57");
    EXPECT_EQ(rows[0xCC].name, "温度センサー3");
    for (const auto& [id, row] : rows) {
        EXPECT_EQ(row.current, "") << id;
        EXPECT_EQ(row.worst, "") << id;
        EXPECT_TRUE(row.status) << id;
        EXPECT_FALSE(row.name.empty()) << id;
        EXPECT_FALSE(RowDescription(row.key).empty()) << id;
    }
    EXPECT_EQ(ByOffset(NvmeRecord(log, 0))[0x01].threshold, "");  // no WCTEMP, no threshold
}

// NVMe row ids are log offsets that collide with ATA ids: 05h is percentage
// used, C4h critical temperature time, C8h a sensor. No ATA rule or
// explanation may reach them.
TEST(NvmeRows, AtaRulesAndExplanationsNeverReachNvmeRows) {
    NvmeHealthLog log = Healthy();
    log.percentageUsed = 1;           // ATA 5 with raw 1: caution
    log.criticalTemperatureTime = 9;  // ATA 196 with raw 9: caution
    std::map<int, ShownRow> rows = ByOffset(NvmeRecord(log));
    EXPECT_EQ(rows[0x05].status, AttributeStatus::Good);
    EXPECT_EQ(rows[0xC4].status, AttributeStatus::Good);
    EXPECT_NE(RowDescription({DriveKind::Nvme, 5}), RowDescription({DriveKind::Ata, 5}));
    EXPECT_NE(RowDescription({DriveKind::Nvme, 0xC4}), RowDescription({DriveKind::Ata, 0xC4}));
    EXPECT_EQ(RowDescription({DriveKind::Ata, 5}), AttributeDescription(5));
    EXPECT_EQ(RowDescription({DriveKind::Nvme, 0xC9}), "");  // between two sensors: no field
    EXPECT_EQ(RowDescription({DriveKind::Nvme, 0xD8}), "");  // shown by no row
}

TEST(NvmeRows, DashesForTheGeometryAnNvmeDriveDoesNotHave) {
    const std::vector<InfoRow> rows = DriveInfoRows(NvmeRecord(Healthy()), "931.51 GB", std::nullopt);
    EXPECT_EQ(rows[3], (InfoRow{"シリンダ数", "-"}));
    EXPECT_EQ(rows[4], (InfoRow{"ヘッド/トラック", "-"}));
    EXPECT_EQ(rows[5], (InfoRow{"ディスク容量", "931.51 GB"}));
}

TEST(NvmeRows, TheCompositeTemperatureIsTheDrivesTemperature) {
    NvmeHealthLog log = Healthy();
    log.compositeTemperatureK = Kelvin(47);
    log.temperatureSensorsK = {Kelvin(60)};
    DriveRecord r = NvmeRecord(log);
    r.nvme->systemTemperature = 30;  // only without the log
    EXPECT_EQ(DriveTemperatures(r), std::vector<int>{47});
    r.nvme->health->compositeTemperatureK = Kelvin(1);  // 1 degree: no reading, as for ATA
    EXPECT_TRUE(DriveTemperatures(r).empty());
    r.nvme->health.reset();
    EXPECT_EQ(DriveTemperature(r), 30);
}

TEST(NvmeRows, TheCsvLinesAreTheRowsAsShown) {
    NvmeHealthLog log = Healthy();
    log.criticalWarning = 0x0A;
    const std::string csv = AttributeCsvText(NvmeRecord(log));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 17);
    EXPECT_EQ(csv.rfind("属性ID,属性名,値,限界値,最悪値,生の値\r\n"
                        "00,クリティカル警告,,,,0x0A\r\n"
                        "01,現在の温度（総合）,,70,,40\r\n"
                        "03,予備領域の残量（％）,,10,,100\r\n",
                        0),
              0u);
}

// Any bytes in the identity become valid text, shown through the display
// rules an ATA identity goes through.
TEST(NvmeReading, AnIdentityOfAnyBytesIsShownSafely) {
    FakeProvider p;
    p.drives[0] = NvmeDrive();
    Bytes& identify = p.drives[0].nvmeIdentify;
    const std::string hostile = "EVIL\x1b[2J\r\nMODEL\xff\xfe";
    std::copy(hostile.begin(), hostile.end(), identify.begin() + nvme_id::Model);
    const DriveRecord r = SmartReader(p).ReadDrive(0);
    EXPECT_EQ(SanitizeUtf8(r.modelNumber), r.modelNumber);
    const std::string shown = DisplayText(DriveInfoRows(r, std::nullopt, std::nullopt)[0].value.value_or(""));
    EXPECT_EQ(shown.find('\x1b'), std::string::npos);
    EXPECT_EQ(shown.find('\n'), std::string::npos);
    EXPECT_EQ(shown.rfind("EVIL", 0), 0u);
}

}  // namespace
}  // namespace qm
