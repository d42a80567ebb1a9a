// The simulated drive set: reading drives.ini (and its nonsense), the answers
// of the device by registers, faults, the 9x shared device, the recording,
// geometry and volumes.
#include <gtest/gtest.h>

#include <random>

#include "drives/sim/sim_drives.h"
#include "smart/drive_record.h"
#include "smart/smart_reader.h"
#include "tests/drives/sim/sim_test_support.h"

namespace qm {
namespace {

using test::MakeDump;
using test::TempFolder;

constexpr std::uint64_t kTerabyteSectors = 1953525168;  // 1000204886016 bytes

class SimSetTest : public ::testing::Test {
protected:
    void Dump(const std::string& name, const SkDump& dump) { ASSERT_TRUE(SaveSkDump(folder / name, dump)); }
    void Ini(const std::string& text) { test::WriteText(folder / "drives.ini", text); }
    // The set in the folder, recording; nullptr when it cannot be loaded.
    std::unique_ptr<SimDriveProvider> Load() {
        auto provider = std::make_unique<SimDriveProvider>(folder.str(), SimRecording::On);
        EXPECT_TRUE(provider->ok()) << provider->error();
        return provider->ok() ? std::move(provider) : nullptr;
    }

    TempFolder folder;
};

struct Answer {
    bool ok = false;
    std::vector<std::uint8_t> out;
};

// One exchange with an output buffer of `outSize` bytes inside a larger
// buffer of 0xEE guard bytes; fails the test when anything outside is written.
Answer Exchange(DriveHandle& handle, ControlCode code, const CommandBlock& block, std::size_t outSize) {
    constexpr std::size_t kGuard = 64;
    std::vector<std::uint8_t> buffer(outSize + 2 * kGuard, 0xEE);
    std::fill(buffer.begin() + kGuard, buffer.begin() + kGuard + static_cast<std::ptrdiff_t>(outSize), 0);
    Answer a;
    a.ok = handle.Exchange(code, block, std::span(buffer).subspan(kGuard, outSize));
    for (std::size_t i = 0; i < kGuard; ++i) {
        EXPECT_EQ(buffer[i], 0xEE) << "written before the buffer at " << i;
        EXPECT_EQ(buffer[kGuard + outSize + i], 0xEE) << "written after the buffer at " << i;
    }
    a.out.assign(buffer.begin() + kGuard, buffer.begin() + kGuard + static_cast<std::ptrdiff_t>(outSize));
    return a;
}

Answer Receive(DriveHandle& handle, const CommandBlock& block, std::size_t outSize = kDataOutputSize) {
    return Exchange(handle, ControlCode::ReceiveDriveData, block, outSize);
}

Answer Send(DriveHandle& handle, const CommandBlock& block, std::size_t outSize = kStatusOutputSize) {
    return Exchange(handle, ControlCode::SendDriveCommand, block, outSize);
}

// The sector of a 528-byte answer.
std::vector<std::uint8_t> SectorOf(const Answer& a) { return {a.out.begin() + kDataOffset, a.out.end()}; }
std::vector<std::uint8_t> AsVector(const Sector& s) { return {s.begin(), s.end()}; }

// ---------------------------------------------------------------------------
// Loading the set

TEST_F(SimSetTest, MissingFolderOrDrivesIniIsAnErrorTheCallerCanPrint) {
    SimDriveProvider nowhere(folder / "nowhere");
    EXPECT_FALSE(nowhere.ok());
    EXPECT_NE(nowhere.error().find("nowhere"), std::string::npos) << nowhere.error();
    EXPECT_TRUE(nowhere.PresentSlots().empty());
    EXPECT_EQ(nowhere.OpenDrive(0, DriverFamily::Nt), nullptr);

    SimDriveProvider noIni(folder.str());
    EXPECT_FALSE(noIni.ok());
    EXPECT_NE(noIni.error().find("drives.ini"), std::string::npos) << noIni.error();

    std::filesystem::create_directory(folder / "drives.ini");  // not a file
    SimDriveProvider folderIni(folder.str());
    EXPECT_FALSE(folderIni.ok());
    EXPECT_FALSE(folderIni.error().empty());
}

TEST_F(SimSetTest, EmptyDrivesIniIsASetWithoutDrives) {
    Ini("");
    auto p = Load();
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->PresentSlots().empty());
    EXPECT_TRUE(p->warnings().empty());
    for (DriveSlot s = 0; s < kSlotCount; ++s) {
        EXPECT_TRUE(p->IsNtFamily(s));
        EXPECT_EQ(p->OpenDrive(s, DriverFamily::Nt), nullptr);
        EXPECT_EQ(p->OpenDrive(s, DriverFamily::Nine), nullptr);
        EXPECT_FALSE(p->QueryDriveGeometry(s));
        EXPECT_TRUE(p->VolumesOf(s).empty());
    }
}

TEST_F(SimSetTest, OnlyExactSlotNumbersAreSections) {
    Dump("d.smart", MakeDump("QM-D"));
    Ini("[0]\ndump=d.smart\n"
        "[15]\ndump = d.smart\n"
        "[16]\ndump=d.smart\n"
        "[-1]\ndump=d.smart\n"
        "[00]\ndump=d.smart\n"
        "[07]\ndump=d.smart\n"
        "[+3]\ndump=d.smart\n"
        "[3x]\ndump=d.smart\n"
        "[0x4]\ndump=d.smart\n"
        "[ 5 ]\ndump=d.smart\n"  // blanks around the name do not count
        "[999999999999999999999]\ndump=d.smart\n"
        "[SETTING]\ndump=d.smart\n"
        "[]\ndump=d.smart\n");
    auto p = Load();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->PresentSlots(), (std::vector<DriveSlot>{0, 5, 15}));
    EXPECT_GE(p->warnings().size(), 9u);
    EXPECT_EQ(p->OpenDrive(16, DriverFamily::Nt), nullptr);
    EXPECT_EQ(p->OpenDrive(-1, DriverFamily::Nt), nullptr);
    EXPECT_FALSE(p->QueryDriveGeometry(-1));
    EXPECT_FALSE(p->QueryDriveGeometry(16));
    EXPECT_TRUE(p->IsNtFamily(-1));
    EXPECT_TRUE(p->IsNtFamily(1000));
}

