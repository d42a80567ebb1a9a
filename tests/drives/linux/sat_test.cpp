#include "drives/linux/sat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace qm::sat {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The four command blocks the program sends, written out register by register.
CommandBlock Block(std::uint32_t bufferSize, std::uint8_t features, std::uint8_t cylLow, std::uint8_t cylHigh,
                   std::uint8_t command, std::uint8_t driveNumber = 0) {
    CommandBlock b;
    b.setBufferSize(bufferSize);
    b.bytes[cb::Features] = features;
    b.bytes[cb::SectorCount] = 1;
    b.bytes[cb::SectorNumber] = 1;
    b.bytes[cb::CylLow] = cylLow;
    b.bytes[cb::CylHigh] = cylHigh;
    b.bytes[cb::DriveHead] = 0xA0;
    b.bytes[cb::Command] = command;
    b.bytes[cb::DriveNumber] = driveNumber;
    return b;
}
CommandBlock EnableBlock() { return Block(0, 0xD8, 0x4F, 0xC2, 0xB0); }
CommandBlock IdentifyBlock() { return Block(512, 0x00, 0x00, 0x00, 0xEC); }
CommandBlock ReadDataBlock() { return Block(512, 0xD0, 0x4F, 0xC2, 0xB0); }
CommandBlock ReadThresholdsBlock() { return Block(512, 0xD1, 0x4F, 0xC2, 0xB0); }

Bytes CdbOf(ControlCode code, const CommandBlock& block) {
    const auto protocol = ProtocolOf(code);
    EXPECT_TRUE(protocol.has_value());
    const Cdb cdb = BuildCdb(protocol.value_or(Protocol::NonData), block);
    return Bytes(cdb.begin(), cdb.end());
}

TEST(SatCdb, EnableIsNonDataWithoutCheckCondition) {
    EXPECT_EQ(CdbOf(ControlCode::SendDriveCommand, EnableBlock()),
              (Bytes{0x85, 0x06, 0x00, 0x00, 0xD8, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}));
}

TEST(SatCdb, DataInCommandsReadOneSectorCountedInBlocks) {
    EXPECT_EQ(CdbOf(ControlCode::ReceiveDriveData, IdentifyBlock()),
              (Bytes{0x85, 0x08, 0x0E, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xA0, 0xEC, 0x00}));
    EXPECT_EQ(CdbOf(ControlCode::ReceiveDriveData, ReadDataBlock()),
              (Bytes{0x85, 0x08, 0x0E, 0x00, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}));
    EXPECT_EQ(CdbOf(ControlCode::ReceiveDriveData, ReadThresholdsBlock()),
              (Bytes{0x85, 0x08, 0x0E, 0x00, 0xD1, 0x00, 0x01, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, 0xB0, 0x00}));
}

TEST(SatCdb, EveryRegisterLandsInItsOwnByteAndNothingElseLeaks) {
    CommandBlock b;
    b.bytes.fill(0xFF);  // buffer size, drive number and reserved bytes must not reach the drive
    b.bytes[cb::Features] = 0x11;
    b.bytes[cb::SectorCount] = 0x22;
    b.bytes[cb::SectorNumber] = 0x33;
    b.bytes[cb::CylLow] = 0x44;
    b.bytes[cb::CylHigh] = 0x55;
    b.bytes[cb::DriveHead] = 0xB0;
    b.bytes[cb::Command] = 0x77;
    EXPECT_EQ(CdbOf(ControlCode::SendDriveCommand, b),
              (Bytes{0x85, 0x06, 0x00, 0x00, 0x11, 0x00, 0x22, 0x00, 0x33, 0x00, 0x44, 0x00, 0x55, 0xB0, 0x77, 0x00}));
}

TEST(SatCdb, ProtocolsAndLengths) {
    EXPECT_EQ(ProtocolOf(ControlCode::SendDriveCommand), Protocol::NonData);
    EXPECT_EQ(ProtocolOf(ControlCode::ReceiveDriveData), Protocol::PioDataIn);
    EXPECT_EQ(ProtocolOf(static_cast<ControlCode>(0x00074080)), std::nullopt);
    EXPECT_EQ(TransferLength(Protocol::NonData), 0u);
    EXPECT_EQ(TransferLength(Protocol::PioDataIn), 512u);
    EXPECT_EQ(OutputLength(Protocol::NonData), 16u);
    EXPECT_EQ(OutputLength(Protocol::PioDataIn), 528u);
}

