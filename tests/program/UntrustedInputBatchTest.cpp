// The shipped vantrel-batch on what strangers write, in program folders of
// their own: a team mate's names, notes and values reach the terminal
// escaped; a settings file that is empty or missing stops every command
// before it writes; numbers past their range in a team mate's run file are
// refused with why. Every hostile file is made here, by the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "BatchProgramFolder.h"
#include "SetupFile.h"
#include "TeamFolder.h"
#include "library/SetupLibrary.h"
#include "platform/Text.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using batchtest::BatchRun;
using vantrel::SetupField;

// The shell's quoting of one argument, whatever bytes it holds.
std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (const char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// What in bytes a terminal would act on rather than show: empty when nothing.
std::string terminalHazard(const std::string& bytes) {
    if (!platform::text::isValidUtf8(bytes)) return "bytes that are not UTF-8";
    for (const char32_t c : platform::text::toUtf32(bytes))
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F || (c >= 0x80 && c <= 0x9F) ||
            (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069))
            return "U+" + std::to_string(unsigned(c)) + " (decimal)";
    return {};
}

std::size_t tabsIn(const std::string& line) { return std::size_t(std::count(line.begin(), line.end(), '\t')); }

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

class StrangersFolder : public batchtest::BatchProgramFolder {
public:
    explicit StrangersFolder(bool withTeam = true) {
        if (!withTeam) return;
        std::string ini = readFile(path() / "bin" / "Vantrel.ini");
        fs::remove(path() / "bin" / "Vantrel.ini");
        write("bin/Vantrel.ini", ini + "TeamFolder=Team\r\n");
        fs::create_directories(path() / "Team");
    }
    vantrel::Setup setupOf(const std::string& driver, const std::string& event, const std::string& oil) const {
        vantrel::Setup v;
        v[std::size_t(SetupField::DriverName)] = driver;
        v[std::size_t(SetupField::TrackCity)] = "Lostock";
        v[std::size_t(SetupField::EventName)] = event;
        v[std::size_t(SetupField::EventDate)] = "2026-06-14";
        v[std::size_t(SetupField::FrontShockOil)] = oil;
        return v;
    }
    // A team mate's run file, as a stranger put it into a folder of the team
    // folder named after them; where the system takes no such name (Windows
    // takes no control characters), in the folder their runs are given.
    void teamRuns(const std::string& driver, const std::string& name, const std::string& text) const {
        try {
            write("Team/" + driver + "/" + name + ".vrun", text);
        } catch (const fs::filesystem_error&) {
            write("Team/" + vantrel::team::folderNameFor(driver) + "/" + name + ".vrun", text);
        }
    }
    std::vector<vantrel::runs::StoredRun> storedRuns() const {
        vantrel::library::SetupLibrary library((path() / "Data" / "Library.sqlite").string());
        return vantrel::runs::trackRuns(library, "");
    }
    // Every file below the folder with its size and time of change, but the output the run left.
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot() const {
        std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> out;
        for (const auto& entry : fs::recursive_directory_iterator(path())) {
            const std::string name = fs::relative(entry.path(), path()).string();
            if (name == "stdout.txt" || name == "stderr.txt") continue;
            out[name] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
        }
        return out;
    }
};

vantrel::runs::RunEntry teamRun(const std::string& uid, const vantrel::Setup& values) {
    vantrel::runs::RunEntry run;
    run.uid = uid;
    run.name = "Heat " + uid;
    run.created = "2026-06-14T10:00:00+02:00";
    run.values = values;
    run.laps = {{12500, true}, {12600, true}};
    return run;
}

struct HostileText {
    const char* what;
    std::string text;
    std::string shown;  // as the terminal must get it
};

const HostileText kHostileTexts[] = {
    {"a clear-screen escape", "\x1b[2J", "\\x1b[2J"},
    {"a window-title escape", "\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},
    {"a right-to-left override",
     "abc\xe2\x80\xae"
     "fdp.exe",
     "abc\\u202efdp.exe"},
    {"a bidi isolate", "\xe2\x81\xa6x\xe2\x81\xa9", "\\u2066x\\u2069"},
    {"a C1 control sequence",
     "\xc2\x9b"
     "31m",
     "\\x9b31m"},
    {"a delete and a bell", "a\x7f\x07", "a\\x7f\\x07"},
    {"tabs and line breaks", "a\tb\r\nc", "a\\tb\\r\\nc"},
};

}  // namespace

