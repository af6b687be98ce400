// A setup's values through both forms the library's rows keep them in: any
// values come back exactly, and packed text that is cut, padded or names a
// length past its end reads as none.
#include <gtest/gtest.h>

#include <random>
#include <sqlite3.h>

#include "LibraryTestSupport.h"
#include "SetupCodec.h"
#include "Sqlite.h"

using namespace librarytest;
namespace codec = vantrel::library::codec;
using vantrel::library::sqlite::Statement;

TEST(SetupCodec, PackedValuesComeBackExactlyAndDamagedOnesDoNot) {
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        const vantrel::Setup v = makeValues(rng, anyValue);
        const std::string text = codec::packValues(v);
        EXPECT_EQ(codec::unpackValues(text), v);
        EXPECT_FALSE(codec::unpackValues(text.substr(0, text.size() - 1)));
        EXPECT_FALSE(codec::unpackValues(text + "x"));
        EXPECT_FALSE(codec::unpackValues(text.substr(text.find(':') + 1)));
    }
    for (const char* damaged : {"", "99999999999:", "5:abc", ":", "1x"}) EXPECT_FALSE(codec::unpackValues(damaged));
}

TEST(SetupCodec, ColumnValuesComeBackExactlyAtAnyPlace) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    std::mt19937 rng(9);
    for (const int first : {1, 2, 7}) {
        const vantrel::Setup v = makeValues(rng, anyValue);
        std::string sql = "SELECT ";
        for (std::size_t i = 0; i < v.size() + std::size_t(first) - 1; ++i)
            sql += (i ? ", ?" : "?") + std::to_string(i + 1);
        {
            Statement s(db, sql);
            for (int i = 1; i < first; ++i) s.bind(i, std::int64_t(i));
            codec::bindValues(s, first, v);
            ASSERT_TRUE(s.step());
            EXPECT_EQ(codec::readValues(s, first - 1), v) << "first " << first;
        }
    }
    sqlite3_close(db);
}
