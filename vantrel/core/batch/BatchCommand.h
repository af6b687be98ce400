#pragma once
// A command of vantrel-batch: its switch, its usage, its options with their
// help and their manual page entries, and what it runs. Each command is
// defined in a file of its own (…Command.cpp); commands() lists them in the
// order --help and the manual page show them, and the one parser
// (parseCommandLine) reads every command line against them.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class Installation;

namespace batch {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitSomeFailed = 1;
inline constexpr int ExitUsage = 2;

// An option beyond the command's own switch: one with a value placeholder
// takes a value (--name VALUE or --name=VALUE), one without is a switch.
struct Option {
    std::string_view name;
    std::string_view value;
    bool mayBeEmpty = true;
};

// A line of --help: the option's (or command's) form, then what it does;
// a line break in either goes on at the text's column.
struct HelpEntry {
    std::string_view term;
    std::string_view text;
};

struct Arguments {
    std::vector<std::string> operands;
    std::map<std::string, std::string, std::less<>> values;  // "--laps" -> FILE; a switch -> ""
    bool has(std::string_view option) const { return values.find(option) != values.end(); }
    std::string value(std::string_view option, std::string_view otherwise = {}) const;
};

struct Context {
    const Installation& installation;
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    std::string_view name;                // "--last"; empty for the build, which has no switch
    std::vector<std::string_view> usage;  // after "vantrel-batch "; a line break goes on under the first
    std::vector<HelpEntry> help;
    // The manual page's OPTIONS entries (roff, each from ".TP") of the
    // command and the options of its own; a leading line break is dropped.
    std::string_view manual;
    std::vector<Option> options;
    std::size_t minOperands = 0, maxOperands = 0;
    std::string_view operandsError;  // the usage error when the operands do not fit
    // A further usage error of a parsed command line (empty: none).
    std::function<std::string(const Arguments&)> usageProblem;
    std::function<int(const Arguments&, Context&)> run;
};

const Command& buildCommand();
const Command& fieldsCommand();
const Command& suggestMappingCommand();
const Command& extractCommand();
const Command& exportCsvCommand();
const Command& importCommand();
const Command& syncCommand();
const Command& lastCommand();
const Command& historyCommand();
const Command& logRunCommand();
const Command& editRunCommand();
const Command& deleteRunCommand();
const Command& runsCommand();
const Command& paidOffCommand();

// Every command, the build first, in the order of --help.
const std::vector<const Command*>& commands();
// The options every command takes, with their help: --version and --help.
const std::vector<HelpEntry>& commonHelp();

struct CommandLine {
    const Command* command = nullptr;
    Arguments arguments;
    bool help = false;
    bool version = false;
};
// False, with the reason in error, for a command line that cannot be run.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// "Usage: …", what the program does and every option: --help's text.
std::string usageText();

// The manual page (roff) made from its frame: the comment line
// `.\" usage of every command` becomes every command's usage, and
// `.\" options of every command` every command's entries, then those of the
// options several commands share, --version and --help.
std::string manualPage(std::string_view frame);

// Runs body: a failure becomes one "Error: " line (naming file, when given,
// for a failure that does not name it) and status 1.
int reportingErrors(std::ostream& err, const std::function<int()>& body, const std::string& file = {});

}  // namespace batch
}  // namespace vantrel
