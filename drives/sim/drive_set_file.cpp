#include "drives/sim/drive_set_file.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "base/bytes.h"
#include "base/codepage.h"
#include "base/file_replace.h"
#include "ini/inifile.h"
#include "base/text.h"

namespace qm {

namespace {

constexpr std::string_view kIniName = "drives.ini";
constexpr std::uint64_t kMaxDiskBytes = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

struct FaultName {
    std::string_view word;
    SimFault fault;
};
constexpr std::array<FaultName, kSimFaultCount> kFaultNames{{
    {"open", SimFault::Open},
    {"version", SimFault::Version},
    {"enable", SimFault::Enable},
    {"identify", SimFault::Identify},
    {"attributes", SimFault::Attributes},
    {"thresholds", SimFault::Thresholds},
    {"log", SimFault::Log},
}};

// Words of a value separated by blanks (and, for fail=, commas).
std::vector<std::string> SplitWords(std::string_view text, bool commas) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (IsWhiteSpace(c) || (commas && c == ',')) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

// A section name that is exactly a slot number: "0" to "15", no sign, no
// leading zero, no blanks.
std::optional<DriveSlot> ParseSlotSection(std::string_view name) {
    if (name.empty() || name.size() > 2) return std::nullopt;
    if (name.size() == 2 && name[0] == '0') return std::nullopt;
    int value = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (!IsValidSlot(value)) return std::nullopt;
    return value;
}

// Text from drives.ini (UTF-8 after reading) made safe to print in a message:
// control characters, C0 and C1 (which a terminal could take as the start of
// an escape sequence), become "?", and long text is cut.
std::string Printable(std::string_view text) {
    constexpr std::size_t kLimit = 80;
    std::string shown = DisplayText(text);
    if (shown.size() <= kLimit) return shown;
    std::size_t cut = kLimit;
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;  // between characters
    return shown.substr(0, cut) + "...";
}

}  // namespace

std::optional<SimFault> ParseSimFault(std::string_view word) {
    for (const FaultName& f : kFaultNames)
        if (EqualsIgnoringAsciiCase(word, f.word)) return f.fault;
    return std::nullopt;
}

std::uint64_t IdentityByteCount(std::span<const std::uint8_t, kSectorSize> sector) {
    const std::uint16_t w83 = LoadLe16(sector, 2 * 83);
    // Word 83 is valid only with bit 15 clear and bit 14 set.
    const bool w83Valid = (w83 & 0xC000) == 0x4000;
    if (w83Valid && (w83 & 0x0400) != 0) {
        const std::uint64_t lba48 = LoadLittleEndian(sector.subspan(2 * 100, 8));  // words 100-103
        if (lba48 != 0 && lba48 <= kMaxDiskBytes / kSectorSize) return lba48 * kSectorSize;
    }
    const std::uint64_t lba28 = LoadLe32(sector, 2 * 60);  // words 60-61
    return lba28 * kSectorSize;
}

bool IsPlainDumpName(std::string_view name) {
    if (name.empty()) return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

std::optional<std::uint64_t> ParseDiskBytes(std::string_view text) {
    if (text.empty() || text.size() > 19) return std::nullopt;  // INT64_MAX has 19 digits
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');  // 19 digits fit in 64 bits
    }
    if (value > kMaxDiskBytes) return std::nullopt;
    return value;
}

std::optional<std::chrono::milliseconds> ParseSimDelay(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 4 || (point != std::string_view::npos && (fraction.empty() || fraction.size() > 3)))
        return std::nullopt;
    long long milliseconds = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        milliseconds = milliseconds * 10 + (c - '0');
    }
    milliseconds *= 1000;
    long long scale = 100;
    for (char c : fraction) {
        if (c < '0' || c > '9') return std::nullopt;
        milliseconds += (c - '0') * scale;
        scale /= 10;
    }
    if (milliseconds > kSimDelayLimit.count()) return std::nullopt;
    return std::chrono::milliseconds(milliseconds);
}

