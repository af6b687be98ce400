#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/Error.h"
#include "platform/Paths.h"

namespace {

TEST(ErrorTest, NumbersWithoutDescriptionTakeTheirStandardText) {
    const struct {
        int32_t number;
        const char* text;
    } cases[] = {
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {9, "Subscript out of range"},
        {13, "Type mismatch"},
        {53, "File not found"},
        {75, "Path/File access error"},
        {91, "Object variable or With block variable not set"},
        {429, "ActiveX component can't create object"},
        {438, "Object doesn't support this property or method"},
        {440, "Automation error"},
        {457, "This key is already associated with an element of this collection"},
        {0, "Application-defined or object-defined error"},
        {1000, "Application-defined or object-defined error"},
        {-2147221504, "Application-defined or object-defined error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(platform::standardDescription(c.number), c.text);
        EXPECT_EQ(platform::Error(c.number, "src").description(), c.text);
    }
}

TEST(ErrorTest, RaiseCarriesNumberSourceAndOwnDescription) {
    try {
        platform::raise(53, "CPdfFormFiller::FillForm-", "Cannot open /x.map");
        FAIL() << "raise returned";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.source(), "CPdfFormFiller::FillForm-");
        EXPECT_EQ(e.description(), "Cannot open /x.map");
        EXPECT_STREQ(e.what(), "Cannot open /x.map");
    }
}

TEST(PathsTest, SystemPathsBecomeNative) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"\\bin\\Vantrel.ini", "/bin/Vantrel.ini"},
        {"/opt/vantrel\\Data\\", "/opt/vantrel/Data/"},
        {"/tmp/x/\\a.pdf", "/tmp/x/a.pdf"},
        {"C:\\\\Data\\\\\\file.txt", "C:/Data/file.txt"},
        {"relative\\name", "relative/name"},
        {"\\", "/"},
    };
    // The system's own separator: "/" on Linux, "\\" on Windows.
    const char separator = char(std::filesystem::path::preferred_separator);
    for (const auto& c : cases) {
        std::string native = c.out;
        std::replace(native.begin(), native.end(), '/', separator);
        EXPECT_EQ(platform::paths::toNative(c.in), native) << c.in;
    }
}

}  // namespace