// ---------------------------------------------------------------------------
// Sense data and SG_IO results.

constexpr std::uint16_t kDriverSense = 0x08;

SgIoResult CheckCondition(const Bytes& sense) {
    SgIoResult r;
    r.scsiStatus = scsi::CheckCondition;
    r.driverStatus = kDriverSense;
    r.sense = sense;
    return r;
}

// Descriptor sense with one ATA Status Return descriptor, as CK_COND answers.
Bytes DescriptorSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::uint8_t error, std::uint8_t status,
                      std::uint8_t count = 0x01) {
    Bytes s{0x72, key, asc, ascq, 0, 0, 0, 14};
    const Bytes descriptor{0x09, 0x0C, 0x00, error, 0x00, count, 0x00, 0x01, 0x00, 0x4F, 0x00, 0xC2, 0xA0, status};
    s.insert(s.end(), descriptor.begin(), descriptor.end());
    return s;
}

// Fixed sense, 18 bytes, with the ATA error/status at `at` and `at + 1`.
Bytes FixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, std::size_t at, std::uint8_t error,
                 std::uint8_t status) {
    Bytes s(18, 0);
    s[0] = 0x70;
    s[2] = key;
    s[7] = 10;
    s[12] = asc;
    s[13] = ascq;
    s[at] = error;
    s[at + 1] = status;
    return s;
}

TEST(SatInterpret, GoodStatusWithoutSenseIsAccepted) {
    const Outcome o = Interpret(SgIoResult{});
    EXPECT_TRUE(o.accepted);
    EXPECT_FALSE(o.ataError.has_value());
    EXPECT_FALSE(o.ataStatus.has_value());
}

TEST(SatInterpret, RecoveredErrorWithPassThroughInformationIsSuccess) {
    const Bytes sense = DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x00, 0x50);
    const Outcome o = Interpret(CheckCondition(sense));
    EXPECT_TRUE(o.accepted);
    EXPECT_EQ(o.ataError, 0x00);
    EXPECT_EQ(o.ataStatus, 0x50);
}

// CHECK POWER MODE with CK_COND as measured: the power state is the sector
// count, descriptor sense byte 13 (or after the status in fixed sense).
TEST(SatInterpret, RegisterQueryBringsTheSectorCountBack) {
    CommandBlock query;
    query.bytes[cb::DriveHead] = 0xA0;
    query.bytes[cb::Command] = 0xE5;
    const Cdb cdb = BuildRegisterQueryCdb(query);
    EXPECT_EQ(Bytes(cdb.begin(), cdb.end()),
              (Bytes{0x85, 0x06, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0xE5, 0x00}));

    const Bytes standby = DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x00, 0x50, 0x00);
    ASSERT_EQ(standby[13], 0x00);
    Outcome o = Interpret(CheckCondition(standby));
    EXPECT_TRUE(o.accepted);
    EXPECT_EQ(o.ataCount, 0x00);
    o = Interpret(CheckCondition(DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x00, 0x50, 0xFF)));
    EXPECT_EQ(o.ataCount, 0xFF);
    for (std::size_t at : {std::size_t{3}, std::size_t{8}}) {
        Bytes fixed = FixedSense(scsi::RecoveredError, 0x00, 0x1D, at, 0x00, 0x50);
        fixed[at + 3] = 0x80;
        EXPECT_EQ(Interpret(CheckCondition(fixed)).ataCount, 0x80) << at;
    }
    EXPECT_EQ(Interpret(SgIoResult{}).ataCount, std::nullopt);  // no registers came back
}

TEST(SatInterpret, RecoveredErrorWhoseAtaStatusReportsAnErrorIsRefused) {
    const Bytes withErr = DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x04, 0x51);
    EXPECT_FALSE(Interpret(CheckCondition(withErr)).accepted);
    const Bytes withFault = DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x00, 0x70);
    EXPECT_FALSE(Interpret(CheckCondition(withFault)).accepted);
}