TEST_F(SimSetTest, RepeatedSectionOnlyFirstCountsWithAWarning) {
    Dump("a.smart", MakeDump("QM-FIRST"));
    Dump("b.smart", MakeDump("QM-SECOND"));
    Ini("[2]\ndump=a.smart\n[2]\ndump=b.smart\nfail=open\n[5]\ndump=a.smart\n[ 5 ]\n[ 2 ]\n");
    auto p = Load();
    ASSERT_TRUE(p && p->Drive(2));
    EXPECT_EQ(p->Drive(2)->dumpName, "a.smart");
    EXPECT_NE(p->OpenDrive(2, DriverFamily::Nt), nullptr);
    EXPECT_EQ(p->PresentSlots(), (std::vector<DriveSlot>{2, 5}));
    EXPECT_EQ(p->warnings(), (std::vector<std::string>{"section [2] appears again; only the first counts",
                                                       "section [5] appears again; only the first counts"}));
}

TEST_F(SimSetTest, DumpNameNeverLeavesTheFolder) {
    // Real dumps outside the set folder and in a sub-folder: none may be used.
    TempFolder outside;
    ASSERT_TRUE(SaveSkDump(outside / "x.smart", MakeDump("QM-OUT")));
    std::filesystem::create_directory(folder.path() / "set");
    std::filesystem::create_directory(folder.path() / "set" / "sub");
    ASSERT_TRUE(SaveSkDump(folder / "x.smart", MakeDump("QM-PARENT")));
    ASSERT_TRUE(SaveSkDump((folder.path() / "set" / "sub" / "x.smart").string(), MakeDump("QM-SUB")));
    ASSERT_TRUE(SaveSkDump((folder.path() / "set" / "ok.smart").string(), MakeDump("QM-OK")));
    const std::string ini = (folder.path() / "set" / "drives.ini").string();
    test::WriteText(ini,
                    "[0]\ndump=../x.smart\n"
                    "[1]\ndump=" + outside / "x.smart" + "\n"
                    "[2]\ndump=sub/x.smart\n"
                    "[3]\ndump=sub\\x.smart\n"
                    "[4]\ndump=..\n"
                    "[5]\ndump=.\n"
                    "[6]\ndump=\n"
                    "[7]\ndump=\"../x.smart\"\n"
                    "[8]\ndump=..\\x.smart\n"
                    "[9]\ndump=C:x.smart\n"
                    "[10]\ndump= ok.smart ; a comment\n"
                    "[11]\ndump=sub/../ok.smart\n"
                    "[12]\ndump=ok.smart/\n"
                    "[13]\ndump=link.smart\n"
                    "[14]\nkind=nvme\nidentify=link.identify\n");
    std::filesystem::create_symlink(outside / "x.smart", folder.path() / "set" / "link.smart");  // never followed
    std::filesystem::copy_file(std::filesystem::path(QM_SAMPLES_DIR) / "qm-nv1000d.identify", outside / "x.identify");
    std::filesystem::create_symlink(outside / "x.identify", folder.path() / "set" / "link.identify");
    SimDriveProvider p((folder.path() / "set").string());
    ASSERT_TRUE(p.ok()) << p.error();
    EXPECT_EQ(p.PresentSlots(), (std::vector<DriveSlot>{10}));
    // Nor is a drives.ini that is a link.
    std::filesystem::rename(ini, folder.path() / "set" / "real.ini");
    std::filesystem::create_symlink("real.ini", ini);
    EXPECT_FALSE(SimDriveProvider((folder.path() / "set").string()).ok());
}

