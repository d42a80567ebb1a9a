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

// Stores the value of --simulate or --slot; the error text when it is wrong.
std::optional<std::string> Store(std::string_view name, const std::string& value, CommandLine& line) {
    if (name == "--simulate") {
        if (value.empty()) return "--simulate needs a folder";
        if (line.simulateFolder) return "--simulate given twice";
        line.simulateFolder = value;
        return std::nullopt;
    }
    const std::optional<DriveSlot> slot = ParseSlot(value);
    if (!slot) return "slot must be a number from 0 to 15, not " + Quoted(value);
    if (line.slot) return "--slot given twice";
    line.slot = slot;
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
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name != "--simulate" && !(allowed.slot && name == "--slot")) {
            return Error("unknown option " + Quoted(argument));
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return Error(name == "--simulate" ? "--simulate needs a folder" : "--slot needs a value");
        }
        if (const std::optional<std::string> error = Store(name, value, line)) return Error(*error);
    }
    if (line.csv && !line.slot) return Error("--csv needs --slot N");
    return {line, {}};
}

}  // namespace qm