TEST(SatInterpret, AbortedCommandIsRefusedWithTheAtaRegistersAtEitherPlacement) {
    // Standard placement (INFORMATION field) and the one Linux 6.1 libata uses.
    for (std::size_t at : {std::size_t{3}, std::size_t{8}}) {
        SCOPED_TRACE(at);
        const Bytes sense = FixedSense(scsi::AbortedCommand, 0x00, 0x00, at, 0x04, 0x41);
        const Outcome o = Interpret(CheckCondition(sense));
        EXPECT_FALSE(o.accepted);
        EXPECT_EQ(o.ataError, 0x04);
        EXPECT_EQ(o.ataStatus, 0x41);
    }
}

TEST(SatInterpret, RefusalsWithoutAtaRegisters) {
    const Bytes illegal = FixedSense(scsi::IllegalRequest, 0x24, 0x00, 3, 0x00, 0x00);  // invalid field in CDB
    const Outcome o = Interpret(CheckCondition(illegal));
    EXPECT_FALSE(o.accepted);
    EXPECT_FALSE(o.ataStatus.has_value());

    const Bytes medium = DescriptorSense(0x3, 0x11, 0x04, 0x40, 0x51);
    EXPECT_FALSE(Interpret(CheckCondition(medium)).accepted);

    Bytes deferred = DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x00, 0x50);
    deferred[0] = 0x73;  // belongs to an earlier command
    EXPECT_FALSE(Interpret(CheckCondition(deferred)).accepted);
}

TEST(SatInterpret, TruncatedOrGarbageSenseUnderCheckConditionIsRefused) {
    const std::vector<Bytes> unreadable{
        {},
        {0x70},
        {0x70, 0x00},
        {0x72, 0x01, 0x00},
        {0x00, 0x01, 0x00, 0x1D, 0, 0, 0, 0},
        {0x7F, 0xFF, 0xFF, 0xFF},
    };
    for (const Bytes& sense : unreadable) {
        EXPECT_FALSE(Interpret(CheckCondition(sense)).accepted) << "sense of " << sense.size() << " bytes";
    }
}

TEST(SatInterpret, SenseIsReadOnlyWithinWhatWasWrittenAndWhatItClaims) {
    // Additional length says 255 bytes, but only 8 were written: the key is read, no descriptor.
    const Bytes shortSense{0x72, scsi::RecoveredError, 0x00, 0x1D, 0, 0, 0, 0xFF};
    Outcome o = Interpret(CheckCondition(shortSense));
    EXPECT_TRUE(o.accepted);
    EXPECT_FALSE(o.ataStatus.has_value());

    // A descriptor cut off by the end of the buffer is not read.
    Bytes cut = DescriptorSense(scsi::RecoveredError, 0x00, 0x1D, 0x04, 0x51);
    cut.pop_back();
    o = Interpret(CheckCondition(cut));
    EXPECT_TRUE(o.accepted);
    EXPECT_FALSE(o.ataStatus.has_value());

    // A descriptor shorter than an ATA Status Return is skipped; the next one is found.
    Bytes two{0x72, scsi::RecoveredError, 0x00, 0x1D, 0, 0, 0, 0};
    const Bytes other{0x09, 0x02, 0xAA, 0xBB};
    two.insert(two.end(), other.begin(), other.end());
    const Bytes ata = DescriptorSense(scsi::RecoveredError, 0, 0x1D, 0x00, 0x50);
    two.insert(two.end(), ata.begin() + 8, ata.end());
    two[7] = static_cast<std::uint8_t>(two.size() - 8);
    o = Interpret(CheckCondition(two));
    EXPECT_TRUE(o.accepted);
    EXPECT_EQ(o.ataStatus, 0x50);

    // Fixed format whose additional length hides the bytes 8-9.
    Bytes hidden = FixedSense(scsi::AbortedCommand, 0, 0, 8, 0x04, 0x41);
    hidden[7] = 0;
    o = Interpret(CheckCondition(hidden));
    EXPECT_FALSE(o.accepted);
    EXPECT_FALSE(o.ataStatus.has_value());
}

