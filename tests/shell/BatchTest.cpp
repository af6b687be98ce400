// vantrel-batch: its command line, in-process, and the staged executable on
// the shipped sample raw data file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "BatchRunner.h"
#include "RecordingViewer.h"
#include "ShellTestFolder.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

using namespace shelltest;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

struct BatchOutput {
    int status;
    std::vector<std::string> out;  // lines of standard output
    std::string err;
};

BatchOutput runInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = vantrel::BatchRunner(out, err).run(args);
    BatchOutput result{status, {}, err.str()};
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) result.out.push_back(line);
    return result;
}

// Keeps the current folder for the test's life.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : m_old(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(m_old); }

private:
    fs::path m_old;
};

}  // namespace

TEST(Batch, WrongUsageExitsWithTwoAndTheUsageText) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--open"},
        {"--setup"},
        {"--setup", "RDX"},
        {"--target=", "raw.dat"},
        {"--colour", "raw.dat"},
        {"-x", "raw.dat"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const BatchOutput result = runInProcess(args);
        EXPECT_EQ(result.status, vantrel::BatchRunner::ExitUsage);
        EXPECT_TRUE(result.out.empty());
        EXPECT_THAT(result.err,
                    HasSubstr("Usage: vantrel-batch [--setup NAME] [--target DIR] [--open] RAWDATAFILE..."));
    }
    const BatchOutput help = runInProcess({"--help"});
    EXPECT_EQ(help.status, vantrel::BatchRunner::ExitSuccess);
    EXPECT_THAT(help.out.front(), StartsWith("Usage: vantrel-batch"));
}

TEST(Batch, BuildsEveryFileReportsFailuresAndGoesOn) {
    ShellTestFolder folder;
    const std::string first = folder.rawDataFile("First.dat");
    // A file of another kind where a raw data file was expected.
    const std::string failing = folder.write("Data/Failing.dat", "%PDF-1.7 not a setup\r\n").string();
    const std::string last = folder.rawDataFile("Last.dat");
    ASSERT_TRUE(platform::profile::writeEntry(last, "SetupData", "DriverName", "Driver C"));

    const BatchOutput result = runInProcess({"--target", folder.sheetsFolder(), first, failing, last});
    EXPECT_EQ(result.status, vantrel::BatchRunner::ExitSomeFailed);
    const fs::path sheets = folder.path() / "Sheets";
    EXPECT_EQ(result.out,
              (std::vector<std::string>{(sheets / ShellTestFolder::sheetName("Driver A", "RDX")).string(),
                                        (sheets / ShellTestFolder::sheetName("Driver C", "RDX")).string()}));
    for (const auto& line : result.out) EXPECT_TRUE(fs::exists(line)) << line;
    EXPECT_EQ(result.err, "Error: CSetupManager::BuildSetupSheet-The raw data file " + failing +
                              " is not a raw data file: it has no [SetupData] section\n");
}

TEST(Batch, TakesTheSetupNameAndDefaultsToTheCurrentFolder) {
    ShellTestFolder folder;
    folder.write("Config/Setup_Club.ini", setupIni("Club", "Mapping_Club.map"));
    const std::string raw = folder.rawDataFile();
    CurrentFolder here(folder.path() / "Sheets");

    const BatchOutput result = runInProcess({"--setup", "Club", raw});
    ASSERT_EQ(result.status, vantrel::BatchRunner::ExitSuccess) << result.err;
    ASSERT_EQ(result.out.size(), 1u);
    EXPECT_EQ(fs::path(result.out[0]), folder.path() / "Sheets" / ShellTestFolder::sheetName("Driver A", "Club"));
    EXPECT_TRUE(fs::exists(result.out[0]));
}

TEST(Batch, OneRawDataFileTwiceGivesTwoSheets) {
    ShellTestFolder folder;
    platform::process::setClockForTesting({});  // the real clock: names differ by time
    const std::string raw = folder.rawDataFile();
    const BatchOutput result = runInProcess({"--target", folder.sheetsFolder(), raw, raw});
    ASSERT_EQ(result.status, vantrel::BatchRunner::ExitSuccess) << result.err;
    ASSERT_EQ(result.out.size(), 2u);
    EXPECT_NE(result.out[0], result.out[1]);
    EXPECT_TRUE(fs::exists(result.out[0]));
    EXPECT_TRUE(fs::exists(result.out[1]));
}

