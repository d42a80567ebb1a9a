// What the fuzz targets share: a scratch folder of this process for the files
// a target hands to the code under test, and checks that turn a broken
// invariant into a crash that libFuzzer reports and keeps.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "base/codepage.h"

namespace qm::fuzz {

// Stops the run with `what` when `ok` is false.
inline void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz: invariant broken: %s\n", what);
    std::abort();
}

inline bool IsUtf8(std::string_view text) { return SanitizeUtf8(text) == text; }

// Text that may be shown: valid UTF-8 and nothing that DisplayText would replace.
inline bool IsShowable(std::string_view text) { return IsUtf8(text) && DisplayText(text) == text; }

// A folder for this process, in memory where the system offers it (/dev/shm),
// removed when the process ends normally.
class ScratchFolder {
public:
    static const std::filesystem::path& Path() {
        static const ScratchFolder folder;
        return folder.path_;
    }

private:
    ScratchFolder() {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        path_ = base / ("quillmoor-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path path_;
};

// Replaces the file at `path` by `bytes`.
inline void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(out), "the scratch file can be written");
}

inline std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace qm::fuzz