namespace {

// One slot section of drives.ini, read key by key; every mistake in it adds
// a warning "slot N: ...".
class SlotSection {
public:
    // `ini` is the whole of drives.ini.
    SlotSection(std::string_view ini, const std::string& section, std::vector<std::string>& warnings)
        : ini_(ini), section_(section), warnings_(warnings) {}

    // family = 9x; "nt" or nothing is the NT family.
    bool NineFamily() { return Switch("family", "nt", "9x", "family"); }

    // The drive of the section; nullopt when its dump (its identify file)
    // is missing or unusable.
    std::optional<SimDrive> Drive(const std::string& folder, bool nineFamily) {
        const bool nvme = Switch("kind", "ata", "nvme", "kind");
        std::optional<SimDrive> drive = nvme ? DriveOfNvmeFiles(folder) : DriveOfDump(folder);
        if (!drive) return std::nullopt;
        drive->nineFamily = nineFamily && !nvme;
        drive->bytes = nvme ? NvmeByteCount(drive->nvmeIdentify) : IdentityByteCount(*drive->dump.identify);
        if (const std::optional<std::string> bytes = Value("bytes"); bytes && !bytes->empty()) {
            if (const std::optional<std::uint64_t> parsed = ParseDiskBytes(*bytes)) {
                drive->bytes = *parsed;
            } else {
                Warn("bytes= is not a disk size; the identity sector's size is used");
            }
        }
        if (const std::optional<std::string> volumes = Value("volumes")) drive->volumes = SplitWords(*volumes, false);
        if (const std::optional<std::string> fail = Value("fail")) drive->faults = Faults(*fail);
        drive->standby = Standby();
        if (const std::optional<std::string> delay = Value("delay"); delay && !delay->empty()) {
            if (const std::optional<std::chrono::milliseconds> parsed = ParseSimDelay(*delay)) {
                drive->delay = *parsed;
            } else {
                Warn("delay= is not a number of seconds up to 3600; no delay");
            }
        }
        return drive;
    }

private:
    // power = standby; "active" or nothing is a drive that is awake.
    bool Standby() { return Switch("power", "active", "standby", "power mode"); }

    // A key that takes one of two words (any letter case): true for `on`;
    // false for `off`, an empty value or no key; any other word is ignored
    // with a warning that names `what`.
    bool Switch(std::string_view key, std::string_view off, std::string_view on, std::string_view what) {
        const std::optional<std::string> value = Value(key);
        if (!value || value->empty() || EqualsIgnoringAsciiCase(*value, off)) return false;
        if (EqualsIgnoringAsciiCase(*value, on)) return true;
        Warn("unknown " + std::string(what) + " \"" + Printable(*value) + "\"; ignored");
        return false;
    }

    std::optional<std::string> Value(std::string_view key) const {
        const std::optional<std::string> value = IniValueOf(ini_, section_, key, InlineComments::Strip, SystemCodeSet());
        if (!value) return std::nullopt;
        return std::string(Trim(*value));
    }

    void Warn(const std::string& text) { warnings_.push_back("slot " + section_ + ": " + text); }

    std::optional<SimDrive> DriveOfDump(const std::string& folder) {
        const std::optional<std::string> dumpName = Value("dump");
        if (!dumpName) {
            Warn("no dump= entry; no drive");
            return std::nullopt;
        }
        if (!IsPlainDumpName(*dumpName)) {
            Warn("dump= must name a file inside the folder; no drive");
            return std::nullopt;
        }
        std::optional<SkDump> dump = LoadSkDump((std::filesystem::path(folder) / *dumpName).string());
        if (!dump || !dump->identify) {
            Warn("dump " + Printable(*dumpName) + (dump ? " has no identity section" : " cannot be read") + "; no drive");
            return std::nullopt;
        }
        SimDrive drive;
        drive.dumpName = *dumpName;
        drive.dump = std::move(*dump);
        return drive;
    }