TEST(SimDumpName, PlainFileNamesOnly) {
    EXPECT_TRUE(IsPlainDumpName("ST320410A--3.39.smart"));
    EXPECT_TRUE(IsPlainDumpName("a b.smart"));
    EXPECT_TRUE(IsPlainDumpName(".hidden"));
    EXPECT_FALSE(IsPlainDumpName(""));
    EXPECT_FALSE(IsPlainDumpName(".."));
    EXPECT_FALSE(IsPlainDumpName("a..b"));
    EXPECT_FALSE(IsPlainDumpName("/etc/passwd"));
    EXPECT_FALSE(IsPlainDumpName("a/b"));
    EXPECT_FALSE(IsPlainDumpName("a\\b"));
    EXPECT_FALSE(IsPlainDumpName("C:a"));
    EXPECT_FALSE(IsPlainDumpName(std::string_view("a\0b", 3)));
    EXPECT_FALSE(IsPlainDumpName("a\tb"));
    EXPECT_FALSE(IsPlainDumpName("a\x7f"));
}

TEST_F(SimSetTest, SlotWithoutUsableDumpIsAbsent) {
    Dump("good.smart", MakeDump("QM-GOOD"));
    SkDump noIdentity = MakeDump("QM-NOID");
    noIdentity.identify.reset();
    Dump("noid.smart", noIdentity);
    test::WriteBytes(folder / "garbage.smart", {'G', 'A', 'R', 'B', 'A', 'G', 'E', '!', 1, 2, 3});
    std::vector<std::uint8_t> shortIdentity;
    test::AppendSection(shortIdentity, "IDFY", 256);
    test::WriteBytes(folder / "short.smart", shortIdentity);
    std::filesystem::create_directory(folder.path() / "dir.smart");
    Ini("[0]\ndump=good.smart\n[1]\ndump=missing.smart\n[2]\ndump=noid.smart\n[3]\ndump=garbage.smart\n"
        "[4]\ndump=dir.smart\n[5]\nvolumes=/x\n[6]\ndump=short.smart\nvolumes=/y\n");
    auto p = Load();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->PresentSlots(), (std::vector<DriveSlot>{0}));
    EXPECT_EQ(p->warnings().size(), 6u);
    for (DriveSlot s = 1; s <= 6; ++s) {
        EXPECT_EQ(p->OpenDrive(s, DriverFamily::Nt), nullptr) << s;
        EXPECT_FALSE(p->QueryDriveGeometry(s)) << s;
        EXPECT_TRUE(p->VolumesOf(s).empty()) << s;
    }
}

TEST_F(SimSetTest, GarbageDrivesIniDoesNotBreakTheSet) {
    Dump("d.smart", MakeDump("QM-D"));
    std::mt19937 rng(5);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::uint8_t> bytes(rng() % 4000);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        if (round % 2) {  // some structure, with control bytes, in it
            const std::string s = "[1]\ndump=d.smart\nbytes=\x01\x02\nfail=\xff\xfe\n[\x1b[31m]\n";
            bytes.insert(bytes.begin(), s.begin(), s.end());
        }
        test::WriteBytes(folder / "drives.ini", bytes);
        SimDriveProvider p(folder.str());
        EXPECT_TRUE(p.ok());
        for (const std::string& w : p.warnings()) {
            for (char c : w) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << "control byte in a warning";
        }
        for (DriveSlot s : p.PresentSlots()) {
            SmartReader reader(p);
            (void)reader.ReadDrive(s);
        }
        EXPECT_EQ(p.OpenHandles(), 0);
    }
}

// ---------------------------------------------------------------------------
// bytes=, geometry and volumes

TEST(SimDiskBytes, DecimalDigitsWithinSignedRangeOnly) {
    EXPECT_EQ(ParseDiskBytes("0"), 0u);
    EXPECT_EQ(ParseDiskBytes("20020396032"), 20020396032u);
    EXPECT_EQ(ParseDiskBytes("9223372036854775807"), 9223372036854775807u);
    for (const char* bad : {"", "-1", "+5", "1e9", "0x100", "12 34", "12a", "9223372036854775808",
                            "18446744073709551616", "99999999999999999999", " ", "1.5", "١٢"}) {
        EXPECT_FALSE(ParseDiskBytes(bad)) << bad;
    }
}

