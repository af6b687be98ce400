// Identities, and error objects travelling beside failure statuses.

#include <gtest/gtest.h>

#include <stdexcept>
#include <unordered_set>

#include "platform/com/ErrorInfo.h"
#include "platform/com/Guid.h"

namespace {

using com::Guid;

TEST(Guid, RegistryFormRoundTrip) {
    constexpr Guid g = Guid::of("{6ba374ec-654a-4b02-8449-ecfe1cecb16b}");
    EXPECT_EQ(g.toString(), "{6BA374EC-654A-4B02-8449-ECFE1CECB16B}");
    EXPECT_EQ(Guid::parse("6BA374EC-654A-4B02-8449-ECFE1CECB16B"), g);
    EXPECT_EQ(Guid::parse(g.toString()), g);
    EXPECT_EQ(Guid::parse("{00000000-0000-0000-C000-000000000046}"), com::IID_IUnknown);
    for (const char* bad : {"", "{6BA374EC-654A-4B02-8449-ECFE1CECB16B", "6BA374EC-654A-4B02-8449-ECFE1CECB16",
                            "{6BA374EC_654A-4B02-8449-ECFE1CECB16B}", "{6BA374EG-654A-4B02-8449-ECFE1CECB16B}",
                            "(6BA374EC-654A-4B02-8449-ECFE1CECB16B)", "{6BA374EC-654A-4B02-8449-ECFE1CECB16B} "}) {
        EXPECT_FALSE(Guid::parse(bad).has_value()) << bad;
    }
    std::unordered_set<Guid, com::GuidHash> set{g, com::IID_IUnknown, com::IID_IDispatch, g};
    EXPECT_EQ(set.size(), 3u);
}

TEST(ErrorInfo, StatusForErrorNumber) {
    EXPECT_EQ(static_cast<uint32_t>(com::statusForError(1)), 0x800A0001u);
    EXPECT_EQ(static_cast<uint32_t>(com::statusForError(53)), 0x800A0035u);
    EXPECT_EQ(static_cast<uint32_t>(com::statusForError(65535)), 0x800AFFFFu);
    EXPECT_EQ(com::statusForError(-2147220991), -2147220991);
    EXPECT_TRUE(com::failed(com::statusForError(0)));
    EXPECT_TRUE(com::failed(com::statusForError(70000)));
}

// What check() raises for a status, with or without an error object beside it.
platform::Error raised(com::HRESULT hr) {
    try {
        com::check(hr);
    } catch (const platform::Error& e) {
        return e;
    }
    ADD_FAILURE() << "check raised nothing";
    return platform::Error(0, {}, "none");
}

TEST(ErrorInfo, CheckRaisesTheErrorObjectOrOneMadeFromTheStatus) {
    com::setErrorInfo({53, "CMappingFileHandler", "Cannot open x.map"});
    platform::Error e = raised(com::statusForError(53));
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.source(), "CMappingFileHandler");
    EXPECT_EQ(e.description(), "Cannot open x.map");
    EXPECT_FALSE(com::takeErrorInfo().has_value()) << "check takes the error object";

    // An error object left by an earlier call does not belong to this status.
    com::setErrorInfo({53, "stale", "stale"});
    e = raised(com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(e.number(), 438);
    EXPECT_EQ(e.source(), "");

    struct Case {
        com::HRESULT hr;
        int32_t number;
        std::string description;
    };
    const Case cases[] = {
        {com::statusForError(9), 9, "Subscript out of range"},
        {com::DISP_E_MEMBERNOTFOUND, 438, "Object doesn't support this property or method"},
        {com::DISP_E_TYPEMISMATCH, 13, "Type mismatch"},
        {com::DISP_E_BADPARAMCOUNT, 450, "Wrong number of arguments or invalid property assignment"},
        {com::DISP_E_PARAMNOTFOUND, 449, "Argument not optional"},
        {com::REGDB_E_CLASSNOTREG, 429, "ActiveX component can't create object"},
        {com::E_FAIL, 440, "Automation error (0x80004005)"},
    };
    for (const auto& c : cases) {
        e = raised(c.hr);
        EXPECT_EQ(e.number(), c.number) << c.description;
        EXPECT_EQ(e.description(), c.description);
    }
    EXPECT_NO_THROW(com::check(com::S_OK));
    EXPECT_NO_THROW(com::check(com::S_FALSE));
}

TEST(ErrorInfo, GuardTurnsEveryExceptionIntoAStatusWithItsErrorObject) {
    com::HRESULT hr = com::guard([] { throw platform::Error(1, "CSetupManager::LoadConfig-", "gone"); });
    EXPECT_EQ(hr, com::statusForError(1));
    auto info = com::takeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->source, "CSetupManager::LoadConfig-");
    EXPECT_EQ(info->description, "gone");

    hr = com::guard([] { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(hr, com::statusForError(440));
    EXPECT_EQ(raised(hr).description(), "disk on fire");

    hr = com::guard([] { throw 42; });
    EXPECT_EQ(raised(hr).number(), 440);

    EXPECT_EQ(com::guard([] {}), com::S_OK);
}

}  // namespace
