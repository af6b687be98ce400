// The setup library through vantrel-batch: every built sheet's setup is kept,
// exported as CSV with its exact values, imported into another installation
// once, and a library file that is not ours costs a warning, never the sheet.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BatchRunner.h"
#include "CAppSettings.h"
#include "ShellTestFolder.h"

namespace {

namespace fs = std::filesystem;
using shelltest::ShellTestFolder;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using Output = shelltest::BatchRun;
using shelltest::batch;

using Values = std::vector<std::string>;

// Values a racer might type: letters, digits, blanks inside, commas, quotes,
// accented letters; never a line break, blanks at the ends or enclosing
// quotes, which a raw data file does not keep.
Values randomSetup(std::mt19937& random) {
    static const std::vector<std::string> pieces = {"a", "Z", "7",  " ", ",", "\"", ";",
                                                    "é", "Ü", "mm", "-", ".", "=",  "'"};
    Values values(vantrel::SetupFieldCount);
    for (std::string& value : values) {
        const int length = std::uniform_int_distribution<int>(0, 12)(random);
        for (int i = 0; i < length; ++i) value += pieces[random() % pieces.size()];
        while (!value.empty() && value.back() == ' ') value.pop_back();
        while (!value.empty() && value.front() == ' ') value.erase(0, 1);
        if (!value.empty() && (value.front() == '"' || value.front() == '\'')) value.insert(0, "x");
    }
    values[std::size_t(vantrel::SetupField::DriverName)] += "Driver" + std::to_string(random() % 100000);
    return values;
}

std::string rawDataFile(const Values& values) {
    std::string text = "[SetupData]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += std::string(vantrel::SetupFieldKeys[i]) + "=" + values[i] + "\r\n";
    return text;
}

// RFC 4180: rows of fields, quoted fields with doubled quotes, CR LF line ends.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field), field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(field), field.clear();
            rows.push_back(row), row.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && row.empty()) << "the last row has no line end";
    return rows;
}

// The 73 values of each data row, by driver name.
std::map<std::string, Values> setupsInCsv(const std::string& csv) {
    const auto rows = parseCsv(csv);
    std::map<std::string, Values> setups;
    if (rows.empty()) return setups;
    // Created, SetupType, Sheet, the values and TextMark: a value that begins with "'" has one more before it.
    EXPECT_EQ(rows[0].size(), 4 + vantrel::SetupFieldCount);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].size(), 4 + vantrel::SetupFieldCount);
        EXPECT_EQ(rows[r][1], "RDX");
        Values values(rows[r].begin() + 3, rows[r].end() - 1);
        for (std::string& v : values)
            if (v.starts_with('\'')) v.erase(0, 1);
        setups[values[0]] = values;
    }
    return setups;
}

