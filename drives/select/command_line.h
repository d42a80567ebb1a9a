// The command line of both programs: one parser for the options they share
// (--simulate FOLDER, -h/--help) and those only quillmoor-report takes
// (--slot N, --csv, and the machine-readable outputs --json, --prometheus and
// --textfile DIR); each program says which of the latter it allows.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "drives/device.h"

namespace qm {

// The options a program takes besides --simulate and --help.
struct AllowedOptions {
    bool slot = false;  // --slot N
    bool csv = false;   // --csv (needs --slot)
    bool machine = false;  // --json, --prometheus, --textfile DIR
    bool history = false;  // --history (needs --slot)
};

// A machine-readable output of quillmoor-report.
enum class MachineOutput {
    Json,        // --json: one JSON document
    Prometheus,  // --prometheus, or --textfile DIR: Prometheus's text format
};

struct CommandLine {
    std::optional<std::string> simulateFolder;  // the drive set to use instead of the real disks
    std::optional<DriveSlot> slot;              // 0..15
    bool csv = false;
    std::optional<MachineOutput> machine{};
    std::optional<std::string> textfileFolder{};  // --textfile DIR (machine is then Prometheus)
    bool history = false;  // --history: the slot's stored temperature samples
    bool help = false;  // -h or --help: the arguments after it were not read
    friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

struct CommandLineResult {
    std::optional<CommandLine> options;  // nullopt: the arguments are wrong
    std::string error;                   // then: why, one line for standard error
};

// Parses the arguments after the program name. A value follows its option as
// the next argument or after "=" ("--simulate=FOLDER"). Anything the program
// does not allow, a missing or empty value, a slot outside 0..15, an option
// given twice, --csv or --history without --slot and more than one output
// (--csv, --history, --json, --prometheus; --textfile goes with --prometheus
// alone) are errors; the
// error text quotes arguments through DisplayText.
CommandLineResult ParseCommandLine(std::span<const std::string> arguments, const AllowedOptions& allowed = {});

}  // namespace qm