TEST(SimDiskBytes, DefaultComesFromTheIdentityLbaCount) {
    IdentitySpec spec;
    spec.model = "QM";
    spec.sectors = kTerabyteSectors;
    Sector s = BuildIdentitySector(spec);
    EXPECT_EQ(IdentityByteCount(s), 1000204886016u);  // words 100-103

    test::PutWord(s, 83, test::GetWord(s, 83) & ~0x0400);  // no 48-bit addresses: words 60-61
    EXPECT_EQ(IdentityByteCount(s), 0x0FFFFFFFull * 512);

    s = BuildIdentitySector(spec);
    test::PutWord(s, 83, 0xFFFF);  // word 83 not valid (bit 15 set)
    EXPECT_EQ(IdentityByteCount(s), 0x0FFFFFFFull * 512);
    test::PutWord(s, 83, 0x0400);  // bit 14 clear: not valid either
    EXPECT_EQ(IdentityByteCount(s), 0x0FFFFFFFull * 512);

    s = BuildIdentitySector(spec);
    for (std::size_t w = 100; w <= 103; ++w) test::PutWord(s, w, 0xFFFF);  // 2^64 - 1 sectors: overflow
    EXPECT_EQ(IdentityByteCount(s), 0x0FFFFFFFull * 512);
    for (std::size_t w = 100; w <= 103; ++w) test::PutWord(s, w, 0);  // no 48-bit count
    EXPECT_EQ(IdentityByteCount(s), 0x0FFFFFFFull * 512);

    spec.sectors = 39102336;  // a 20 GB disk fits in 28 bits
    s = BuildIdentitySector(spec);
    EXPECT_EQ(IdentityByteCount(s), 39102336ull * 512);
    EXPECT_EQ(IdentityByteCount(Sector{}), 0u);
}

TEST_F(SimSetTest, GeometryFromBytesLikeTheDiskDriver) {
    Dump("d.smart", MakeDump("QM-D", kTerabyteSectors));
    Ini("[0]\ndump=d.smart\n"
        "[1]\ndump=d.smart\nbytes=20020396032\n"
        "[2]\ndump=d.smart\nbytes=-20\n"
        "[3]\ndump=d.smart\nbytes=lots\n"
        "[4]\ndump=d.smart\nbytes=99999999999999999999999\n"
        "[5]\ndump=d.smart\nbytes=0\n"
        "[6]\ndump=d.smart\nbytes=9223372036854775807\n"
        "[7]\ndump=d.smart\nbytes=1000 ; one kilobyte\n"
        "[8]\ndump=d.smart\nbytes=\n");
    auto p = Load();
    ASSERT_TRUE(p);
    const auto cylinders = [&](DriveSlot s) { return p->QueryDriveGeometry(s).value_or(DiskGeometry{}).cylinders; };
    EXPECT_EQ(p->QueryDriveGeometry(0), (DiskGeometry{121601, 255, 63, 512, 1000204886016}));  // 1000204886016 / 8225280
    EXPECT_EQ(cylinders(1), 2434);
    EXPECT_EQ(cylinders(2), 121601);  // nonsense falls back to the identity's size
    EXPECT_EQ(cylinders(3), 121601);
    EXPECT_EQ(cylinders(4), 121601);
    EXPECT_EQ(p->QueryDriveGeometry(5), DiskGeometry{});  // no bytes: no geometry, as from the disk driver
    EXPECT_EQ(cylinders(6), 9223372036854775807LL / 8225280);
    EXPECT_EQ(cylinders(7), 0);
    EXPECT_EQ(cylinders(8), 121601);
    EXPECT_EQ(p->warnings().size(), 3u);
}

TEST_F(SimSetTest, VolumesInOrder) {
    Dump("d.smart", MakeDump("QM-D"));
    Ini("[0]\ndump=d.smart\nvolumes = / /home\n"
        "[1]\ndump=d.smart\nvolumes=\t/mnt/a   /mnt/b\t/mnt/c \n"
        "[2]\ndump=d.smart\n"
        "[3]\ndump=d.smart\nvolumes=/srv ; the server disk\n");
    auto p = Load();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->VolumesOf(0), (std::vector<std::string>{"/", "/home"}));
    EXPECT_EQ(p->VolumesOf(1), (std::vector<std::string>{"/mnt/a", "/mnt/b", "/mnt/c"}));
    EXPECT_TRUE(p->VolumesOf(2).empty());
    EXPECT_EQ(p->VolumesOf(3), (std::vector<std::string>{"/srv"}));
    EXPECT_TRUE(p->VolumesOf(4).empty());
    EXPECT_TRUE(p->VolumesOf(-1).empty());
}

// ---------------------------------------------------------------------------
// The device by registers

class SimDeviceTest : public SimSetTest {
protected:
    void SetUp() override {
        dump = MakeDump("QM-DEV");
        Dump("d.smart", dump);
        Ini("[3]\ndump=d.smart\n");
        provider = Load();
        ASSERT_TRUE(provider);
        handle = provider->OpenDrive(3, DriverFamily::Nt);
        ASSERT_TRUE(handle);
    }
    SkDump dump;
    std::unique_ptr<SimDriveProvider> provider;
    std::unique_ptr<DriveHandle> handle;
};