TEST(SatInterpret, EverySenseLengthAndPatternIsSafe) {
    // Every prefix of a few patterns, run under the sanitizers, must neither
    // crash nor read out of bounds, and a CHECK CONDITION is only accepted
    // for a sense key that says the command completed.
    const std::vector<Bytes> patterns{
        DescriptorSense(scsi::RecoveredError, 0, 0x1D, 0, 0x50),
        FixedSense(scsi::AbortedCommand, 0, 0, 8, 0x04, 0x41),
        Bytes(32, 0xFF),
        Bytes(32, 0x72),
        Bytes(32, 0x70),
    };
    for (const Bytes& pattern : patterns) {
        for (std::size_t n = 0; n <= pattern.size(); ++n) {
            const Bytes prefix(pattern.begin(), pattern.begin() + static_cast<std::ptrdiff_t>(n));
            const Outcome o = Interpret(CheckCondition(prefix));
            if (o.accepted) {
                const auto info = ParseSense(prefix);
                ASSERT_TRUE(info.has_value());
                EXPECT_LE(info->senseKey, scsi::RecoveredError);
            }
        }
    }
}

TEST(SatInterpret, TransportAndDriverErrorsAreRefused) {
    SgIoResult r;
    r.ioctlErrno = EPERM;  // no CAP_SYS_RAWIO
    EXPECT_FALSE(Interpret(r).accepted);

    r = SgIoResult{};
    r.hostStatus = 0x03;  // DID_TIME_OUT
    EXPECT_FALSE(Interpret(r).accepted);
    r.hostStatus = 0x01;  // DID_NO_CONNECT
    EXPECT_FALSE(Interpret(r).accepted);

    r = SgIoResult{};
    r.driverStatus = 0x06;  // DRIVER_TIMEOUT
    EXPECT_FALSE(Interpret(r).accepted);

    r = SgIoResult{};
    r.scsiStatus = 0x08;  // BUSY
    EXPECT_FALSE(Interpret(r).accepted);
    r.scsiStatus = 0x18;  // RESERVATION CONFLICT
    EXPECT_FALSE(Interpret(r).accepted);

    // A good ATA answer does not rescue a failed transport.
    const Bytes good = DescriptorSense(scsi::RecoveredError, 0, 0x1D, 0, 0x50);
    r = CheckCondition(good);
    r.hostStatus = 0x07;  // DID_ERROR
    EXPECT_FALSE(Interpret(r).accepted);

    // Good status, but part of the sector never arrived.
    r = SgIoResult{};
    r.resid = 256;
    EXPECT_FALSE(Interpret(r).accepted);
}

// ---------------------------------------------------------------------------
// The driver's output buffer.

TEST(SatOutput, AcceptedDataInCarriesSizeAndSector) {
    Bytes sector(512);
    for (std::size_t i = 0; i < sector.size(); ++i) sector[i] = static_cast<std::uint8_t>(i * 7 + 1);
    Bytes out(528, 0xEE);
    Outcome ok{true, 0x00, 0x50};
    AssembleOutput(Protocol::PioDataIn, ok, sector, out);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 16), (Bytes{0x00, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(out.begin() + 16, out.end()), sector);
}

TEST(SatOutput, NonDataWritesOnlyTheHeader) {
    Bytes out(16, 0xEE);
    AssembleOutput(Protocol::NonData, Outcome{true, std::nullopt, std::nullopt}, {}, out);
    EXPECT_EQ(out, Bytes(16, 0));
}

TEST(SatOutput, RefusedExchangeReportsTheAtaErrorAndNoSector) {
    const Bytes sector(512, 0x5A);
    Bytes out(528, 0);
    AssembleOutput(Protocol::PioDataIn, Outcome{false, 0x04, 0x41}, sector, out);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 6), (Bytes{0, 0, 0, 0, 1, 0x04}));
    EXPECT_EQ(Bytes(out.begin() + 16, out.end()), Bytes(512, 0));
}

TEST(SatOutput, NeverWritesPastTheBuffer) {
    const Bytes sector(512, 0x5A);
    for (std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{16}, std::size_t{17}, std::size_t{527}}) {
        Bytes backing(size + 8, 0xEE);
        AssembleOutput(Protocol::PioDataIn, Outcome{true, 0, 0x50}, sector, std::span(backing).first(size));
        EXPECT_EQ(Bytes(backing.begin() + static_cast<std::ptrdiff_t>(size), backing.end()), Bytes(8, 0xEE))
            << "buffer of " << size;
    }
}

}  // namespace
}  // namespace qm::sat
