#include "BatchCommand.h"

#include <algorithm>
#include <ostream>

#include "platform/Error.h"
#include "platform/Text.h"

namespace vantrel::batch {

std::string Arguments::value(std::string_view option, std::string_view otherwise) const {
    const auto found = values.find(option);
    return std::string(found != values.end() ? std::string_view(found->second) : otherwise);
}

const std::vector<const Command*>& commands() {
    static const std::vector<const Command*> all = {
        &buildCommand(),   &fieldsCommand(),    &suggestMappingCommand(), &extractCommand(), &exportCsvCommand(),
        &importCommand(),  &syncCommand(),      &lastCommand(),           &historyCommand(), &logRunCommand(),
        &editRunCommand(), &deleteRunCommand(), &runsCommand(),           &paidOffCommand()};
    return all;
}

const std::vector<HelpEntry>& commonHelp() {
    static const std::vector<HelpEntry> entries = {
        {"--version", "show the version, and those of qpdf and SQLite it runs with"}, {"--help", "show this text"}};
    return entries;
}

namespace {

bool names(const Command& command, std::string_view arg) {
    return !command.name.empty() &&
           (arg == command.name || (arg.starts_with(command.name) && arg.substr(command.name.size()).starts_with('=')));
}

// The command a command line runs: the first argument before "--" that names one.
const Command& chosenCommand(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        for (const Command* command : commands())
            if (names(*command, arg)) return *command;
    }
    return buildCommand();
}

void appendIndented(std::string& text, std::string_view lines, std::string_view indent) {
    for (std::size_t at = 0;;) {
        const std::size_t end = lines.find('\n', at);
        text += lines.substr(at, end - at);
        if (end == std::string_view::npos) return;
        text += "\n";
        text += indent;
        at = end + 1;
    }
}

void appendHelp(std::string& text, const HelpEntry& entry) {
    constexpr std::size_t column = 21;
    text += "  ";
    text += entry.term;
    // A form that leaves no two spaces before the column has its text on the next line.
    if (entry.term.find('\n') == std::string_view::npos && 2 + entry.term.size() + 2 <= column)
        text += std::string(column - 2 - entry.term.size(), ' ');
    else text += "\n" + std::string(column, ' ');
    appendIndented(text, entry.text, std::string(column, ' '));
    text += "\n";
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    error.clear();
    const Command& command = chosenCommand(args);
    line.command = &command;
    Arguments& parsed = line.arguments;
    const std::string with = command.name.empty() ? std::string() : " with " + std::string(command.name);
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        if (arg == "--version") {
            line.version = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        // --fields=PDF and the like give the first operand in the switch.
        if (names(command, arg)) {
            if (eq != std::string::npos) parsed.operands.push_back(arg.substr(eq + 1));
            continue;
        }
        if (const auto other =
                std::find_if(commands().begin(), commands().end(), [&](const Command* c) { return names(*c, arg); });
            other != commands().end()) {
            error = std::string(command.name) + " and " + std::string((*other)->name) + " cannot be given together";
            return false;
        }
        const auto option = std::find_if(command.options.begin(), command.options.end(),
                                         [&](const Option& o) { return o.name == name; });
        if (option == command.options.end() || (option->value.empty() && eq != std::string::npos)) {
            error = "unknown option " + arg + with;
            return false;
        }
        if (option->value.empty()) {
            parsed.values[name];
            continue;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " needs a value";
            return false;
        }
        if (value.empty() && !option->mayBeEmpty) {
            error = name + " needs a value";
            return false;
        }
        parsed.values[name] = value;
    }
    if (line.help || line.version) return true;
    const std::size_t n = parsed.operands.size();
    if (n < command.minOperands || n > command.maxOperands) {
        error = command.operandsError;
        return false;
    }
    if (command.usageProblem) error = command.usageProblem(parsed);
    return error.empty();
}

std::string usageText() {
    std::string text;
    for (const Command* command : commands())
        for (const std::string_view usage : command->usage) {
            text += text.empty() ? "Usage: vantrel-batch " : "       vantrel-batch ";
            appendIndented(text, usage, std::string(21, ' '));
            text += "\n";
        }
    text +=
        "Builds one setup sheet from each raw data file and prints the sheet's path;\n"
        "with --fields, lists the form fields of a PDF (name, kind, page, on states).\n";
    for (const Command* command : commands())
        for (const HelpEntry& entry : command->help) appendHelp(text, entry);
    for (const HelpEntry& entry : commonHelp()) appendHelp(text, entry);
    return text;
}

namespace {

// The entries of the options several commands share, and of --version and
// --help, after the commands' own.
constexpr std::string_view kSharedManual = R"roff(
.TP
.BI \-\-driver\-column " NAME"
With
.B \-\-laps
(of
.B \-\-log-run
or
.BR \-\-edit-run ):
the lap file's column of that driver, named by its header or by the
driver's name (either order, an initial, case and accents folded); without
it, the column of the setup's Driver Name.
.TP
.BI \-\-driver " NAME"
With
.BR \-\-last ,
.BR \-\-history ,
.B \-\-runs
and
.BR \-\-paid-off :
only the setups (runs) of that driver.
.TP
.B \-\-version
Show the version of vantrel-batch, and those of qpdf and SQLite it runs with.
.TP
.B \-\-help
Show the usage and the options.
)roff";

std::string_view withoutLeadingBreak(std::string_view text) { return text.starts_with('\n') ? text.substr(1) : text; }

std::string roffEscaped(std::string_view word) {
    std::string text;
    for (const char c : word) text += c == '-' ? std::string("\\-") : std::string(1, c);
    return text;
}

// A usage as a synopsis (.SY, whose lines go on indented under the first
// word): options and literal values bold, placeholders (words with a capital)
// italic, brackets, bars and "..." roman.
std::string roffUsage(std::string_view usage) {
    std::string line = ".SY vantrel\\-batch\n";
    for (std::size_t at = 0; at < usage.size();) {
        const char c = usage[at];
        if (c == '\n') {
            line += ' ';
            ++at;
            continue;
        }
        if (c == '[' || c == ']' || c == '|' || c == ' ') {
            line += c;
            ++at;
            continue;
        }
        std::size_t end = usage.find_first_of("[]| \n", at);
        if (end == std::string_view::npos) end = usage.size();
        std::string_view word = usage.substr(at, end - at);
        at = end;
        const bool more = word.ends_with("...");
        if (more) word.remove_suffix(3);
        const bool placeholder = !word.starts_with("--") &&
                                 std::any_of(word.begin(), word.end(), [](char k) { return k >= 'A' && k <= 'Z'; });
        line += (placeholder ? "\\fI" : "\\fB") + roffEscaped(word) + "\\fR";
        if (more) line += "...";
    }
    return line + "\n.YS\n";
}

}  // namespace

std::string manualPage(std::string_view frame) {
    std::string synopsis, options;
    for (const Command* command : commands()) {
        for (const std::string_view usage : command->usage) {
            synopsis += roffUsage(usage);
        }
        options += withoutLeadingBreak(command->manual);
    }
    options += withoutLeadingBreak(kSharedManual);
    std::string page;
    for (std::size_t at = 0; at < frame.size();) {
        std::size_t end = frame.find('\n', at);
        end = end == std::string_view::npos ? frame.size() : end + 1;
        const std::string_view line = frame.substr(at, end - at);
        if (line == ".\\\" usage of every command\n") page += synopsis;
        else if (line == ".\\\" options of every command\n") page += options;
        else page += line;
        at = end;
    }
    return page;
}

int reportingErrors(std::ostream& err, const std::function<int()>& body, const std::string& file) {
    try {
        return body();
    } catch (const platform::Error& e) {
        err << platform::errorLine(e) << std::endl;
    } catch (const std::exception& e) {
        err << platform::errorLine(e) << (file.empty() ? "" : " (" + platform::text::printable(file) + ")")
            << std::endl;
    }
    return ExitSomeFailed;
}

}  // namespace vantrel::batch
