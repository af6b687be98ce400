// The trigram index finds what the scan of every setup's search text finds:
// over generated libraries (recorded, corrected in place, removed) and
// generated queries (pieces of the setups' own text, words of awkward
// characters, one and two characters that the index cannot take), the
// library's answer is the scan's; and a library of the version before gets
// the index built in place with nothing lost.
#include <gtest/gtest.h>

#include <random>
#include <sqlite3.h>

#include "LibraryTestSupport.h"
#include "SetupSearch.h"
#include "library/SearchFold.h"
#include "library/SetupLibrary.h"

using namespace librarytest;
using vantrel::library::SetupLibrary;
namespace search = vantrel::library::search;

namespace {

// The setups that the scan alone finds, newest first, as matchingIds orders them.
std::vector<std::int64_t> scanned(const std::string& path, const std::string& query) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const std::vector<std::string> words = search::wordsOf(query);
    const std::string sql = "SELECT s.id FROM setup s JOIN setup_search t ON t.setup_id = s.id WHERE 1" +
                            search::condition(words, 1) + " ORDER BY s.created_utc DESC, s.id DESC";
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK);
    for (std::size_t w = 0; w < words.size(); ++w)
        sqlite3_bind_text(s, int(w) + 1, words[w].data(), int(words[w].size()), SQLITE_TRANSIENT);
    std::vector<std::int64_t> out;
    while (sqlite3_step(s) == SQLITE_ROW) out.push_back(sqlite3_column_int64(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
}

std::string awkwardWord(std::mt19937& rng) {
    static const char* const kPool[] = {"\"",   "\"\"", "a\"b", "*",   "zür*", "(x)", "NEAR", "AND", "OR",
                                        "NOT",  "-1",   "^ab",  "a:b", "łó",   "€ 1", "ça",   "99",  "€",
                                        "x\ry", "  ",   "rou",  "und", "lon",  "ong", "ort",  "deg"};
    return kPool[std::uniform_int_distribution<std::size_t>(0, std::size(kPool) - 1)(rng)];
}

// A query of one to three pieces: of a setup's own search text (any length,
// any place), or awkward words.
std::string queryFor(std::mt19937& rng, const std::vector<std::string>& texts) {
    std::string query;
    const int pieces = std::uniform_int_distribution<int>(1, 3)(rng);
    for (int p = 0; p < pieces; ++p) {
        if (!query.empty()) query += ' ';
        if (texts.empty() || rng() % 3 == 0) {
            query += awkwardWord(rng);
            continue;
        }
        const std::string& text = texts[rng() % texts.size()];
        const std::size_t at = rng() % text.size(), length = 1 + rng() % 8;
        query += text.substr(at, length);
    }
    return query;
}

}  // namespace

TEST(SearchIndex, FindsWhatTheScanFindsOverGeneratedLibrariesAndQueries) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        testsupport::TempProgramFolder folder;
        const std::string path = (folder.path() / "Library.sqlite").string();
        SetupLibrary library(path);
        std::mt19937 rng(seed);
        std::vector<SetupEntry> entries;
        std::vector<std::string> texts;
        std::vector<std::int64_t> ids;
        for (int i = 0; i < 120; ++i) {
            SetupEntry e = makeEntry(rng);
            const int what = std::uniform_int_distribution<int>(0, 9)(rng);
            if (what < 2 && !entries.empty()) {
                // The same sheet again with other values: the setup corrected in place.
                e.sheet = entries[rng() % entries.size()].sheet;
                library.recordImported(e);
            } else if (what == 2 && !ids.empty()) {
                library.remove(ids[rng() % ids.size()]);
                continue;
            } else {
                ids.push_back(library.record(e));
            }
            entries.push_back(e);
            std::string text;
            for (const std::string& v : e.values) text += v + " ";
            texts.push_back(vantrel::library::foldForSearch(text));
        }
        for (int q = 0; q < 400; ++q) {
            const std::string query = queryFor(rng, texts);
            EXPECT_EQ(library.matchingIds(query), scanned(path, query)) << "seed " << seed << ", query " << query;
        }
    }
}

TEST(SearchIndex, ALibraryOfTheVersionBeforeGetsItsIndexInPlace) {
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "Library.sqlite").string();
    std::mt19937 rng(7);
    std::vector<std::string> texts;
    {
        SetupLibrary library(path);
        for (int i = 0; i < 60; ++i) {
            const SetupEntry e = makeEntry(rng);
            library.record(e);
            std::string text;
            for (const std::string& v : e.values) text += v + " ";
            texts.push_back(vantrel::library::foldForSearch(text));
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP TRIGGER setup_search_added; DROP TRIGGER setup_search_removed;"
                           " DROP TRIGGER setup_search_changed; DROP TABLE setup_trigram; PRAGMA user_version = 8",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    SetupLibrary library(path);
    EXPECT_EQ(library.count(), 60u);
    std::size_t found = 0;
    for (int q = 0; q < 200; ++q) {
        const std::string query = queryFor(rng, texts);
        const std::vector<std::int64_t> ids = library.matchingIds(query);
        found += ids.size();
        EXPECT_EQ(ids, scanned(path, query)) << query;
    }
    EXPECT_GT(found, 0u);
}
