// The program's command line: quillmoor [--simulate FOLDER]
#pragma once

#include <optional>
#include <span>
#include <string>

namespace qm {

struct CommandLine {
    // The simulated drive set to use instead of the real disks.
    std::optional<std::string> simulateFolder;
    bool help = false;
};

struct CommandLineResult {
    std::optional<CommandLine> options;  // nullopt: the arguments are wrong
    std::string error;                   // why, for standard error
};

// Parses the arguments after the program name: "--simulate FOLDER",
// "--simulate=FOLDER", "--help"/"-h". Anything else is an error.
CommandLineResult ParseCommandLine(std::span<const std::string> arguments);

inline constexpr char kUsage[] = "usage: quillmoor [--simulate FOLDER]\n";

}  // namespace qm