TEST_F(SimDeviceTest, AnswersEachCommandWithItsSector) {
    EXPECT_TRUE(handle->SmartGetVersion());

    const Answer enable = Send(*handle, EnableSmartBlock(3, true));
    EXPECT_TRUE(enable.ok);
    EXPECT_EQ(enable.out, std::vector<std::uint8_t>(16, 0));

    const std::vector<std::uint8_t> header = {0x00, 0x02, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const auto& [block, sector] : {std::pair{IdentifyBlock(3, true), *dump.identify},
                                        std::pair{ReadAttributesBlock(3, true), *dump.smartData},
                                        std::pair{ReadThresholdsBlock(3, true), *dump.thresholds}}) {
        const Answer a = Receive(*handle, block);
        ASSERT_TRUE(a.ok);
        EXPECT_EQ(std::vector<std::uint8_t>(a.out.begin(), a.out.begin() + 16), header);
        EXPECT_EQ(SectorOf(a), AsVector(sector));
    }
}

TEST_F(SimDeviceTest, RefusesCommandsItDoesNotKnow) {
    CommandBlock returnStatus = EnableSmartBlock(3, true);
    returnStatus.bytes[cb::Features] = 0xDA;
    EXPECT_FALSE(Send(*handle, returnStatus).ok);

    CommandBlock noSignature = ReadAttributesBlock(3, true);
    noSignature.bytes[cb::CylHigh] = 0;
    EXPECT_FALSE(Receive(*handle, noSignature).ok);
    CommandBlock enableNoSignature = EnableSmartBlock(3, true);
    enableNoSignature.bytes[cb::CylLow] = 0;
    EXPECT_FALSE(Send(*handle, enableNoSignature).ok);

    EXPECT_FALSE(Receive(*handle, IdentifyBlock(3, true, 0xA1)).ok);  // IDENTIFY PACKET DEVICE
    CommandBlock logRead = ReadAttributesBlock(3, true);
    logRead.bytes[cb::Features] = 0xD5;
    EXPECT_FALSE(Receive(*handle, logRead).ok);

    // Right registers, wrong exchange.
    CommandBlock identifyAsSend = IdentifyBlock(3, true);
    identifyAsSend.setBufferSize(0);
    EXPECT_FALSE(Send(*handle, identifyAsSend).ok);
    CommandBlock enableAsReceive = EnableSmartBlock(3, true);
    enableAsReceive.setBufferSize(512);
    EXPECT_FALSE(Receive(*handle, enableAsReceive).ok);

    EXPECT_FALSE(Exchange(*handle, static_cast<ControlCode>(0x00074080), IdentifyBlock(3, true), 528).ok);
    EXPECT_FALSE(Receive(*handle, CommandBlock{}).ok);
}

TEST_F(SimDeviceTest, RefusesMismatchedSizesAndNeverWritesOutsideTheBuffer) {
    for (std::size_t size : {0u, 1u, 15u, 17u, 512u, 527u, 529u, 1024u}) {
        SCOPED_TRACE(size);
        const Answer a = Receive(*handle, IdentifyBlock(3, true), size);  // guards checked inside
        EXPECT_FALSE(a.ok);
        EXPECT_EQ(a.out, std::vector<std::uint8_t>(size, 0)) << "a refused exchange writes nothing";
    }
    for (std::size_t size : {0u, 8u, 15u, 17u, 528u}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(Send(*handle, EnableSmartBlock(3, true), size).ok);
    }
    for (std::uint32_t bufferSize : {0u, 511u, 513u, 528u, 0xFFFFFFFFu}) {
        CommandBlock b = IdentifyBlock(3, true);
        b.setBufferSize(bufferSize);
        EXPECT_FALSE(Receive(*handle, b).ok) << bufferSize;
    }
    CommandBlock enable = EnableSmartBlock(3, true);
    enable.setBufferSize(512);
    EXPECT_FALSE(Send(*handle, enable).ok);
}

TEST_F(SimDeviceTest, RegistersOtherThanTheOnesThatSelectTheAnswerAreOnlyRecorded) {
    // The NT device is the drive: the drive-number byte and the device
    // register do not redirect it.
    CommandBlock b = IdentifyBlock(3, true);
    b.bytes[cb::DriveNumber] = 7;
    b.bytes[cb::DriveHead] = 0xB0;
    const Answer a = Receive(*handle, b);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(SectorOf(a), AsVector(*dump.identify));
    EXPECT_EQ(provider->Events(SimEventKind::Exchange).back().block, b);
}

TEST_F(SimSetTest, MissingDataOrThresholdSectionRefusesThatExchange) {
    SkDump noData = MakeDump("QM-NODATA");
    noData.smartData.reset();
    SkDump noThresholds = MakeDump("QM-NOTH");
    noThresholds.thresholds.reset();
    Dump("nodata.smart", noData);
    Dump("noth.smart", noThresholds);
    Ini("[0]\ndump=nodata.smart\n[1]\ndump=noth.smart\n");
    auto p = Load();
    ASSERT_TRUE(p);
    SmartReader reader(*p);
    const DriveRecord a = reader.ReadDrive(0);
    EXPECT_EQ(a.driveType, 1);
    EXPECT_EQ(TrimBlanks(a.modelNumber), "QM-NODATA");
    EXPECT_EQ(a.attributeCount, 0);
    const DriveRecord b = reader.ReadDrive(1);
    EXPECT_EQ(b.attributeCount, 4);
    for (const AttributeRow& row : AttributeRows(b)) EXPECT_EQ(row.threshold, 0) << int(row.id);

    const auto exchanges = p->Events(SimEventKind::Exchange);
    ASSERT_EQ(exchanges.size(), 8u);
    EXPECT_FALSE(exchanges[2].result);  // slot 0, attributes
    EXPECT_TRUE(exchanges[3].result);
    EXPECT_TRUE(exchanges[6].result);
    EXPECT_FALSE(exchanges[7].result);  // slot 1, thresholds
}

