#include "drives/linux/linux_volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <map>
#include <memory>
#include <system_error>
#include <utility>

#include "base/file_replace.h"
#include "base/text.h"
#include "base/unique_fd.h"
#include "drives/linux/sysfs_files.h"

// Plain system calls rather than iostreams and std::filesystem (see
// sysfs_files.h).

namespace qm {
namespace {

namespace fs = std::filesystem;

// The mount table even of a machine with thousands of mounts stays far below this.
constexpr std::size_t kMountTableLimit = std::size_t{64} << 20;

std::optional<unsigned> ParseUnsigned(std::string_view s) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return value;
}

std::optional<DeviceNumber> ReadDeviceNumber(const std::string& dir) {
    const auto text = ReadSmallFile(dir + "/dev");
    return text ? ParseDeviceNumber(*text) : std::nullopt;
}

// Field `index` (0 for the first) of a mount table line, whose fields are
// separated by single blanks (the kernel escapes blanks inside fields);
// nullopt when the line has fewer fields.
std::optional<std::string_view> Field(std::string_view line, std::size_t index) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t blank = line.find(' ', begin);
        if (blank == std::string_view::npos) return std::nullopt;
        begin = blank + 1;
    }
    return line.substr(begin, line.find(' ', begin) - begin);
}

// One mount of a block device: its number, and the mount point as the table
// writes it (escaped).
struct Mount {
    DeviceNumber device;
    std::string_view mountPoint;
};

// The mounts of block devices in the table `text`, in its order. Fields: 1 mount id, 2 parent
// id, 3 major:minor, 4 root, 5 mount point, ...
std::vector<Mount> MountsOf(std::string_view text) {
    std::vector<Mount> mounts;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const auto number = Field(line, 2);
        const auto mountPoint = Field(line, 4);
        if (!number || !mountPoint || mountPoint->empty()) continue;
        // Major 0 numbers the anonymous devices of proc, tmpfs and the like: never a disk.
        const auto device = ParseDeviceNumber(*number);
        if (device && device->major != 0) mounts.push_back({*device, *mountPoint});
    }
    return mounts;
}

// The devices of disk `blockName` in the order their mount points are
// listed: the disk, then its partitions by number. A partition's folder in
// the disk's sysfs folder is named after the disk ("sda1", "nvme0n1p1").
std::vector<DeviceNumber> DevicesOf(const std::string& diskDir, std::string_view blockName) {
    std::vector<DeviceNumber> devices;
    if (const auto disk = ReadDeviceNumber(diskDir)) devices.push_back(*disk);
    std::multimap<unsigned, DeviceNumber> partitions;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(diskDir.c_str()), &::closedir);
    while (dir) {
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) break;
        const std::string_view name = entry->d_name;
        if (name.size() <= blockName.size() || !name.starts_with(blockName)) continue;
        const std::string partitionDir = diskDir + "/" + std::string(name);
        const auto number = ReadSmallFile(partitionDir + "/partition");
        if (!number) continue;
        const auto index = ParseUnsigned(Trim(*number));
        const auto device = ReadDeviceNumber(partitionDir);
        if (index && device) partitions.emplace(*index, *device);
    }
    for (const auto& [index, device] : partitions) devices.push_back(device);
    return devices;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

std::optional<DeviceNumber> ParseDeviceNumber(std::string_view text) {
    text = Trim(text);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto major = ParseUnsigned(text.substr(0, colon));
    const auto minor = ParseUnsigned(text.substr(colon + 1));
    if (!major || !minor) return std::nullopt;
    return DeviceNumber{*major, *minor};
}

std::string DecodeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value >= 0x20 && value != 0x7f && value <= 0xff) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

LinuxVolumes::LinuxVolumes(fs::path sysfsRoot, fs::path mountInfo)
    : sysfsRoot_(std::move(sysfsRoot)), mountInfo_(std::move(mountInfo)) {}

std::vector<std::string> LinuxVolumes::MountPointsOf(std::string_view blockName) const {
    if (!IsPlainName(blockName)) return {};
    // The mount table first: without mounted block devices, sysfs need not be read.
    const LoadedFile table = LoadRegularFile(mountInfo_.native(), kMountTableLimit);
    if (table.status != LoadStatus::Loaded) return {};
    const std::vector<Mount> mounts = MountsOf(table.bytes);
    if (mounts.empty()) return {};

    const std::vector<DeviceNumber> devices =
        DevicesOf(sysfsRoot_.native() + "/block/" + std::string(blockName), blockName);
    // First mount point of each device.
    std::vector<std::string> result;
    for (const DeviceNumber& device : devices) {
        const auto mount = std::find_if(mounts.begin(), mounts.end(), [&](const Mount& m) { return m.device == device; });
        if (mount != mounts.end()) result.push_back(DecodeMountField(mount->mountPoint));
    }
    return result;
}

}  // namespace qm
