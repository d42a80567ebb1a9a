// The one command-line parser: what each program allows, the values, and the
// mistakes it names.
#include <gtest/gtest.h>

#include <vector>

#include "drives/select/command_line.h"

namespace qm {
namespace {

constexpr AllowedOptions kProgram{};                          // quillmoor
constexpr AllowedOptions kReport{.slot = true, .csv = true, .machine = true, .history = true};  // quillmoor-report

CommandLineResult Parse(std::vector<std::string> arguments, const AllowedOptions& allowed = kProgram) {
    return ParseCommandLine(arguments, allowed);
}

std::string ErrorOf(std::vector<std::string> arguments, const AllowedOptions& allowed = kProgram) {
    const CommandLineResult result = Parse(std::move(arguments), allowed);
    EXPECT_FALSE(result.options);
    return result.error;
}

TEST(CommandLineTest, SimulateFolderOrNothing) {
    EXPECT_EQ(Parse({}).options, CommandLine{});
    EXPECT_EQ(Parse({"--simulate", "samples"}).options->simulateFolder, "samples");
    EXPECT_EQ(Parse({"--simulate=my set"}).options->simulateFolder, "my set");
    EXPECT_EQ(Parse({"--simulate", "a=b"}).options->simulateFolder, "a=b");
    EXPECT_EQ(ErrorOf({"--simulate"}), "--simulate needs a folder");
    EXPECT_EQ(ErrorOf({"--simulate="}), "--simulate needs a folder");
    EXPECT_EQ(ErrorOf({"--simulate", "a", "--simulate", "b"}), "--simulate given twice");
}

TEST(CommandLineTest, HelpStopsTheParse) {
    EXPECT_TRUE(Parse({"--help"}).options->help);
    EXPECT_TRUE(Parse({"-h", "--bogus"}).options->help);
    EXPECT_FALSE(Parse({"--bogus", "-h"}).options);
}

TEST(CommandLineTest, EachProgramAllowsItsOwnOptions) {
    EXPECT_EQ(ErrorOf({"--slot", "1"}), "unknown option \"--slot\"");
    EXPECT_EQ(ErrorOf({"--csv"}), "unknown option \"--csv\"");
    EXPECT_EQ(ErrorOf({"--verbose"}, kReport), "unknown option \"--verbose\"");
    EXPECT_EQ(ErrorOf({"--evil\x1b[2J"}), "unknown option \"--evil?[2J\"");  // shown safely

    const CommandLineResult report = Parse({"--simulate", "samples", "--csv", "--slot=15"}, kReport);
    ASSERT_TRUE(report.options) << report.error;
    EXPECT_EQ(*report.options, (CommandLine{.simulateFolder = "samples", .slot = 15, .csv = true}));
}

TEST(CommandLineTest, SlotIsANumberFromZeroToFifteen) {
    EXPECT_EQ(Parse({"--slot", "0"}, kReport).options->slot, 0);
    for (const char* bad : {"16", "-1", "x", "3x", "+3", " 3", ""}) {
        EXPECT_EQ(ErrorOf({"--slot", bad}, kReport), "slot must be a number from 0 to 15, not \"" + std::string(bad) + "\"")
            << bad;
    }
    EXPECT_EQ(ErrorOf({"--slot"}, kReport), "--slot needs a value");
    EXPECT_EQ(ErrorOf({"--slot", "1", "--slot", "2"}, kReport), "--slot given twice");
    EXPECT_EQ(ErrorOf({"--csv"}, kReport), "--csv needs --slot N");
}

// --history prints one slot's kept samples, and nothing else with it.
TEST(CommandLineTest, HistoryIsOneSlotsOutputAlone) {
    EXPECT_TRUE(Parse({"--history", "--slot", "2"}, kReport).options->history);
    EXPECT_EQ(ErrorOf({"--history"}, kReport), "--history needs --slot N");
    EXPECT_EQ(ErrorOf({"--history", "--slot", "2", "--history"}, kReport), "--history given twice");
    for (const char* other : {"--csv", "--json", "--prometheus"})
        EXPECT_EQ(ErrorOf({"--history", "--slot", "2", other}, kReport), "--history cannot go with another output") << other;
    EXPECT_EQ(ErrorOf({"--history", "--slot", "2"}, {.slot = true}), "unknown option \"--history\"");
}

// One output at a time; --textfile DIR is the Prometheus output into a folder.
TEST(CommandLineTest, MachineOutputsChooseOneFormat) {
    EXPECT_EQ(Parse({"--json"}, kReport).options->machine, MachineOutput::Json);
    EXPECT_EQ(Parse({"--prometheus", "--slot", "3"}, kReport).options->machine, MachineOutput::Prometheus);
    const CommandLineResult textfile = Parse({"--textfile=/var/lib/x"}, kReport);
    EXPECT_EQ(textfile.options->machine, MachineOutput::Prometheus);
    EXPECT_EQ(textfile.options->textfileFolder, "/var/lib/x");
    EXPECT_EQ(Parse({"--prometheus", "--textfile", "d"}, kReport).options->textfileFolder, "d");
    EXPECT_FALSE(Parse({}, kReport).options->machine);

    EXPECT_EQ(ErrorOf({"--json"}), "unknown option \"--json\"");  // the window takes none of them
    EXPECT_EQ(ErrorOf({"--textfile", "d"}), "unknown option \"--textfile\"");
    EXPECT_EQ(ErrorOf({"--json", "--prometheus"}, kReport), "--json and --prometheus: only one of them, once");
    EXPECT_EQ(ErrorOf({"--json", "--json"}, kReport), "--json and --prometheus: only one of them, once");
    EXPECT_EQ(ErrorOf({"--json", "--textfile", "d"}, kReport), "--textfile writes the Prometheus format, not --json");
    EXPECT_EQ(ErrorOf({"--csv", "--slot", "0", "--json"}, kReport),
              "--csv cannot go with --json, --prometheus or --textfile");
    EXPECT_EQ(ErrorOf({"--textfile"}, kReport), "--textfile needs a folder");
    EXPECT_EQ(ErrorOf({"--textfile="}, kReport), "--textfile needs a folder");
    EXPECT_EQ(ErrorOf({"--textfile", "a", "--textfile", "b"}, kReport), "--textfile given twice");
}

}  // namespace
}  // namespace qm
