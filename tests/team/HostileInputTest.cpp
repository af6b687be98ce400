// A team mate's broken or hostile file costs nothing: each family of hostile
// input, made here and never kept in the tree, goes through every command
// that reads files (vantrel-batch --fields, --suggest-mapping, --extract,
// --import, --sync) and is refused at once with its reason, nothing written;
// a sheet swapped for a link between the team folder's listing and its read
// is never followed; names from outside never reach the terminal raw; a wrong
// installation is named before anything is written.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

#include "BatchRunner.h"
#include "HostileFiles.h"
#include "ShellTestFolder.h"
#include "ImportReaders.h"
#include "SetupReaders.h"
#include "TeamIntake.h"
#include "library/SetupLibrary.h"

namespace {

namespace fs = std::filesystem;
using shelltest::batch;
using shelltest::ShellTestFolder;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::uint64_t MiB = 1024 * 1024;

struct Installation : ShellTestFolder {
    Installation() {
        write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=Team\r\n");
        fs::create_directories(team());
    }
    fs::path team() const { return path() / "Team"; }
    std::size_t setups() {
        vantrel::library::SetupLibrary library((path() / "Data" / "Library.sqlite").string());
        return library.count();
    }
};

struct Hostile {
    const char* family;
    // Makes the file at the path given; answers the path to hand the commands.
    std::function<fs::path(const fs::path&)> make;
    const char* reason;  // in every command's refusal
    // --fields reads no attachment: what it says of a form that has none.
    const char* fieldsReason = nullptr;
    bool inTeam = true;    // a regular file that the team folder's scan lists
    bool imports = false;  // --import takes a folder's files: an empty one imports nothing
};

fs::path written(const fs::path& at, const std::string& bytes) {
    fs::create_directories(at.parent_path());
    std::ofstream(at, std::ios::binary) << bytes;
    return at;
}

std::string repeated(const std::string& word, std::size_t times) {
    std::string out;
    out.reserve(word.size() * times);
    for (std::size_t k = 0; k < times; ++k) out += word;
    return out;
}

const std::vector<Hostile>& hostileFiles() {
    static const std::vector<Hostile> table{
        {"an attached setup that inflates to 256 MiB",
         [](const fs::path& at) {
             return written(at, hostile::attachmentBomb(256 * MiB, at.stem().string() + ".dat"));
         },
         "the attached setup is larger than 16 MiB", "the document has no form fields"},
        {"an attachment of another name that inflates to 256 MiB",
         [](const fs::path& at) { return written(at, hostile::attachmentBomb(256 * MiB, "notes.dat")); },
         "the attached setup is larger than 16 MiB", "the document has no form fields"},
        {"packed objects that inflate to 256 MiB",
         [](const fs::path& at) { return written(at, hostile::packedObjectBomb(256 * MiB)); },
         "a stream of its packed objects inflates to more than 16 MiB"},
        {"packed objects with a filter that multiplies",
         [](const fs::path& at) { return written(at, hostile::packedObjectBomb(0, "/RunLengthDecode")); },
         "packed with a filter Vantrel does not read (/RunLengthDecode)"},
        {"a form of 20,000 fields", [](const fs::path& at) { return written(at, hostile::manyFields(20000)); },
         "the form has more than 10000 fields"},
        {"a field of 20,000 kids", [](const fs::path& at) { return written(at, hostile::manyKids(20000)); },
         "the form has more than 10000 fields"},
        {"a document of 100,000 pages", [](const fs::path& at) { return written(at, hostile::manyPages(100000)); },
         "the document has more than 10000 pages"},
        {"a field list of two million numbers",
         [](const fs::path& at) { return written(at, hostile::hugeArray(2000000)); },
         "an object of it is larger than 1 MiB"},
        // Words the engine's own scans look for, millions of times: the scans stay linear.
        {"two million \"obj\" words",
         [](const fs::path& at) { return written(at, "%PDF-1.7\n" + repeated(" obj", 2000000) + "\n%%EOF\n"); },
         "an object of it is larger than 1 MiB"},
        {"a million stream openings after packed objects",
         [](const fs::path& at) {
             return written(at, "%PDF-1.7\n1 0 obj << /Type /ObjStm /Filter /FlateDecode >>\n" +
                                    repeated("stream\n", 1000000) + "\n%%EOF\n");
         },
         "not a readable PDF"},
        {"a sparse file of 5 GB",
         [](const fs::path& at) {
             fs::create_directories(at.parent_path());
             const int fd = ::open(at.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
             EXPECT_GE(fd, 0);
             EXPECT_EQ(::write(fd, "%PDF-1.7\n", 9), 9);
             EXPECT_EQ(::ftruncate(fd, 5'000'000'000), 0);
             ::close(fd);
             return at;
         },
         "it is larger than"},
        {"a named pipe",
         [](const fs::path& at) {
             fs::create_directories(at.parent_path());
             EXPECT_EQ(::mkfifo(at.c_str(), 0644), 0);
             return at;
         },
         "it is a named pipe", nullptr, false},
        {"a folder",
         [](const fs::path& at) {
             fs::create_directories(at);
             return at;
         },
         "it is a folder", nullptr, false, true},
        {"/dev/zero", [](const fs::path&) { return fs::path("/dev/zero"); }, "it is a device", nullptr, false},
        {"/dev/urandom", [](const fs::path&) { return fs::path("/dev/urandom"); }, "it is a device", nullptr, false},
    };
    return table;
}

TEST(HostileInput, EveryCommandRefusesEachFamilyAtOnceWithItsReason) {
    for (const Hostile& row : hostileFiles()) {
        SCOPED_TRACE(row.family);
        Installation here;
        const fs::path file = row.make(here.team() / "Driver B" / "Driver B_SetupSheet_RDX_2026-12-06_090507.30.pdf");
        const std::string out = (here.path() / "Data" / "out.dat").string();

        const auto fields = batch({"--fields", file.string()});
        EXPECT_EQ(fields.status, 1);
        EXPECT_THAT(fields.err, HasSubstr(row.fieldsReason ? row.fieldsReason : row.reason)) << "--fields";
        const auto suggested = batch({"--suggest-mapping", file.string()});
        EXPECT_EQ(suggested.status, 1);
        EXPECT_THAT(suggested.err, HasSubstr(row.fieldsReason ? row.fieldsReason : row.reason)) << "--suggest-mapping";
        // --fields bounds a PDF at 256 MiB, the readers of setups at 16 MiB.
        const auto extract = batch({"--extract", file.string(), out});
        EXPECT_EQ(extract.status, 1);
        EXPECT_THAT(extract.err, HasSubstr(row.reason)) << "--extract";
        EXPECT_FALSE(fs::exists(out)) << "nothing written";
        const auto imported = batch({"--import", file.string()});
        if (row.imports) {
            EXPECT_EQ(imported.out, "Added: 0\nAlready there: 0\n");
        } else {
            EXPECT_EQ(imported.status, 1);
            EXPECT_THAT(imported.err, HasSubstr(row.reason)) << "--import";
        }

        // The team folder: passed over while it may still be arriving, then named once with why.
        EXPECT_EQ(batch({"--sync"}).status, 0);
        const auto again = batch({"--sync"});
        EXPECT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(again.out, "Added: 0\nAlready there: 0\n");
        if (row.inTeam) {
            EXPECT_THAT(again.err, HasSubstr(row.reason)) << "--sync";
        }
        EXPECT_EQ(here.setups(), 0u);
    }
}

// The sheet the sample raw data file gives, built by the real pipeline in the
// installation's Sheets folder, under another driver's name when asked.
fs::path builtSheet(Installation& at, const std::string& driver) {
    std::string raw = at.read("Data/" + fs::path(at.rawDataFile()).filename().string());
    const std::size_t name = raw.find("DriverName=");
    raw.replace(name, raw.find("\r\n", name) - name, "DriverName=" + driver);
    at.write("Data/" + driver + ".dat", raw);
    const auto built = batch({"--target", at.sheetsFolder(), (at.path() / "Data" / (driver + ".dat")).string()});
    EXPECT_EQ(built.status, 0) << built.err;
    return fs::path(at.sheetsFolder()) / ShellTestFolder::sheetName(driver, "RDX");
}

// Two sheets made in another installation, so that neither setup is in a
// library yet: a team mate's, and one outside the team folder.
struct TwoSheets {
    fs::path store = fs::temp_directory_path() / ("vantrel-outside-" + std::to_string(::getpid()));
    fs::path outside, inside;
    TwoSheets() {
        fs::create_directories(store);
        Installation elsewhere;
        elsewhere.write("bin/Vantrel.ini", shelltest::kSettings);
        outside = store / builtSheet(elsewhere, "Outsider").filename();
        inside = store / builtSheet(elsewhere, "Teammate").filename();
        fs::copy_file(fs::path(elsewhere.sheetsFolder()) / outside.filename(), outside);
        fs::copy_file(fs::path(elsewhere.sheetsFolder()) / inside.filename(), inside);
    }
    ~TwoSheets() { fs::remove_all(store); }
};

std::string driverOf(const vantrel::library::SetupEntry& entry) {
    return entry.values[std::size_t(vantrel::SetupField::DriverName)];
}

// A reader that swaps the sheet for a link to a sheet outside the team folder
// as it is asked (the moment a sync tool or an attacker could do it), then
// reads as the program's readers do.
class SwappingReader : public vantrel::library::SetupFileReader {
public:
    SwappingReader(fs::path outside, const vantrel::SetupTypeFolders& folders)
        : m_outside(std::move(outside)), m_real(vantrel::setupFileReader(folders, [] { return std::string("RDX"); })) {}
    bool claims(const fs::path& file) const override { return m_real->claims(file); }
    std::optional<vantrel::library::SetupEntry> read(const fs::path& file) const override {
        swap(file);
        return m_real->read(file);
    }
    std::optional<vantrel::library::SetupEntry> readBytes(const fs::path& file, std::string bytes) const override {
        swap(file);
        return m_real->readBytes(file, std::move(bytes));
    }

private:
    void swap(const fs::path& file) const {
        fs::remove(file);
        fs::create_symlink(m_outside, file);
    }
    fs::path m_outside;
    std::unique_ptr<vantrel::library::SetupFileReader> m_real;
};

TEST(HostileInput, TheReadersReadTheBytesOfTheOneOpenNeverThePathAgain) {
    const TwoSheets sheets;
    Installation here;
    const vantrel::SetupTypeFolders folders = vantrel::setupTypeFolders(vantrel::Installation::read(here.str()));
    // The registry of readers on the team mate's bytes, named by the other sheet's path.
    const auto read =
        vantrel::readSetupBytes(sheets.outside.string(), ShellTestFolder::readFile(sheets.inside), folders);
    EXPECT_EQ(read.values[std::size_t(vantrel::SetupField::DriverName)], "Teammate");

    // The intake, with the sheet swapped for a link between its open and the reader.
    fs::create_directories(here.team() / "Teammate");
    const fs::path sheet = here.team() / "Teammate" / sheets.inside.filename();
    fs::copy_file(sheets.inside, sheet);
    vantrel::library::SetupLibrary library((here.path() / "Data" / "Library.sqlite").string());
    const SwappingReader reader(sheets.outside, folders);
    const auto report = vantrel::team::syncTeamFolder(library, here.team().string(), reader);
    ASSERT_EQ(report.added.size(), 1u);
    std::vector<std::string> drivers;
    library.forEachSetup([&](const vantrel::library::StoredSetup& setup) { drivers.push_back(driverOf(setup)); });
    EXPECT_EQ(drivers, std::vector<std::string>{"Teammate"}) << "the setup of the sheet the scan opened, no other";
}

TEST(HostileInput, ASheetSwappedForALinkOrAPipeWhileSyncRunsIsNeverFollowed) {
    const TwoSheets sheets;
    const fs::path &store = sheets.store, &outside = sheets.outside, &inside = sheets.inside;
    Installation here;
    fs::create_directories(here.team() / "Teammate");
    const fs::path sheet = here.team() / "Teammate" / inside.filename();
    const fs::path link = here.team() / "Teammate" / ".swap";
    const fs::path pipe = here.team() / "Teammate" / ".pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);

    // Sheet, link to a sheet outside, pipe, sheet again, as fast as renames
    // go: the sheet comes back as a hard link of one copy, so that its size
    // and time stay those the scan listed.
    const fs::path stash = store / "stash.pdf", sheetTemp = here.team() / "Teammate" / ".sheet";
    fs::copy_file(inside, stash);
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (unsigned k = 0; !stop; ++k) {
            ::link(stash.c_str(), sheetTemp.c_str());
            ::rename(sheetTemp.c_str(), sheet.c_str());
            ::symlink(outside.c_str(), link.c_str());
            ::rename(link.c_str(), sheet.c_str());
            if (k % 2) {
                ::link(pipe.c_str(), link.c_str());
                ::rename(link.c_str(), sheet.c_str());
            }
        }
    });
    for (int run = 0; run < 200; ++run) {
        // A new time each run: the scan reads the sheet again rather than
        // knowing it by its size and time.
        const struct timespec times[2] = {{0, UTIME_NOW}, {1'700'000'000 + run, 0}};
        ::utimensat(AT_FDCWD, stash.c_str(), times, 0);
        const auto sync = batch({"--sync"});
        ASSERT_EQ(sync.status, 0) << sync.err;
    }
    stop = true;
    swapper.join();
    // Left standing as the sheet itself, it comes in.
    fs::remove(sheet);
    fs::copy_file(inside, sheet);
    for (int run = 0; run < 2; ++run) EXPECT_EQ(batch({"--sync"}).status, 0);

    vantrel::library::SetupLibrary library((here.path() / "Data" / "Library.sqlite").string());
    std::size_t outsiders = 0, teammates = 0;
    library.forEachSetup([&](const vantrel::library::StoredSetup& setup) {
        const std::string& driver = setup.values[std::size_t(vantrel::SetupField::DriverName)];
        outsiders += driver == "Outsider";
        teammates += driver == "Teammate";
    });
    EXPECT_EQ(outsiders, 0u) << "a setup from outside the team folder came in through a link";
    EXPECT_EQ(teammates, 1u) << "the sheet itself came in";
}

TEST(HostileInput, NamesFromTheTeamFolderCannotDriveTheTerminalOrForgeTheSummary) {
    Installation here;
    here.write("Team/Driver B/evil\x1b]0;PWNED\a\x1b[2J.pdf", "%PDF-1.7\nnot a sheet\n%%EOF\n");
    here.write("Team/Driver B/nl\nAdded: 999.pdf", "%PDF-1.7\nnot a sheet\n%%EOF\n");
    here.write("Team/Driver B/bad \xff\xfe.pdf", "%PDF-1.7\nnot a sheet\n%%EOF\n");
    batch({"--sync"});
    const auto sync = batch({"--sync"});
    EXPECT_EQ(sync.out, "Added: 0\nAlready there: 0\n");
    for (char raw : {'\x1b', '\a', '\xff'}) EXPECT_EQ(sync.err.find(raw), std::string::npos) << int(raw);
    EXPECT_THAT(sync.err, HasSubstr("evil\\x1b]0;PWNED\\x07\\x1b[2J.pdf"));
    EXPECT_THAT(sync.err, HasSubstr("nl\\nAdded: 999.pdf"));
    EXPECT_THAT(sync.err, HasSubstr("bad \\xff\\xfe.pdf"));
    EXPECT_THAT("\n" + sync.err, Not(HasSubstr("\nAdded: 999")));
}

struct InstallationCase {
    const char* name;
    std::function<void(Installation&)> arrange;
    std::vector<std::string> args;  // the raw data file is added to a build
    const char* error;
};

TEST(HostileInput, AWrongInstallationIsNamedBeforeAnythingIsWritten) {
    const std::vector<InstallationCase> table{
        {"a setup name that climbs out of the configuration folder",
         [](Installation&) {},
         {"--setup", "x/../../evil"},
         "BuildSetupSheet-The setup name \"x/../../evil\" is not the name of a setup type"},
        {"a setup name of two dots", [](Installation&) {}, {"--setup", ".."}, "is not the name of a setup type"},
        {"a setup name with an escape code",
         [](Installation&) {},
         {"--setup", "R\x1b[2JDX"},
         "The setup name \"R\\x1b[2JDX\""},
        {"a setup type that is not there",
         [](Installation&) {},
         {"--setup", "Nonexistent"},
         "BuildSetupSheet-There is no setup type \"Nonexistent\" ("},
        {"no settings file",
         [](Installation& at) { fs::remove(at.path() / "bin" / "Vantrel.ini"); },
         {},
         "Vantrel.ini is missing"},
        {"a settings file without its section",
         [](Installation& at) { at.write("bin/Vantrel.ini", "DataDirectory=Data\r\n"); },
         {},
         "it has no [Vantrel] section"},
    };
    for (const InstallationCase& row : table) {
        SCOPED_TRACE(row.name);
        Installation here;
        const std::string raw = here.rawDataFile();
        row.arrange(here);
        std::vector<std::string> before;
        for (const auto& entry : fs::recursive_directory_iterator(here.path())) before.push_back(entry.path());
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--target", here.sheetsFolder(), raw});
        const auto built = batch(args);
        EXPECT_EQ(built.status, 1);
        EXPECT_THAT(built.err, HasSubstr(row.error));
        std::vector<std::string> after;
        for (const auto& entry : fs::recursive_directory_iterator(here.path())) after.push_back(entry.path());
        EXPECT_EQ(after, before) << "nothing written";
    }
}

TEST(HostileInput, ATeamFolderInsideTheDataFolderIsRefusedAsOneHoldingItIs) {
    Installation here;
    here.write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=Data/sub\r\n");
    fs::create_directories(here.path() / "Data" / "sub");
    const auto sync = batch({"--sync"});
    EXPECT_EQ(sync.status, 1);
    EXPECT_THAT(sync.err, HasSubstr("lies inside the data folder"));
    // The sheet is made and kept all the same; it does not go out.
    const auto built = batch({"--target", here.sheetsFolder(), here.rawDataFile()});
    EXPECT_EQ(built.status, 0) << built.err;
    EXPECT_THAT(built.err, HasSubstr("Warning: The sheet was not put into the team folder: The team folder"));
    EXPECT_TRUE(fs::is_empty(here.path() / "Data" / "sub"));
}

TEST(HostileInput, AFolderSettingGivenWholeIsTakenAsItStands) {
    Installation here;
    const fs::path data = here.path() / "elsewhere" / "data";
    fs::create_directories(data);
    std::string settings = shelltest::kSettings;
    settings.replace(settings.find("DataDirectory=Data"), 18, "DataDirectory=" + data.string());
    here.write("bin/Vantrel.ini", settings);
    const auto built = batch({"--target", here.sheetsFolder(), here.rawDataFile()});
    EXPECT_EQ(built.status, 0) << built.err << built.out;
    EXPECT_TRUE(fs::exists(data / "Library.sqlite"));
    EXPECT_TRUE(fs::exists(data / "SheetData.txt"));
}

}  // namespace