// ---------------------------------------------------------------------------
// Faults

struct FaultCase {
    const char* fail;
    std::vector<bool> results;  // open, version, enable, identify, attributes, thresholds
};

TEST_F(SimSetTest, EachFaultRefusesExactlyItsExchange) {
    Dump("d.smart", MakeDump("QM-FAULT"));
    const std::vector<FaultCase> cases = {
        {"open", {false}},
        {"version", {true, false}},
        {"enable", {true, true, false}},
        {"identify", {true, true, true, false}},
        {"attributes", {true, true, true, true, false, true}},
        {"thresholds", {true, true, true, true, true, false}},
        {"ATTRIBUTES", {true, true, true, true, false, true}},
        {"melt", {true, true, true, true, true, true}},
        {"", {true, true, true, true, true, true}},
        {"enable, identify", {true, true, false}},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.fail);
        Ini(std::string("[0]\ndump=d.smart\nfail=") + c.fail + "\n");
        auto p = Load();
        ASSERT_TRUE(p);
        SmartReader reader(*p);
        const DriveRecord r = reader.ReadDrive(0);
        std::vector<bool> results;
        for (const SimEvent& e : p->Events()) {
            if (e.kind != SimEventKind::Close) results.push_back(e.result);
        }
        EXPECT_EQ(results, c.results);
        const bool identified = c.results.size() >= 4 && c.results[3];
        EXPECT_EQ(r.driveType, identified ? 1 : 0);
        EXPECT_EQ(p->OpenHandles(), 0);
        EXPECT_EQ(p->Events(SimEventKind::Close).size(), c.results[0] ? 1u : 0u);
        EXPECT_EQ(p->QueryDriveGeometry(0).has_value(), c.results[0]);
    }
    EXPECT_EQ(ParseSimFault("Thresholds"), SimFault::Thresholds);
    EXPECT_EQ(ParseSimFault("open "), std::nullopt);
}

