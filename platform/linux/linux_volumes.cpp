#include "platform/linux/linux_volumes.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <system_error>
#include <utility>

#include "platform/text.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// sysfs attribute files are a few bytes; anything longer is not what we expect.
constexpr std::size_t kMaxAttributeSize = 64;

std::optional<unsigned> ParseUnsigned(std::string_view s) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return value;
}

std::optional<std::string> ReadSmallFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxAttributeSize, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return text;
}

std::optional<DeviceNumber> ReadDeviceNumber(const fs::path& dir) {
    const auto text = ReadSmallFile(dir / "dev");
    return text ? ParseDeviceNumber(*text) : std::nullopt;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// Splits a mount table line at single blanks (the kernel escapes blanks inside fields).
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos <= line.size()) {
        const auto end = std::min(line.find(' ', pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
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
    const fs::path diskDir = sysfsRoot_ / "block" / fs::path(std::string(blockName));

    // The devices in the order their mount points are listed: the disk, then
    // its partitions by number.
    std::vector<DeviceNumber> devices;
    if (const auto disk = ReadDeviceNumber(diskDir)) devices.push_back(*disk);
    std::multimap<unsigned, DeviceNumber> partitions;
    std::error_code ec;
    for (fs::directory_iterator it(diskDir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_directory(ec)) continue;
        const auto number = ReadSmallFile(it->path() / "partition");
        if (!number) continue;
        const auto index = ParseUnsigned(Trim(*number));
        const auto device = ReadDeviceNumber(it->path());
        if (index && device) partitions.emplace(*index, *device);
    }
    for (const auto& [index, device] : partitions) devices.push_back(device);
    if (devices.empty()) return {};

    // First mount point of each device. Fields: 1 mount id, 2 parent id,
    // 3 major:minor, 4 root, 5 mount point, ...
    std::vector<std::optional<std::string>> mountPoints(devices.size());
    std::ifstream in(mountInfo_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const auto fields = Fields(line);
        if (fields.size() < 5) continue;
        const auto number = ParseDeviceNumber(fields[2]);
        if (!number || fields[4].empty()) continue;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (devices[i] == *number && !mountPoints[i]) mountPoints[i] = DecodeMountField(fields[4]);
        }
    }

    std::vector<std::string> result;
    for (auto& mountPoint : mountPoints) {
        if (mountPoint) result.push_back(std::move(*mountPoint));
    }
    return result;
}

}  // namespace qm
