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
    EXPECT_EQ(rows[0], header);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::vector<std::string> expected = {entries[i].created, entries[i].setupType, entries[i].sheet};
        for (const auto& v : entries[i].values) expected.push_back(platform::text::decode8Bit(v));
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
        {"a row without setup type", "SetupType" + keys + "\n" + row, 1, "v0", ""},
        {"a key missing", "SetupType;DriverName\nRDX;x\n", 0, "", "no column TrackCity"},
        {"no setup type", keys.substr(1) + "\n" + row.substr(1) + "\n", 0, "", "no column SetupType"},
        {"a quote never closed", "SetupType" + keys + "\nRDX;\"open" + row, 0, "", "never closed"},
        {"empty", "", 0, "", "empty"},
    };
    for (const auto& c : cases) {
        std::string whyNot;
        const auto setups = readCsv(c.text, whyNot);
        if (*c.whyNot) {
            EXPECT_FALSE(setups) << c.name;
            EXPECT_NE(whyNot.find(c.whyNot), std::string::npos) << c.name << ": " << whyNot;
            continue;
        }
        ASSERT_TRUE(setups) << c.name << ": " << whyNot;
        ASSERT_EQ(setups->size(), c.setups) << c.name;
        const CsvSetup& first = setups->front();
        EXPECT_EQ(first.entry.values[std::size_t(vantrel::SetupField::DriverName)], c.firstValue) << c.name;
        EXPECT_TRUE(first.entry.created.empty()) << c.name;  // the importer gives the file's time
        if (std::string(c.name) == "a row without setup type") {
            EXPECT_EQ(first.problem, "row 2 names no SetupType");
        } else {
            EXPECT_EQ(first.problem, "") << c.name;
        }
    }
    // Rows count as a spreadsheet counts them, blank lines and broken ones too.
    std::string whyNot;
    const auto counted =
        readCsv("SetupType" + keys + "\n\nRDX" + row + "\nRDX;\"two\nlines\"" + row.substr(3) + "\nRDX" + row, whyNot);
    ASSERT_TRUE(counted);
    std::vector<std::size_t> rows;
    for (const auto& s : *counted) rows.push_back(s.row);
    EXPECT_EQ(rows, (std::vector<std::size_t>{3, 4, 6}));
    EXPECT_EQ(counted->at(1).entry.values[0], "two\nlines");
}