namespace {

// A copy of the staged program folder with a registry of its own, so the
// shipped program runs exactly as installed without touching the build's.
class StagedCopy {
public:
    StagedCopy() {
        const fs::path stage = VANTREL_STAGE_DIR;
        for (const auto& entry : fs::recursive_directory_iterator(stage)) {
            const fs::path relative = fs::relative(entry.path(), stage);
            const std::string top = relative.begin()->string();
            if (top == "Logs" || top == "Mapping" || relative == "bin/Registry.ini" || relative == "vantrel" ||
                relative == "Data/SheetData.txt")
                continue;
            if (entry.is_directory()) fs::create_directories(root() / relative);
            else if (entry.is_regular_file()) fs::copy_file(entry.path(), root() / relative);
        }
        for (const char* sub : {"Logs", "Mapping", "out", "fakebin"}) fs::create_directories(root() / sub);
        EXPECT_EQ(std::system(("'" + (root() / "regsvr").string() + "' /s '" + lib("Logging.so") + "' '" +
                               lib("Quorrel.so") + "' '" + lib("PdfAutomation.so") + "'")
                                  .c_str()),
                  0);
    }
    const fs::path& root() const { return m_folder.path(); }

    // Runs vantrel-batch with the given environment settings and arguments.
    BatchOutput run(const std::string& environment, const std::string& arguments) const {
        const fs::path out = root() / "stdout.txt", err = root() / "stderr.txt";
        const std::string command = "cd '" + root().string() + "' && env " + environment + " './vantrel-batch' " +
                                    arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        BatchOutput result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {}, testsupport::TempProgramFolder::readFile(err)};
        std::istringstream lines(testsupport::TempProgramFolder::readFile(out));
        for (std::string line; std::getline(lines, line);) result.out.push_back(line);
        return result;
    }

private:
    std::string lib(const char* name) const { return (root() / name).string(); }
    testsupport::TempProgramFolder m_folder;
};

// Waits a few seconds at most for a file that a detached process writes.
std::string waitForFile(const fs::path& file) {
    for (int i = 0; i < 100 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return testsupport::TempProgramFolder::readFile(file);
}

}  // namespace

TEST(BatchProgram, BuildsTheShippedSampleIntoAFreshSheet) {
    StagedCopy copy;
    const BatchOutput result = copy.run("-u DISPLAY -u WAYLAND_DISPLAY",
                                        "--target '" + (copy.root() / "out").string() + "' Data/Sample_RDX.dat");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(result.out.size(), 1u);

    // The only sheet in the empty target folder, named after the sample's driver.
    const fs::path sheet = result.out[0];
    EXPECT_EQ(sheet.parent_path(), copy.root() / "out");
    EXPECT_THAT(sheet.filename().string(), StartsWith("Alex Brennan_SetupSheet_RDX_"));
    ASSERT_TRUE(fs::exists(sheet));
    EXPECT_EQ(ShellTestFolder::formFields(sheet).at("fldDriverName"), "Alex Brennan");
    EXPECT_THAT(testsupport::TempProgramFolder::readFile(copy.root() / "Logs" / "Vantrel.log"),
                HasSubstr(": CSetupManager::BuildSetupSheet-START PROCESSING\r\n"));
}

TEST(BatchProgram, ShowsTheSheetInTheViewerOnlyWhenAsked) {
    StagedCopy copy;
    const fs::path opened = copy.root() / "opened.txt";
    const fs::path fake = copy.root() / "fakebin" / "xdg-open";
    testsupport::writeRecordingViewer(fake, opened);
    const std::string environment = "DISPLAY=:99 PATH='" + (copy.root() / "fakebin").string() + "':\"$PATH\"";
    const std::string target = "--target '" + (copy.root() / "out").string() + "' ";

    const BatchOutput quiet = copy.run(environment, target + "Data/Sample_RDX.dat");
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(opened));

    const BatchOutput shown = copy.run(environment, "--open " + target + "Data/Sample_RDX.dat");
    ASSERT_EQ(shown.status, 0) << shown.err;
    ASSERT_EQ(shown.out.size(), 1u);
    EXPECT_EQ(waitForFile(opened), shown.out[0] + "\n");
}

