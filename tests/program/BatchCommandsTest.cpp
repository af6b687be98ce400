// vantrel-batch's commands as the registry lists them: each in --help and in
// the manual page with its options, and one parser that reads every
// command's options alike and refuses alike what it does not know.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

#include "BatchCommand.h"
#include "BatchRunner.h"
#include "platform/Process.h"

namespace {

using vantrel::batch::Command;
using vantrel::batch::CommandLine;
using vantrel::batch::commands;

std::string manualPage() {
    std::ifstream in(VANTREL_BATCH_MANUAL_PAGE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string page = text.str();
    // roff writes a minus sign as \-.
    for (std::size_t at; (at = page.find("\\-")) != std::string::npos;) page.replace(at, 2, "-");
    return page;
}

std::string section(const std::string& page, const std::string& name) {
    const std::size_t start = page.find("\n.SH " + name + "\n");
    if (start == std::string::npos) return {};
    const std::size_t end = page.find("\n.SH ", start + 1);
    return page.substr(start, end - start);
}

// The first option word on each line after ".TP" in the manual page's OPTIONS.
std::set<std::string> manualEntries(const std::string& options) {
    std::set<std::string> entries;
    std::istringstream lines(options);
    bool next = false;
    for (std::string line; std::getline(lines, line);) {
        if (next) {
            const std::size_t at = line.find("--");
            if (at != std::string::npos) entries.insert(line.substr(at, line.find_first_of(" \"", at) - at));
        }
        next = line == ".TP";
    }
    return entries;
}

// The options --help lists on lines of their own.
std::set<std::string> helpEntries(const std::string& help) {
    std::set<std::string> entries;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("  --")) entries.insert(line.substr(2, line.find(' ', 2) - 2));
    return entries;
}

struct BatchRun {
    int status;
    std::string out, err;
};

BatchRun runInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status =
        vantrel::BatchRunner(out, err, vantrel::Installation::read(platform::process::programFolder())).run(args);
    return {status, out.str(), err.str()};
}

std::vector<std::string> commandWithOperands(const Command& command) {
    std::vector<std::string> args;
    if (!command.name.empty()) args.emplace_back(command.name);
    // At least one where the command takes any: --paid-off takes a track or --all.
    const std::size_t count = std::min(std::max<std::size_t>(command.minOperands, 1), command.maxOperands);
    for (std::size_t i = 0; i < count; ++i) args.push_back("operand" + std::to_string(i));
    return args;
}

TEST(BatchCommands, EveryCommandAndItsOptionsAreInTheHelpAndTheManualPage) {
    if (std::string_view(VANTREL_BATCH_MANUAL_PAGE).empty())
        GTEST_SKIP() << "this build makes no manual page (the Linux build's program is checked against it)";
    const std::string help = vantrel::BatchRunner::usage();
    const std::string page = manualPage();
    ASSERT_FALSE(page.empty()) << VANTREL_BATCH_MANUAL_PAGE;
    const std::string synopsis = section(page, "SYNOPSIS");
    const std::set<std::string> listedInHelp = helpEntries(help);
    const std::set<std::string> listedInPage = manualEntries(section(page, "OPTIONS"));
    ASSERT_GE(commands().size(), 14u);
    for (const Command* command : commands()) {
        SCOPED_TRACE(command->name.empty() ? "the build" : std::string(command->name));
        for (const std::string_view usage : command->usage) {
            const std::string firstLine(usage.substr(0, usage.find('\n')));
            EXPECT_NE(help.find("vantrel-batch " + firstLine + "\n"), std::string::npos) << usage;
        }
        if (!command->name.empty()) {
            const std::string name(command->name);
            EXPECT_TRUE(listedInHelp.contains(name)) << "--help has no line of its own for it";
            EXPECT_TRUE(listedInPage.contains(name)) << "the manual page's OPTIONS have no entry for it";
            EXPECT_NE(synopsis.find(name), std::string::npos) << "the manual page's SYNOPSIS lacks it";
        }
        for (const auto& option : command->options) {
            const std::string name(option.name);
            EXPECT_NE(help.find(name), std::string::npos) << name << " is not in --help";
            EXPECT_NE(synopsis.find(name), std::string::npos) << name << " is not in the manual page's SYNOPSIS";
            EXPECT_NE(section(page, "OPTIONS").find(name), std::string::npos)
                << name << " is not in the manual page's OPTIONS";
        }
    }
    for (const char* common : {"--help", "--version"}) {
        EXPECT_TRUE(listedInHelp.contains(common)) << common;
        EXPECT_TRUE(listedInPage.contains(common)) << common;
    }
}