TEST_F(SimSetTest, UnknownFaultIsIgnoredWithAWarning) {
    Dump("d.smart", MakeDump("QM-D"));
    Ini("[0]\ndump=d.smart\nfail=explode\n");
    auto p = Load();
    ASSERT_TRUE(p && p->Drive(0));
    EXPECT_EQ(p->Drive(0)->faults, (std::array<bool, kSimFaultCount>{}));
    ASSERT_EQ(p->warnings().size(), 1u);
    EXPECT_NE(p->warnings()[0].find("explode"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The 9x family

class NineFamilyTest : public SimSetTest {
protected:
    void SetUp() override {
        Dump("one.smart", MakeDump("QM-ONE", kTerabyteSectors, 31));
        Dump("two.smart", MakeDump("QM-TWO", kTerabyteSectors, 32));
        Dump("three.smart", MakeDump("QM-THREE", kTerabyteSectors, 33));
        Dump("nt.smart", MakeDump("QM-NT", kTerabyteSectors, 34));
        Ini("[1]\ndump=one.smart\nfamily=9x\n"
            "[2]\ndump=two.smart\nfamily=9X\n"
            "[3]\ndump=three.smart\nfamily=9x\nfail=identify\n"
            "[4]\ndump=nt.smart\n"
            "[5]\nfamily=9x\n"
            "[6]\ndump=nt.smart\nfamily=nt\n"
            "[7]\ndump=nt.smart\nfamily=os/2\n");
        provider = Load();
        ASSERT_TRUE(provider);
    }
    std::unique_ptr<SimDriveProvider> provider;
};

TEST_F(NineFamilyTest, FamilyTestAnswersPerSlot) {
    EXPECT_FALSE(provider->IsNtFamily(1));
    EXPECT_FALSE(provider->IsNtFamily(2));
    EXPECT_FALSE(provider->IsNtFamily(5));  // configured 9x, even without a drive
    EXPECT_TRUE(provider->IsNtFamily(4));
    EXPECT_TRUE(provider->IsNtFamily(6));
    EXPECT_TRUE(provider->IsNtFamily(7));  // unknown family word: ignored
    EXPECT_TRUE(provider->IsNtFamily(0));
    EXPECT_EQ(provider->FamilyTests(), 7);
    EXPECT_EQ(provider->warnings().size(), 2u);  // [5] has no dump, [7] unknown family
}

TEST_F(NineFamilyTest, EachSlotOpensOnlyOnItsOwnPath) {
    EXPECT_EQ(provider->OpenDrive(1, DriverFamily::Nt), nullptr);
    EXPECT_NE(provider->OpenDrive(1, DriverFamily::Nine), nullptr);
    EXPECT_EQ(provider->OpenDrive(4, DriverFamily::Nine), nullptr);
    EXPECT_NE(provider->OpenDrive(4, DriverFamily::Nt), nullptr);
    EXPECT_EQ(provider->OpenDrive(5, DriverFamily::Nine), nullptr);
    const auto opens = provider->Events(SimEventKind::Open);
    ASSERT_EQ(opens.size(), 5u);
    EXPECT_EQ(opens[1], (SimEvent{.kind = SimEventKind::Open, .slot = 1, .family = DriverFamily::Nine, .result = true}));
    EXPECT_EQ(provider->OpenHandles(), 0);
}

TEST_F(NineFamilyTest, SharedDeviceServesTheDriveTheBlockNames) {
    auto device = provider->OpenDrive(1, DriverFamily::Nine);
    ASSERT_TRUE(device);
    const auto modelOf = [&](DriveSlot named) -> std::optional<std::string> {
        const Answer a = Receive(*device, IdentifyBlock(named, false));
        if (!a.ok) return std::nullopt;
        DriveRecord r;
        DecodeIdentity(std::span(a.out).subspan(kDataOffset), r);
        return TrimBlanks(r.modelNumber);
    };
    EXPECT_EQ(modelOf(1), "QM-ONE");
    EXPECT_EQ(modelOf(2), "QM-TWO");    // same handle, another drive
    EXPECT_EQ(modelOf(4), "QM-NT");     // the block, not the handle, names the drive
    EXPECT_EQ(modelOf(3), std::nullopt);  // that drive refuses identify
    EXPECT_EQ(modelOf(0), std::nullopt);  // no drive
    EXPECT_EQ(modelOf(5), std::nullopt);
    CommandBlock far = IdentifyBlock(1, false);
    far.bytes[cb::DriveNumber] = 200;
    EXPECT_FALSE(Receive(*device, far).ok);

    // Faults of the named drive apply; the version query is the opened slot's.
    EXPECT_TRUE(device->SmartGetVersion());
    EXPECT_TRUE(Send(*device, EnableSmartBlock(3, false)).ok);
    for (const SimEvent& e : provider->Events(SimEventKind::Exchange)) EXPECT_EQ(e.slot, 1);
}

TEST_F(NineFamilyTest, ReaderSendsOddAndEvenSlotsThroughTheSharedDevice) {
    SmartReader reader(*provider);
    for (DriveSlot slot : {1, 2}) {
        SCOPED_TRACE(slot);
        provider->Clear();
        const DriveRecord r = reader.ReadDrive(slot);
        ASSERT_EQ(r.driveType, 1);
        EXPECT_EQ(TrimBlanks(r.modelNumber), slot == 1 ? "QM-ONE" : "QM-TWO");
        EXPECT_EQ(DriveTemperature(r), 30 + slot);
        const auto opens = provider->Events(SimEventKind::Open);
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_EQ(opens[0].family, DriverFamily::Nine);
        const auto exchanges = provider->Events(SimEventKind::Exchange);
        ASSERT_EQ(exchanges.size(), 4u);
        for (const SimEvent& e : exchanges) {
            EXPECT_EQ(e.block.driveNumber(), slot);
            EXPECT_EQ(e.block.driveHead(), slot == 1 ? 0xB0 : 0xA0);
            EXPECT_EQ(e.family, DriverFamily::Nine);
        }
        EXPECT_EQ(exchanges[0].block, EnableSmartBlock(slot, false));
        EXPECT_EQ(exchanges[3].block, ReadThresholdsBlock(slot, false));
        EXPECT_EQ(provider->OpenHandles(), 0);
    }
    // On the NT path every slot sends 0xA0.
    provider->Clear();
    ASSERT_EQ(reader.ReadDrive(7).driveType, 1);
    for (const SimEvent& e : provider->Events(SimEventKind::Exchange)) EXPECT_EQ(e.block.driveHead(), 0xA0);
}

// ---------------------------------------------------------------------------
// Recording

TEST_F(SimSetTest, RecordsEveryStepOfAReadByteForByte) {
    Dump("d.smart", MakeDump("QM-REC"));
    Ini("[9]\ndump=d.smart\n");
    auto p = Load();
    ASSERT_TRUE(p);
    SmartReader reader(*p);
    ASSERT_EQ(reader.ReadDrive(9).driveType, 1);
    const std::vector<SimEvent> events = p->Events();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0], (SimEvent{.kind = SimEventKind::Open, .slot = 9, .result = true}));
    EXPECT_EQ(events[1], (SimEvent{.kind = SimEventKind::Version, .slot = 9, .result = true}));
    const std::pair<ControlCode, CommandBlock> expected[] = {
        {ControlCode::SendDriveCommand, EnableSmartBlock(9, true)},
        {ControlCode::ReceiveDriveData, IdentifyBlock(9, true)},
        {ControlCode::ReceiveDriveData, ReadAttributesBlock(9, true)},
        {ControlCode::ReceiveDriveData, ReadThresholdsBlock(9, true)},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        const SimEvent& e = events[2 + i];
        EXPECT_EQ(e.kind, SimEventKind::Exchange);
        EXPECT_EQ(e.slot, 9);
        EXPECT_EQ(e.code, expected[i].first);
        EXPECT_EQ(e.block, expected[i].second);
        EXPECT_EQ(e.outSize, i == 0 ? 16u : 528u);
        EXPECT_TRUE(e.result);
    }
    EXPECT_EQ(events[6], (SimEvent{.kind = SimEventKind::Close, .slot = 9, .result = true}));
    // The byte layout of one recorded block, register by register.
    const auto& attrs = events[4].block.bytes;
    EXPECT_EQ(attrs[0], 0x00);
    EXPECT_EQ(attrs[1], 0x02);
    EXPECT_EQ(attrs[4], 0xD0);
    EXPECT_EQ(attrs[7], 0x4F);
    EXPECT_EQ(attrs[8], 0xC2);
    EXPECT_EQ(attrs[9], 0xA0);
    EXPECT_EQ(attrs[10], 0xB0);
    EXPECT_EQ(attrs[12], 9);

    const int familyTests = p->FamilyTests();
    EXPECT_GE(familyTests, 1);
    p->Clear();
    EXPECT_TRUE(p->Events().empty());
    EXPECT_EQ(p->FamilyTests(), 0);

    EXPECT_TRUE(p->QueryDriveGeometry(9));
    EXPECT_FALSE(p->QueryDriveGeometry(8));
    EXPECT_EQ(p->Events(SimEventKind::Geometry).size(), 2u);
}

TEST_F(SimSetTest, HandleCountFollowsEveryPath) {
    Dump("d.smart", MakeDump("QM-H"));
    Ini("[0]\ndump=d.smart\n");
    auto p = Load();
    ASSERT_TRUE(p);
    {
        auto a = p->OpenDrive(0, DriverFamily::Nt);
        auto b = p->OpenDrive(0, DriverFamily::Nt);
        EXPECT_EQ(p->OpenHandles(), 2);
        a.reset();
        EXPECT_EQ(p->OpenHandles(), 1);
    }
    EXPECT_EQ(p->OpenHandles(), 0);
    EXPECT_EQ(p->Events(SimEventKind::Close).size(), 2u);
    SmartReader reader(*p);
    (void)reader.ProbeDrive(0);
    (void)reader.ReadDrive(1);  // nothing opened
    EXPECT_EQ(p->OpenHandles(), 0);
    EXPECT_EQ(p->Events(SimEventKind::Open).size(), p->Events(SimEventKind::Close).size() + 1);
}

TEST_F(SimSetTest, HandleMayOutliveTheProvider) {
    Dump("d.smart", MakeDump("QM-LATE"));
    Ini("[0]\ndump=d.smart\n");
    auto p = Load();
    ASSERT_TRUE(p);
    auto handle = p->OpenDrive(0, DriverFamily::Nt);
    ASSERT_TRUE(handle);
    p.reset();
    EXPECT_TRUE(handle->SmartGetVersion());
    EXPECT_TRUE(Receive(*handle, IdentifyBlock(0, true)).ok);
    handle.reset();
}

// The set the program runs on (--simulate) keeps no record of its exchanges,
// so its memory stays flat however often the drives are read.
TEST_F(SimSetTest, RecordsNothingUnlessATestAsksForIt) {
    Dump("d.smart", MakeDump("QM-QUIET"));
    Ini("[0]\ndump=d.smart\n");
    SimDriveProvider quiet(folder.str());
    SmartReader reader(quiet);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(reader.ReadDrive(0).driveType, 1);
    EXPECT_TRUE(quiet.QueryDriveGeometry(0));
    EXPECT_TRUE(quiet.Events().empty());
    EXPECT_EQ(quiet.OpenHandles(), 0);  // the counters are still kept
    EXPECT_EQ(quiet.FamilyTests(), 1000 * 5);  // the open and each of the four command blocks
}

TEST_F(SimSetTest, RecordingKeepsOnlyTheLatestEvents) {
    Ini("");
    auto p = Load();
    ASSERT_TRUE(p);
    for (std::size_t i = 0; i < kSimEventLimit + 10; ++i) {
        (void)p->OpenDrive(static_cast<DriveSlot>(i % kSlotCount), DriverFamily::Nt);
    }
    const auto events = p->Events();
    ASSERT_EQ(events.size(), kSimEventLimit);
    EXPECT_EQ(events.back().slot, static_cast<DriveSlot>((kSimEventLimit + 9) % kSlotCount));
    EXPECT_EQ(events.front().slot, static_cast<DriveSlot>(10 % kSlotCount));
}

}  // namespace
}  // namespace qm
