// The staged vantrel-batch as installed, in copies of the staged program
// folder: the shipped sample built, runs that overlap or are killed, files
// that are no files, forms other programs made. Linux only (left out of the
// Windows build in CMakeLists.txt): the copies are started through sh with
// env and timeout, stopped and killed by signals, and fed named pipes,
// sockets and links to devices.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <map>
#include <sstream>
#include <thread>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "BatchRunner.h"
#include "platform/Process.h"
#include "CSetupBase.h"
#include "OtherRunLock.h"
#include "RecordingViewer.h"
#include "ShellTestFolder.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

using namespace shelltest;
using testing::HasSubstr;
using testing::StartsWith;

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
        return BatchOutput::of(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testsupport::TempProgramFolder::readFile(out),
                               testsupport::TempProgramFolder::readFile(err));
    }

private:
    std::string lib(const char* name) const { return (root() / name).string(); }
    testsupport::TempProgramFolder m_folder;
};

// vantrel-batch of a staged copy, started and left running, without a
// display; standard output and error go to files named after the run.
class BatchProcess {
public:
    BatchProcess(const StagedCopy& copy, const std::string& name, const std::vector<std::string>& arguments)
        : m_out(copy.root() / (name + ".out")), m_err(copy.root() / (name + ".err")) {
        const std::string program = (copy.root() / "vantrel-batch").string();
        std::vector<std::string> args{program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string variable = *e;
            if (variable.rfind("DISPLAY=", 0) != 0 && variable.rfind("WAYLAND_DISPLAY=", 0) != 0)
                environment.push_back(variable);
        }
        std::vector<char*> envp;
        for (std::string& variable : environment) envp.push_back(variable.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, copy.root().c_str());
        posix_spawn_file_actions_addopen(&actions, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~BatchProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            finish();
        }
    }
    BatchProcess(const BatchProcess&) = delete;
    BatchProcess& operator=(const BatchProcess&) = delete;

    void signal(int signal) const {
        if (m_pid > 0) ::kill(m_pid, signal);
    }
    bool running() const { return m_pid > 0; }

    // Stops the process; false when it has ended instead.
    bool stop() {
        if (m_pid <= 0 || ::kill(m_pid, SIGSTOP) != 0) return false;
        int status = 0;
        if (::waitpid(m_pid, &status, WUNTRACED) != m_pid || WIFSTOPPED(status)) return m_pid > 0;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = -1;
        return false;
    }