// Each text in a team mate's driver, event, run name, note and a changed
// value, and in the racer's own run: every command prints it escaped, one
// cell in its place, and nothing a terminal acts on.
TEST(UntrustedInputBatch, ATeamMatesTextReachesTheTerminalEscaped) {
    for (const HostileText& hostile : kHostileTexts) {
        SCOPED_TRACE(hostile.what);
        StrangersFolder folder;
        const std::string h = hostile.text;
        const vantrel::Setup before = folder.setupOf("Al " + h, "Cup " + h, "30");
        const vantrel::Setup after = folder.setupOf("Al " + h, "Cup " + h, "35" + h);
        auto first = teamRun("a1", before), second = teamRun("a2", after);
        first.name = "Heat " + h;
        first.note = second.note = h;
        first.position = "3" + h;
        second.laps = {{12400, true}};
        folder.teamRuns("Al " + h, "one", vantrel::runs::runsFileText({first, second}));
        // The racer's own: a raw data file's values cannot hold a line break.
        std::string own = h;
        std::replace_if(
            own.begin(), own.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        vantrel::writeSetupFile((folder.path() / "mine.dat").string(), folder.setupOf("Jo " + own, "Cup " + own, own));
        // The laps file named with the text too, where the system takes such a
        // name (Windows takes no control characters in file names).
        std::string laps = "laps " + own + ".txt";
        std::error_code refused;
        if (!fs::exists(folder.write(laps, "12.100\nDNF " + own + "\n12.200\n"), refused)) {
            laps = "laps.txt";
            folder.write(laps, "12.100\nDNF " + own + "\n12.200\n");
        }

        const std::string logRun = "--log-run " + quoted("Final " + h) + " mine.dat --laps " +
                                   quoted(std::string(laps)) + " --note " + quoted(h);
        const std::pair<std::string, std::size_t> commands[] = {
            {"--sync", 0}, {logRun, 1}, {"--runs Lostock", 12}, {"--paid-off Lostock", 16}, {"--history Lostock", 5}};
        for (const auto& [command, tabs] : commands) {
            SCOPED_TRACE(command);
            const BatchRun run = folder.run(command);
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(terminalHazard(run.out), "") << run.out;
            EXPECT_EQ(terminalHazard(run.err), "") << run.err;
            for (const std::string& line : linesOf(run.out)) EXPECT_EQ(tabsIn(line), tabs) << line;
        }
        const BatchRun runs = folder.run("--runs Lostock --driver " + quoted("Al " + h));
        const auto lines = linesOf(runs.out);
        ASSERT_EQ(lines.size(), 2u) << runs.out;
        EXPECT_EQ(lines[0].rfind("2026-06-14\tAl " + hostile.shown + "\tCup " + hostile.shown + "\t1\tHeat " +
                                     hostile.shown + "\t2\t",
                                 0),
                  0u)
            << lines[0];
        EXPECT_NE(lines[0].find("\t3" + hostile.shown + "\t"), std::string::npos) << lines[0];
        EXPECT_NE(lines[1].find("\tFront Shocks Oil 30 → 35" + hostile.shown), std::string::npos) << lines[1];
        // What was stored is the team mate's text as it came: only the printing escapes it.
        const auto stored = folder.storedRuns();
        EXPECT_TRUE(std::any_of(stored.begin(), stored.end(), [&](const auto& r) { return r.name == "Heat " + h; }));
    }
}

// A settings file that a failed save or a sync left empty, or took away:
// every command that reads or writes the library, the team folder or a
// sheet refuses, naming the file and what is wrong, and writes nothing.
TEST(UntrustedInputBatch, AnEmptyOrMissingSettingsFileStopsEveryCommandBeforeItWrites) {
    struct Settings {
        const char* what;
        const char* bytes;  // nullptr: no file; "/": a folder in its place
        const char* problem;
    };
    const Settings kSettings[] = {
        {"missing", nullptr, "is missing"},
        {"empty", "", "is not a settings file: it has no [Vantrel] section"},
        {"blank lines", "\r\n\r\n  \r\n", "is not a settings file: it has no [Vantrel] section"},
        {"another program's", "[Other]\r\nDataDirectory=Data\r\n",
         "is not a settings file: it has no [Vantrel] section"},
        {"a folder", "/", "cannot be read"},
    };
    const char* const kCommands[] = {
        "--log-run 'Practice 9' mine.dat --laps laps.txt",
        "--export-csv out.csv",
        "--runs Lostock",
        "--paid-off --all",
        "--history Lostock",
        "--last Lostock last.dat",
        "--import mine.dat",
        "--sync",
        "--extract sheet.pdf out.dat",
        "mine.dat",
    };
    for (const Settings& settings : kSettings) {
        SCOPED_TRACE(settings.what);
        StrangersFolder folder;
        vantrel::writeSetupFile((folder.path() / "mine.dat").string(), folder.setupOf("Jo Smith", "Summer Cup", "30"));
        folder.write("laps.txt", "12.100\n12.200\n");
        // The real library, with a run in it, before the settings go.
        ASSERT_EQ(folder.run("--log-run 'Practice 1' mine.dat --laps laps.txt").status, 0);
        const fs::path ini = folder.path() / "bin" / "Vantrel.ini";
        fs::remove(ini);
        if (settings.bytes && std::string(settings.bytes) == "/") fs::create_directory(ini);
        else if (settings.bytes) folder.write("bin/Vantrel.ini", settings.bytes);
        const auto untouched = folder.snapshot();

        for (const char* command : kCommands) {
            SCOPED_TRACE(command);
            const BatchRun run = folder.run(command);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err.rfind("Error: ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find("The settings file " + ini.string() + " " + settings.problem), std::string::npos)
                << run.err;
            const auto now = folder.snapshot();
            for (const auto& [name, digest] : now)
                EXPECT_TRUE(untouched.count(name) && untouched.at(name) == digest) << name << " written";
            for (const auto& [name, digest] : untouched) EXPECT_TRUE(now.count(name)) << name << " gone";
        }
        // What needs no settings still answers.
        for (const char* command : {"--help", "--version"}) EXPECT_EQ(folder.run(command).status, 0) << command;
    }
}

// Numbers in a team mate's run file past their range are refused with why,
// the file taking nothing in; those within are taken exactly as written.
TEST(UntrustedInputBatch, NumbersPastTheirRangeInARunFileAreRefusedWithWhy) {
    struct Case {
        const char* key;
        std::string value;
        const char* why;  // nullptr: taken
    };
    std::vector<Case> cases = {
        {"Run.Laps", "18446744073709564961 36893488147419115617", "lap 1, 18446744073709564961 ms"},
        {"Run.Laps", "9223372036854775808", "lap 1, 9223372036854775808 ms, is not a lap time"},
        {"Run.Laps", "12500 3600000", "lap 2, 3600000 ms, is not a lap time: a lap is shorter than an hour"},
        {"Run.Laps", "12500 3599999 -13000", nullptr},
        {"Run.Laps", "12500 0", "lap 2 is 0 ms long"},
        {"Run.Laps", "12500 - 12600", "lap 2, \"-\", is not a number of milliseconds"},
        {"Run.Laps", "12500 12a", "lap 2, \"12a\", is not a number of milliseconds"},
        {"Run.Laps", "+12500", "lap 1, \"+12500\", is not a number of milliseconds"},
        {"Run.Laps", "--12500", "lap 1, \"--12500\", is not a number of milliseconds"},
        {"Run.Laps", std::string(100001 * 2, ' '), nullptr},
        {"Run.Position", "4294967297", "position \"4294967297\" is no place (1 to 999)"},
        {"Run.Position", "0", "position \"0\" is no place"},
        {"Run.Position", "P1000", "position \"P1000\" is no place"},
        {"Run.Position", "3rd", nullptr},
        {"Run.Position", "DNF", nullptr},
        {"Run.TrackTemp", "1e400", "track temperature \"1e400\" is no temperature (-60 to 150)"},
        {"Run.TrackTemp", "18446744073709564961", "track temperature \"18446744073709564961\" is no temperature"},
        {"Run.AirTemp", "-300 C", "air temperature \"-300 C\" is no temperature"},
        {"Run.TrackTemp", "31 °C", nullptr},
    };
    // 100,001 laps of a millisecond each: one lap past what a run holds.
    for (std::size_t k = 0; k < 100001; ++k) cases[9].value[2 * k] = '1';
    cases[9].why = "it holds more than 100000 laps";
    // Laps of random lengths of digits: taken when they are below an hour, else refused.
    std::mt19937_64 random(38);
    for (int k = 0; k < 24; ++k) {
        std::string digits(1 + random() % 30, '0');
        for (char& d : digits) d = char('0' + random() % 10);
        digits[0] = char('1' + random() % 9);
        const bool taken = digits.size() < 7 || (digits.size() == 7 && digits < "3600000");
        cases.push_back({"Run.Laps", digits, taken ? nullptr : "is not a lap time: a lap is shorter than an hour"});
    }

    StrangersFolder folder;
    const vantrel::Setup values = folder.setupOf("Al Brown", "Summer Cup", "30");
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const std::string text = vantrel::runs::runsFileText({teamRun("u" + std::to_string(k), values)});
        const std::size_t at = text.find(std::string(cases[k].key) + "=");
        const std::size_t end = text.find("\r\n", at);
        folder.teamRuns("Al Brown", "case " + std::to_string(k),
                        text.substr(0, at) + cases[k].key + "=" + cases[k].value + text.substr(end));
    }
    const BatchRun sync = folder.run("--sync");
    ASSERT_EQ(sync.status, 0) << sync.err;
    const auto stored = folder.storedRuns();
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(std::string(c.key) + "=" + c.value.substr(0, 60));
        const std::string file =
            (folder.path() / "Team" / "Al Brown" / ("case " + std::to_string(k) + ".vrun")).string();
        const auto errLines = linesOf(sync.err);
        const auto refusal = std::find_if(errLines.begin(), errLines.end(), [&](const std::string& l) {
            return l.rfind("Cannot take " + file + ": it is no file of runs (", 0) == 0;
        });
        const auto run =
            std::find_if(stored.begin(), stored.end(), [&](const auto& r) { return r.uid == "u" + std::to_string(k); });
        if (!c.why) {
            EXPECT_TRUE(refusal == errLines.end()) << *refusal;
            ASSERT_NE(run, stored.end()) << "not taken";
            if (std::string(c.key) == "Run.Laps") {
                EXPECT_EQ(vantrel::runs::lapsToText(run->laps), c.value);
            } else if (std::string(c.key) == "Run.Position") {
                EXPECT_EQ(run->position, c.value);
            } else if (std::string(c.key) == "Run.TrackTemp") {
                EXPECT_EQ(run->trackTemp, c.value);
            }
            continue;
        }
        EXPECT_EQ(run, stored.end()) << "taken with " << vantrel::runs::lapsToText(run->laps).substr(0, 60);
        ASSERT_NE(refusal, errLines.end()) << sync.err.substr(0, 4000);
        EXPECT_NE(refusal->find(c.why), std::string::npos) << *refusal;
    }

    // The racer's own run is held to the same ranges.
    vantrel::writeSetupFile((folder.path() / "mine.dat").string(), values);
    const auto before = folder.storedRuns().size();
    for (const char* option : {"--position 4294967297", "--track-temp 1e400", "--air-temp -300"}) {
        const BatchRun logged = folder.run(std::string("--log-run Heat mine.dat ") + option);
        EXPECT_EQ(logged.status, 1) << option;
        EXPECT_EQ(logged.err.rfind("Error: Cannot log the run: its ", 0), 0u) << logged.err;
    }
    EXPECT_EQ(folder.storedRuns().size(), before) << "a run recorded";
}
