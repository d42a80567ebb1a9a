#include "drives/select/command_line.h"

#include <charconv>
#include <string_view>
#include <utility>

#include "base/codepage.h"

namespace qm {
namespace {

CommandLineResult Error(std::string message) { return {std::nullopt, std::move(message)}; }

std::string Quoted(std::string_view text) { return "\"" + DisplayText(text) + "\""; }

std::optional<DriveSlot> ParseSlot(std::string_view text) {
    int slot = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), slot);
    if (error != std::errc() || end != text.data() + text.size() || !IsValidSlot(slot)) return std::nullopt;
    return slot;
}

// Stores the value of --simulate, --textfile or --slot; the error text when
// it is wrong.
std::optional<std::string> Store(std::string_view name, const std::string& value, CommandLine& line) {
    if (name == "--simulate" || name == "--textfile") {
        std::optional<std::string>& folder = name == "--simulate" ? line.simulateFolder : line.textfileFolder;
        if (value.empty()) return std::string(name) + " needs a folder";
        if (folder) return std::string(name) + " given twice";
        folder = value;
        return std::nullopt;
    }
    const std::optional<DriveSlot> slot = ParseSlot(value);
    if (!slot) return "slot must be a number from 0 to 15, not " + Quoted(value);
    if (line.slot) return "--slot given twice";
    line.slot = slot;
    return std::nullopt;
}

// --json and --prometheus: the output they choose.
std::optional<MachineOutput> MachineFlag(std::string_view argument) {
    if (argument == "--json") return MachineOutput::Json;
    if (argument == "--prometheus") return MachineOutput::Prometheus;
    return std::nullopt;
}

// The one output the options ask for, or why they ask for several.
std::optional<std::string> CheckOutputs(CommandLine& line) {
    if (line.textfileFolder) {
        if (line.machine == MachineOutput::Json) return "--textfile writes the Prometheus format, not --json";
        line.machine = MachineOutput::Prometheus;
    }
    if (line.csv && line.machine) return "--csv cannot go with --json, --prometheus or --textfile";
    if (line.history && (line.csv || line.machine)) return "--history cannot go with another output";
    if (line.history && !line.slot) return "--history needs --slot N";
    if (line.csv && !line.slot) return "--csv needs --slot N";
    return std::nullopt;
}

}  // namespace

CommandLineResult ParseCommandLine(std::span<const std::string> arguments, const AllowedOptions& allowed) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            line.help = true;
            return {line, {}};
        }
        if (allowed.csv && argument == "--csv") {
            if (line.csv) return Error("--csv given twice");
            line.csv = true;
            continue;
        }
        if (allowed.history && argument == "--history") {
            if (line.history) return Error("--history given twice");
            line.history = true;
            continue;
        }
        if (const std::optional<MachineOutput> machine = allowed.machine ? MachineFlag(argument) : std::nullopt) {
            if (line.machine) return Error("--json and --prometheus: only one of them, once");
            line.machine = machine;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name != "--simulate" && !(allowed.slot && name == "--slot") && !(allowed.machine && name == "--textfile")) {
            return Error("unknown option " + Quoted(argument));
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return Error(name == "--slot" ? "--slot needs a value" : name + " needs a folder");
        }
        if (const std::optional<std::string> error = Store(name, value, line)) return Error(*error);
    }
    if (const std::optional<std::string> error = CheckOutputs(line)) return Error(*error);
    return {line, {}};
}

}  // namespace qm