TEST(BatchLibrary, EveryRunIsKeptExportedExactlyAndImportedOnce) {
    std::mt19937 random(20261208);
    std::map<std::string, Values> built;
    std::vector<std::string> rawFiles;
    // A folder of this run's own: a name drawn from the fixed seed would be
    // shared by every run of the test at once, and by a run that died.
    fs::path carried;
    for (std::random_device fresh; carried.empty() || !fs::create_directory(carried);)
        carried = fs::temp_directory_path() / ("vantrel-carried-" + std::to_string(fresh()));
    std::string exported;
    {
        ShellTestFolder folder;
        for (int i = 0; i < 4; ++i) {
            const Values setup = randomSetup(random);
            built[setup[0]] = setup;
            const fs::path file = carried / ("setup" + std::to_string(i) + ".dat");
            std::ofstream(file, std::ios::binary) << rawDataFile(setup);
            rawFiles.push_back(file.string());
        }
        const Output run = batch([&] {
            std::vector<std::string> args{"--target", folder.sheetsFolder()};
            args.insert(args.end(), rawFiles.begin(), rawFiles.end());
            return args;
        }());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "") << "no warning when the library is written";

        // The sheets go along to the other installation.
        fs::copy(folder.sheetsFolder(), carried / "sheets", fs::copy_options::recursive);
        const fs::path csv = carried / "library.csv";
        ASSERT_EQ(batch({"--export-csv", csv.string()}).status, 0);
        exported = ShellTestFolder::readFile(csv);
        EXPECT_THAT(exported, StartsWith("\"Created\",\"SetupType\",\"Sheet\",\"DriverName\","));
        EXPECT_EQ(setupsInCsv(exported), built);
    }
    {
        ShellTestFolder fresh;
        const fs::path csv = carried / "again.csv";
        // The sheets give their setups; the sheets again, or the raw data files
        // they were built from, give nothing more.
        Output imported = batch({"--import", (carried / "sheets").string()});
        EXPECT_EQ(imported.status, 0) << imported.err;
        EXPECT_THAT(imported.out, HasSubstr("Added: 4\nAlready there: 0\n"));
        imported = batch({"--import", (carried / "sheets").string(), rawFiles[0], rawFiles[1]});
        EXPECT_EQ(imported.status, 0) << imported.err;
        EXPECT_THAT(imported.out, HasSubstr("Added: 0\nAlready there: 6\n"));
        ASSERT_EQ(batch({"--export-csv", csv.string()}).status, 0);
        EXPECT_EQ(setupsInCsv(ShellTestFolder::readFile(csv)), built);

        // A file that is no setup is named, and the exit status says so.
        const Output wrong = batch({"--import", (fresh.path() / "bin" / "Vantrel.ini").string()});
        EXPECT_EQ(wrong.status, 1);
        EXPECT_THAT(wrong.err, HasSubstr("Vantrel.ini"));

        // A file a reader takes but cannot read: one line naming it once, and why.
        const struct {
            const char* name;
            std::string bytes;
        } broken[] = {{"cut.pdf", "%PDF-1.7\n%%EOF\n"}, {"huge.dat", std::string(17 << 20, 'x')}};
        for (const auto& b : broken) {
            const std::string file = (fresh.path() / b.name).string();
            fresh.write(b.name, b.bytes);
            const Output refused = batch({"--import", file});
            EXPECT_EQ(refused.status, 1);
            EXPECT_THAT(refused.err, StartsWith("Cannot read " + file + ": ")) << refused.err;
            std::size_t named = 0;
            for (std::size_t at = refused.err.find(file); at != std::string::npos; at = refused.err.find(file, at + 1))
                ++named;
            EXPECT_EQ(named, 1u) << refused.err;
        }
    }
    fs::remove_all(carried);
}

TEST(BatchLibrary, ALibraryFileThatIsNotOursIsKeptAndTheSheetStillStands) {
    for (const std::string& bytes : {std::string("not a database at all\n"), std::string(4096, '\x5a')}) {
        ShellTestFolder folder;
        folder.write("Data/Library.sqlite", bytes);
        const Output run = batch({"--target", folder.sheetsFolder(), folder.rawDataFile()});
        EXPECT_EQ(run.status, 0);
        ASSERT_THAT(run.out, HasSubstr(".pdf"));
        EXPECT_TRUE(fs::exists(run.out.substr(0, run.out.size() - 1)));
        EXPECT_THAT(run.err, StartsWith("Warning: The setup was not kept in the setup library: "));
        EXPECT_THAT(run.err, HasSubstr("Library.sqlite"));
        EXPECT_EQ(folder.read("Data/Library.sqlite"), bytes) << "the racer's file was changed";
        EXPECT_THAT(folder.read("Logs/Run.log"), HasSubstr("The setup was not kept in the setup library"));
    }
}

TEST(BatchLibrary, LibraryFileNamesAnotherFileInTheDataFolder) {
    ShellTestFolder folder;
    folder.write("bin/Vantrel.ini", folder.read("bin/Vantrel.ini") + "LibraryFile=Season2026.sqlite\r\n");
    ASSERT_EQ(batch({"--target", folder.sheetsFolder(), folder.rawDataFile()}).status, 0);
    EXPECT_TRUE(fs::exists(folder.path() / "Data" / "Season2026.sqlite"));
    EXPECT_FALSE(fs::exists(folder.path() / "Data" / "Library.sqlite"));
}

}  // namespace