    // Waits for the end, two minutes at most, and gives what it wrote.
    BatchOutput finish() {
        for (int i = 0; m_pid > 0 && i < 1200; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid && !WIFSTOPPED(status)) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                m_pid = -1;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (m_pid > 0) {
            ADD_FAILURE() << "vantrel-batch did not finish in two minutes";
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        return BatchOutput::of(m_status, testsupport::TempProgramFolder::readFile(m_out),
                               testsupport::TempProgramFolder::readFile(m_err));
    }

private:
    fs::path m_out, m_err;
    pid_t m_pid = -1;
    int m_status = -1;
};

// Waits a few seconds at most for a detached process to write a whole line to a file.
std::string waitForFile(const fs::path& file) {
    std::string text;
    for (int i = 0; i < 100; ++i) {
        if (fs::exists(file)) text = testsupport::TempProgramFolder::readFile(file);
        if (!text.empty() && text.back() == '\n') break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return text;
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

    // The viewer a quiet run would have started before it ended is there before the next run's.
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

// What qpdf itself sees of a PDF's form, as the lines --fields gives, in name order.
std::vector<std::string> fieldLinesByQpdf(const fs::path& pdfPath) {
    QPDF pdf;
    pdf.processFile(pdfPath.string().c_str());
    QPDFAcroFormDocumentHelper form(pdf);
    auto seen = testsupport::widgetsSeenByQpdf(pdf, form);
    std::vector<std::string> lines;
    for (auto& field : form.getFormFields()) {
        const std::string name = field.getFullyQualifiedName();
        const bool combo = field.getFlags() & (1 << 17);
        const std::string kind = field.isText()          ? "text"
                                 : field.isCheckbox()    ? "checkbox"
                                 : field.isRadioButton() ? "radiobutton"
                                 : field.isPushbutton()  ? "button"
                                 : field.isChoice()      ? (combo ? "combobox" : "listbox")
                                                         : "signature";
        std::string line = name + "\t" + kind + "\t" + std::to_string(seen[name].firstPage);
        if (kind == "checkbox" || kind == "radiobutton") line += "\t" + seen[name].onStates;
        lines.push_back(line);
    }
    // qpdf counts a radio group once per button.
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
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
        else expected += ": it is not a regular file";
        EXPECT_EQ(result.err, expected + "\n");
        EXPECT_TRUE(fs::is_empty(copy.root() / "out")) << "a sheet was made";
        if (!std::string(c.file).starts_with("Data/SheetData")) {
            EXPECT_FALSE(fs::exists(copy.root() / "Data" / "SheetData.txt")) << "the data file was written";
        }
    }
}

// Runs that overlap share the sheet data file and the mapping file between
// writing them and filling the sheet: each waits for the others, and every
// sheet holds the setup of its own driver.
TEST(BatchProgram, OverlappingRunsEachFillTheirOwnSetup) {
    StagedCopy copy;
    constexpr int kRuns = 3, kDrivers = 2, kRounds = 2;
    std::vector<std::vector<std::string>> drivers(kRuns);  // the driver of each sheet a run prints
    std::vector<std::unique_ptr<BatchProcess>> runs;
    std::vector<std::vector<std::string>> arguments(kRuns);
    for (int r = 0; r < kRuns; ++r) {
        arguments[r] = {"--target", (copy.root() / "out").string()};
        std::vector<std::string> files;
        for (int d = 0; d < kDrivers; ++d) {
            const std::string driver = "Driver " + std::to_string(r) + std::to_string(d);
            const fs::path file = copy.root() / "Data" / (driver + ".dat");
            fs::copy_file(copy.root() / "Data" / "Sample_RDX.dat", file);
            ASSERT_TRUE(platform::profile::writeEntry(file.string(), "SetupData", "DriverName", driver));
            ASSERT_TRUE(platform::profile::writeEntry(file.string(), "SetupData", "EventName", "Event of " + driver));
            ASSERT_TRUE(platform::profile::writeEntry(file.string(), "SetupData", "Notes", "Notes of " + driver));
            files.push_back(file.string());
        }
        for (int round = 0; round < kRounds; ++round)
            for (int d = 0; d < kDrivers; ++d) {
                arguments[r].push_back(files[d]);
                drivers[r].push_back("Driver " + std::to_string(r) + std::to_string(d));
            }
    }
    for (int r = 0; r < kRuns; ++r)
        runs.push_back(std::make_unique<BatchProcess>(copy, "run" + std::to_string(r), arguments[r]));

    for (int r = 0; r < kRuns; ++r) {
        SCOPED_TRACE("run " + std::to_string(r));
        ASSERT_TRUE(runs[r]->running());
        const BatchOutput result = runs[r]->finish();
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        ASSERT_EQ(result.out.size(), drivers[r].size());
        for (std::size_t i = 0; i < result.out.size(); ++i) {
            const std::string& driver = drivers[r][i];
            SCOPED_TRACE(result.out[i]);
            EXPECT_THAT(fs::path(result.out[i]).filename().string(), StartsWith(driver + "_SetupSheet_RDX_"));
            const auto fields = ShellTestFolder::formFields(result.out[i]);
            EXPECT_EQ(fields.at("fldDriverName"), driver);
            EXPECT_EQ(fields.at("fldRaceEvent"), "Event of " + driver);
            EXPECT_EQ(fields.at("fldNotes"), "Notes of " + driver);
        }
    }
}

// The lock lives in an open descriptor only: a run killed in the middle of a
// sheet leaves nothing that keeps the next run waiting.
TEST(BatchProgram, ARunKilledWhileBuildingLeavesNoLockBehind) {
    StagedCopy copy;
    std::vector<std::string> arguments = {"--target", (copy.root() / "out").string()};
    for (int i = 0; i < 200; ++i) arguments.push_back("Data/Sample_RDX.dat");
    BatchProcess run(copy, "killed", arguments);
    ASSERT_TRUE(run.running());

    // Stopped, the run either holds the lock or not; it is killed holding it.
    bool killedHoldingTheLock = false;
    for (int i = 0; i < 5000 && !killedHoldingTheLock && run.stop(); ++i) {
        if (testsupport::OtherRunLock::isTaken()) {
            run.signal(SIGKILL);
            killedHoldingTheLock = true;
        } else {
            run.signal(SIGCONT);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    }
    run.signal(SIGCONT);
    run.finish();
    ASSERT_TRUE(killedHoldingTheLock);
    EXPECT_FALSE(testsupport::OtherRunLock::isTaken());

    const BatchOutput next = copy.run("-u DISPLAY -u WAYLAND_DISPLAY",
                                      "--target '" + (copy.root() / "out").string() + "' Data/Sample_RDX.dat");
    EXPECT_EQ(next.status, 0);
    EXPECT_EQ(next.err, "");
    ASSERT_EQ(next.out.size(), 1u);
    EXPECT_EQ(ShellTestFolder::formFields(next.out[0]).at("fldDriverName"), "Alex Brennan");
}

TEST(BatchProgram, FieldsListsWhatQpdfSeesInFormsOfThreeProducers) {
    StagedCopy copy;
    const fs::path data = fs::path(VANTREL_TEST_DATA_DIR) / "pdfauto";
    for (const fs::path& pdf :
         {copy.root() / "Templates" / "SetupSheet_RDX.pdf", data / "LatexForm.pdf", data / "WriterForm.pdf"}) {
        SCOPED_TRACE(pdf.string());
        const BatchOutput result = copy.run("-u DISPLAY", "--fields '" + pdf.string() + "'");
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        std::vector<std::string> lines = result.out;
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, fieldLinesByQpdf(pdf));
        EXPECT_GE(lines.size(), 5u);
    }
}
// stands as a setup type's mapping file, fills the club's sheet.
TEST(BatchProgram, SuggestedMappingSavedAsItStandsFillsTheClubSheet) {
    StagedCopy copy;
    const fs::path club = fs::path(VANTREL_TEST_DATA_DIR) / "setuptype" / "ClubSetupSheet.pdf";
    const BatchOutput suggested = copy.run("-u DISPLAY", "--suggest-mapping '" + club.string() + "'");
    ASSERT_EQ(suggested.status, 0) << suggested.err;
    std::string mapping;
    for (const std::string& line : suggested.out) {
        EXPECT_TRUE(line.ends_with('\r')) << line;  // CR LF, as Quorrel reads a mapping file
        mapping += line + "\n";
    }
    EXPECT_THAT(mapping, StartsWith("1=Driver Name\r\n2=Track City\r\n3=Race Event\r\n4=Race Date\r\n"));
    for (const char* line : {"\n93=Setup comments\r\n", "\n111=Qualifying\r\n", "\n112=Finish\r\n"})
        EXPECT_NE(mapping.find(line), std::string::npos) << line;
    EXPECT_EQ(suggested.out.size(), 24u);  // all 25 but the check box "Wet"

    fs::copy_file(club, copy.root() / "Templates" / "SetupSheet_Riverside.pdf");
    std::ofstream(copy.root() / "Mapping" / "Riverside.map", std::ios::binary) << mapping;
    std::ofstream(copy.root() / "Config" / "Setup_Riverside.ini", std::ios::binary)
        << "[Setup]\r\nSetupName=Riverside\r\nMappingFile=Riverside.map\r\n"
           "PDFTemplateSetupSheet=SetupSheet_Riverside.pdf\r\n";
    const BatchOutput built = copy.run("-u DISPLAY", "--setup Riverside --target out Data/Sample_RDX.dat");
    ASSERT_EQ(built.status, 0) << built.err;
    ASSERT_EQ(built.out.size(), 1u);
    const auto fields = ShellTestFolder::formFields(copy.root() / built.out[0]);
    const auto sample = testsupport::TempProgramFolder::readFile(copy.root() / "Data" / "Sample_RDX.dat");
    for (const char* name : {"Driver Name", "Setup comments", "Qualifying", "Finish"}) {
        EXPECT_FALSE(fields.at(name).empty()) << name;
        EXPECT_NE(sample.find(fields.at(name)), std::string::npos) << name << ": " << fields.at(name);
    }
}

// Drivers whose names Windows would refuse as a file's: the real program
// makes sheet names that Windows takes, by the same rule on Linux, and the
// sheet and the library keep the driver's name as the racer wrote it.
TEST(BatchProgram, DriversNamedLikeDevicesGetSheetNamesWindowsTakes) {
    StagedCopy copy;
    const std::string sample = testsupport::TempProgramFolder::readFile(copy.root() / "Data" / "Sample_RDX.dat");
    ASSERT_NE(sample.find("DriverName=Alex Brennan\r\n"), std::string::npos);
    const std::pair<std::string, std::string> drivers[] = {
        {"CON", "CON_SetupSheet_RDX_"},
        {"nul.7", "nul_.7_SetupSheet_RDX_"},
        {"Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m", "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m_SetupSheet_RDX_"},
        {"Pit: A/B?", "Pit_ A_B__SetupSheet_RDX_"},
    };
    std::string arguments = "--target '" + (copy.root() / "out").string() + "'";
    for (std::size_t i = 0; i < std::size(drivers); ++i) {
        std::string raw = sample;
        raw.replace(raw.find("DriverName=Alex Brennan"), 23, "DriverName=" + drivers[i].first);
        const fs::path file = copy.root() / "Data" / ("driver" + std::to_string(i) + ".dat");
        std::ofstream(file, std::ios::binary) << raw;
        arguments += " '" + file.string() + "'";
    }
    const BatchOutput built = copy.run("-u DISPLAY -u WAYLAND_DISPLAY", arguments);
    ASSERT_EQ(built.status, 0) << built.err;
    ASSERT_EQ(built.out.size(), std::size(drivers)) << built.err;
    const BatchOutput exported =
        copy.run("-u DISPLAY -u WAYLAND_DISPLAY", "--export-csv '" + (copy.root() / "library.csv").string() + "'");
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string csv = testsupport::TempProgramFolder::readFile(copy.root() / "library.csv");
    for (std::size_t i = 0; i < std::size(drivers); ++i) {
        const auto& [driver, start] = drivers[i];
        SCOPED_TRACE(driver);
        const fs::path sheet = built.out[i];
        EXPECT_EQ(sheet.parent_path(), copy.root() / "out");
        EXPECT_THAT(sheet.filename().string(), StartsWith(start));
        ASSERT_TRUE(fs::is_regular_file(sheet));
        EXPECT_EQ(ShellTestFolder::formFields(sheet).at("fldDriverName"), driver);
        // The library's row: the sheet, then the driver as written.
        EXPECT_NE(csv.find("\"" + sheet.string() + "\",\"" + driver + "\","), std::string::npos);
    }
}
