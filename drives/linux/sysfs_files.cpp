#include "drives/linux/sysfs_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "base/text.h"
#include "base/unique_fd.h"

namespace qm {

std::optional<std::string> ReadSmallFile(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return std::nullopt;
    char text[kMaxAttributeSize];
    ssize_t got = 0;
    do {
        got = ::read(fd.get(), text, sizeof text);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return std::nullopt;
    return std::string(text, static_cast<std::size_t>(got));
}

std::optional<std::string> ReadAttributeLine(const std::string& path) {
    std::optional<std::string> text = ReadSmallFile(path);
    if (text && !text->empty() && text->back() == '\n') text->pop_back();
    return text;
}

std::optional<std::int64_t> ParseAttributeNumber(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace qm
