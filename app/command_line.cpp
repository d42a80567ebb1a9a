#include "app/command_line.h"

namespace qm {

CommandLineResult ParseCommandLine(std::span<const std::string> arguments) {
    CommandLine options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::optional<std::string> folder;
        if (argument == "--simulate") {
            if (i + 1 >= arguments.size()) return {std::nullopt, "--simulate needs a folder"};
            folder = arguments[++i];
        } else if (argument.rfind("--simulate=", 0) == 0) {
            folder = argument.substr(std::string("--simulate=").size());
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        } else {
            return {std::nullopt, "unknown argument: " + argument};
        }
        if (folder->empty()) return {std::nullopt, "--simulate needs a folder"};
        if (options.simulateFolder) return {std::nullopt, "--simulate given twice"};
        options.simulateFolder = *folder;
    }
    return {options, {}};
}

}  // namespace qm