// The page's synopsis, its fonts taken off, is each command's usage as
// --help gives it, one .SY block a usage, in the commands' order.
TEST(BatchCommands, TheManualPagesSynopsisIsTheUsageOfEveryCommand) {
    if (std::string_view(VANTREL_BATCH_MANUAL_PAGE).empty())
        GTEST_SKIP() << "this build makes no manual page (the Linux build's program is checked against it)";
    std::vector<std::string> expected;
    for (const Command* command : commands())
        for (const std::string_view form : command->usage) {
            std::string usage(form);
            std::replace(usage.begin(), usage.end(), '\n', ' ');
            expected.push_back("vantrel-batch" + (usage.empty() ? "" : " " + usage));
        }
    std::vector<std::string> shown;
    std::istringstream lines(section(manualPage(), "SYNOPSIS"));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(".SY ")) shown.push_back(line.substr(4));
        else if (line.empty() || line.starts_with(".")) continue;
        else {
            ASSERT_FALSE(shown.empty()) << line;
            for (const char* font : {"\\fB", "\\fI", "\\fR"})
                for (std::size_t at; (at = line.find(font)) != std::string::npos;) line.erase(at, 3);
            shown.back() += " " + line;
        }
    }
    EXPECT_EQ(shown, expected);
}

// Wherever the unknown option stands, each command refuses it in one form,
// with the usage, and runs nothing.
TEST(BatchCommands, AnUnknownOptionOfEachCommandGivesTheSameErrorForm) {
    const std::string usage = vantrel::BatchRunner::usage();
    for (const Command* command : commands()) {
        const std::vector<std::string> args = commandWithOperands(*command);
        const std::string with = command->name.empty() ? "" : " with " + std::string(command->name);
        for (std::size_t at = 0; at <= args.size(); ++at) {
            std::vector<std::string> line = args;
            line.insert(line.begin() + std::ptrdiff_t(at), "--no-such-option");
            SCOPED_TRACE(testing::PrintToString(line));
            const BatchRun run = runInProcess(line);
            EXPECT_EQ(run.status, vantrel::BatchRunner::ExitUsage);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, "vantrel-batch: unknown option --no-such-option" + with + "\n" + usage);
        }
    }
}

// Every option of every command reads alike: --name VALUE as --name=VALUE,
// a value missing at the end said, "--" ending the options.
TEST(BatchCommands, EveryOptionOfEveryCommandIsReadAlike) {
    for (const Command* command : commands())
        for (const auto& option : command->options) {
            const std::string name(option.name);
            SCOPED_TRACE((command->name.empty() ? "the build" : std::string(command->name)) + " " + name);
            const std::vector<std::string> args = commandWithOperands(*command);
            auto parse = [&](std::vector<std::string> extra, CommandLine& line, std::string& error) {
                std::vector<std::string> all = args;
                all.insert(all.end(), extra.begin(), extra.end());
                return vantrel::batch::parseCommandLine(all, line, error);
            };
            CommandLine line;
            std::string error;
            if (option.value.empty()) {
                // --paid-off's --all stands for its track: the line may be refused, the switch is read.
                parse({name}, line, error);
                EXPECT_TRUE(line.arguments.has(name)) << error;
                EXPECT_FALSE(error.starts_with("unknown option")) << error;
                CommandLine withValue;
                EXPECT_FALSE(parse({name + "=1"}, withValue, error));
                EXPECT_EQ(error, "unknown option " + name + "=1" +
                                     (command->name.empty() ? "" : " with " + std::string(command->name)));
                continue;
            }
            // A value the command accepts, so that only the reading is judged.
            const std::string value = name == "--origin" ? "own" : "v a=l";
            CommandLine apart, joined;
            ASSERT_TRUE(parse({name, value}, apart, error)) << error;
            ASSERT_TRUE(parse({name + "=" + value}, joined, error)) << error;
            EXPECT_EQ(apart.arguments.value(name), value);
            EXPECT_EQ(joined.arguments.values, apart.arguments.values);
            EXPECT_EQ(joined.arguments.operands, apart.arguments.operands);
            EXPECT_EQ(apart.command, command);

            CommandLine missing;
            EXPECT_FALSE(parse({name}, missing, error));
            EXPECT_EQ(error, name + " needs a value");

            if (command->maxOperands > args.size() - (command->name.empty() ? 0 : 1)) {
                CommandLine ended;
                ASSERT_TRUE(parse({"--", name}, ended, error)) << error;
                EXPECT_FALSE(ended.arguments.has(name));
                EXPECT_EQ(ended.arguments.operands.back(), name);
            }
        }
}

TEST(BatchCommands, TwoCommandsOnOneLineAreRefusedByName) {
    for (const Command* first : commands())
        for (const Command* second : commands()) {
            if (first == second || first->name.empty() || second->name.empty()) continue;
            std::vector<std::string> args = commandWithOperands(*first);
            args.emplace_back(second->name);
            CommandLine line;
            std::string error;
            EXPECT_FALSE(vantrel::batch::parseCommandLine(args, line, error)) << testing::PrintToString(args);
            EXPECT_EQ(error,
                      std::string(first->name) + " and " + std::string(second->name) + " cannot be given together");
        }
}

}  // namespace