    // A file named by `key`, of exactly `size` bytes, inside the folder;
    // nullopt (with a warning saying so) otherwise.
    std::optional<std::vector<std::uint8_t>> FixedSizeFile(const std::string& folder, std::string_view key,
                                                           std::size_t size) {
        const std::optional<std::string> name = Value(key);
        if (!name) {
            Warn("no " + std::string(key) + "= entry");
            return std::nullopt;
        }
        if (!IsPlainDumpName(*name)) {
            Warn(std::string(key) + "= must name a file inside the folder");
            return std::nullopt;
        }
        const LoadedFile file = LoadRegularFile((std::filesystem::path(folder) / *name).string(), size, FollowLink::No);
        if (file.status != LoadStatus::Loaded || file.bytes.size() != size) {
            Warn(std::string(key) + " file " + Printable(*name) + " is not a file of " + std::to_string(size) + " bytes");
            return std::nullopt;
        }
        return std::vector<std::uint8_t>(file.bytes.begin(), file.bytes.end());
    }

    // kind = nvme: identify= (required) and log= (without it the log is refused).
    std::optional<SimDrive> DriveOfNvmeFiles(const std::string& folder) {
        std::optional<std::vector<std::uint8_t>> identify = FixedSizeFile(folder, "identify", kSimNvmeIdentifySize);
        if (!identify) {
            Warn("no drive");
            return std::nullopt;
        }
        SimDrive drive;
        drive.kind = DriveKind::Nvme;
        drive.nvmeIdentify = std::move(*identify);
        if (Value("log")) drive.nvmeLog = FixedSizeFile(folder, "log", kSimNvmeLogSize);
        return drive;
    }

    static std::uint64_t NvmeByteCount(std::span<const std::uint8_t> identify) {
        // TNVMCAP: the low 8 of its 16 bytes are enough for any disk.
        const std::uint64_t bytes = LoadLittleEndian(identify.subspan(nvme_id::TotalCapacity, 8));
        return bytes <= kMaxDiskBytes ? bytes : 0;
    }

    std::array<bool, kSimFaultCount> Faults(std::string_view fail) {
        std::array<bool, kSimFaultCount> faults{};
        for (const std::string& word : SplitWords(fail, true)) {
            if (const std::optional<SimFault> fault = ParseSimFault(word)) {
                faults[static_cast<std::size_t>(*fault)] = true;
            } else {
                Warn("unknown fault \"" + Printable(word) + "\"; ignored");
            }
        }
        return faults;
    }

    std::string_view ini_;
    const std::string& section_;
    std::vector<std::string>& warnings_;
};

}  // namespace

DriveSetFile ReadDriveSetFile(const std::string& folder) {
    DriveSetFile set;
    namespace fs = std::filesystem;
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) {
        set.error = "drive set folder not found: " + folder;
        return set;
    }
    const fs::path iniPath = fs::path(folder) / kIniName;
    if (!fs::is_regular_file(iniPath, ec)) {
        set.error = "no drives.ini in the drive set folder " + folder;
        return set;
    }
    // Read once, never through a link or from a FIFO; a file beyond the
    // settings file's limit reads as empty.
    const LoadedFile file = LoadRegularFile(iniPath.string(), kIniFileLimit, FollowLink::No);
    if (file.status != LoadStatus::Loaded && file.error != std::errc::file_too_large) {
        set.error = "drives.ini cannot be read: " + iniPath.string();
        return set;
    }
    const std::string_view ini = file.status == LoadStatus::Loaded ? std::string_view(file.bytes) : "";

    for (const auto& [section, count] : IniSectionsOf(ini, SystemCodeSet())) {
        const std::optional<DriveSlot> slot = ParseSlotSection(section);
        if (!slot) {
            set.warnings.push_back("section [" + Printable(section) + "] is not a slot number 0 to 15; ignored");
            continue;
        }
        if (count > 1) {
            set.warnings.push_back("section [" + Printable(section) + "] appears again; only the first counts");
        }
        const auto index = static_cast<std::size_t>(*slot);
        SlotSection reader(ini, section, set.warnings);
        set.nineFamily[index] = reader.NineFamily();
        set.drives[index] = reader.Drive(folder, set.nineFamily[index]);
    }
    return set;
}

}  // namespace qm