namespace {

// What takes the place of a file the program reads.
enum class Bad { Folder, Pipe, DevNull, DevZero, Socket, Oversize };

void putInPlace(const fs::path& file, Bad kind) {
    fs::remove(file);
    fs::create_directories(file.parent_path());
    switch (kind) {
    case Bad::Folder: fs::create_directories(file); break;
    case Bad::Pipe: ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); break;
    case Bad::DevNull: fs::create_symlink("/dev/null", file); break;
    case Bad::DevZero: fs::create_symlink("/dev/zero", file); break;
    case Bad::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(file.string().size(), sizeof address.sun_path);
        std::strcpy(address.sun_path, file.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        break;
    }
    case Bad::Oversize:
        // Sparse: 17 MiB that take no room on disk.
        { std::ofstream(file) << "[SetupData]\r\n[Vantrel]\r\n[Setup]\r\n"; }
        fs::resize_file(file, 17 * 1024 * 1024);
        break;
    }
}

}  // namespace

TEST(BatchProgram, FilesThatAreNoFilesAreRefusedNamingTheFileAndWhy) {
    const char* folder = "it is a folder";
    const char* pipe = "it is a named pipe";
    const char* device = "it is a device";
    const char* socket = "it is a socket";
    const char* tooBig = "it is larger than 16 MiB (17825792 bytes)";
    const struct {
        const char* file;  // below the program folder
        Bad kind;
        const char* message;  // before the file's path
        const char* reason;   // after it, following " cannot be read: "
    } cases[] = {
        {"Data/Picked.dat", Bad::Folder, "The raw data file ", folder},
        {"Data/Picked.dat", Bad::Pipe, "The raw data file ", pipe},
        {"Data/Picked.dat", Bad::DevNull, "The raw data file ", device},
        {"Data/Picked.dat", Bad::DevZero, "The raw data file ", device},
        {"Data/Picked.dat", Bad::Socket, "The raw data file ", socket},
        {"Data/Picked.dat", Bad::Oversize, "The raw data file ", tooBig},
        {"bin/Vantrel.ini", Bad::Pipe, "The settings file ", pipe},
        {"bin/Vantrel.ini", Bad::Folder, "The settings file ", folder},
        {"bin/Vantrel.ini", Bad::Oversize, "The settings file ", tooBig},
        {"Config/Setup_RDX.ini", Bad::Pipe, "The setup file ", pipe},
        {"Config/Setup_RDX.ini", Bad::DevZero, "The setup file ", device},
        {"Config/Setup_RDX.ini", Bad::Oversize, "The setup file ", tooBig},
        {"Mapping/Picked.map", Bad::Pipe, "The mapping file ", pipe},
        {"Mapping/Picked.map", Bad::Folder, "The mapping file ", folder},
        {"Mapping/Picked.map", Bad::Socket, "The mapping file ", socket},
        // The data file is written before it is read: a pipe there must not
        // hang the write, and a device must not swallow the record.
        {"Data/SheetData.txt", Bad::Pipe, "Cannot write the sheet data file ", nullptr},
        {"Data/SheetData.txt", Bad::DevNull, "Cannot write the sheet data file ", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(int(c.kind)));
        StagedCopy copy;
        const fs::path bad = copy.root() / c.file;
        std::ofstream(copy.root() / "Data" / "Picked.dat") << "[SetupData]\r\nDriverName=Driver A\r\n";
        if (std::string(c.file).starts_with("Mapping/"))
            std::ofstream(copy.root() / "Config" / "Setup_RDX.ini")
                << "[Setup]\r\nSetupName=RDX\r\nMappingFile=Picked.map\r\nPDFTemplateSetupSheet=SetupSheet_RDX.pdf\r\n";
        putInPlace(bad, c.kind);

        // The batch program runs under timeout: a read that blocks fails the
        // test instead of hanging it.
        const BatchOutput result = copy.run("-u DISPLAY -u WAYLAND_DISPLAY timeout -k 2 30",
                                            "--target '" + (copy.root() / "out").string() + "' '" +
                                                (copy.root() / "Data" / "Picked.dat").string() + "'");
        ASSERT_NE(result.status, 124) << "the run did not end";
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.out.empty());
        std::string expected = "Error: CSetupManager::BuildSetupSheet-" + std::string(c.message) + bad.string();
        if (c.reason) expected += std::string(" cannot be read: ") + c.reason;
        EXPECT_EQ(result.err, expected + "\n");
        EXPECT_TRUE(fs::is_empty(copy.root() / "out")) << "a sheet was made";
        if (!std::string(c.file).starts_with("Data/SheetData"))
            EXPECT_FALSE(fs::exists(copy.root() / "Data" / "SheetData.txt")) << "the data file was written";
    }
}
