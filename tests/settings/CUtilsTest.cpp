#include <gtest/gtest.h>

#include "CUtils.h"

namespace {

TEST(CUtilsTest, CheckMeAndFormatPath) {
    const struct {
        const char* in;
        const char* checkMe;
        const char* formatPath;
    } cases[] = {
        {"", "", ""},
        {"C:\\Data", "C:\\Data\\", "\\C:\\Data\\"},
        {"C:\\Data\\", "C:\\Data\\", "\\C:\\Data\\"},
        {"data", "data\\", "\\data\\"},
        {"\\data", "\\data\\", "\\data\\"},
        {"\\", "\\", "\\"},
        {"C:/Data/", "C:/Data/\\", "\\C:/Data/\\"},
        {"a\\\\", "a\\\\", "\\a\\\\"},
        {"\\\\srv\\share", "\\\\srv\\share\\", "\\\\srv\\share\\"},
        {"Mixed Case", "Mixed Case\\", "\\Mixed Case\\"},
    };
    const vantrel::CUtils utils;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(utils.checkMe(c.in), c.checkMe);
        EXPECT_EQ(utils.FormatPath(c.in), c.formatPath);
    }
}

}  // namespace
