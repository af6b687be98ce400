// The field collection and its members: positions, keys regardless of
// letter case, the errors a collection gives, and the dual interface.

#include <gtest/gtest.h>

#include "CAdobeFields.h"
#include "platform/Error.h"
#include "platform/com/Dispatch.h"

namespace {

using quorrel::CAdobeFields;

int32_t errorNumber(const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(AdobeFields, KeysIgnoreLetterCaseAndStayUnique) {
    auto fields = com::server::make<CAdobeFields>();
    auto first = fields->add(1, "fldA", "a", "Driver");
    fields->add(2, "fldB", "b");
    EXPECT_EQ(fields->item(com::Variant("DRIVER")).get(), first.get());
    EXPECT_EQ(fields->item(com::Variant(int16_t{1})).get(), first.get());

    try {
        fields->add(3, "fldC", "c", "driver");
        ADD_FAILURE() << "duplicate key accepted";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 457);
        EXPECT_EQ(e.description(), "This key is already associated with an element of this collection");
    }
    EXPECT_EQ(fields->count(), 2);

    // A removed member's key is free again.
    fields->remove(com::Variant("Driver"));
    EXPECT_EQ(fields->count(), 1);
    EXPECT_EQ(fields->item(com::Variant(int32_t{1}))->FieldName(), "fldB");
    EXPECT_NO_THROW(fields->add(3, "fldC", "c", "driver"));
}

TEST(AdobeFields, PositionsAndKeysThatAreNotThereGiveCollectionErrors) {
    auto fields = com::server::make<CAdobeFields>();
    fields->add(1, "fldA", "", "a");
    fields->add(2, "fldB", "");
    struct Case {
        const char* what;
        com::Variant index;
        int32_t error;
    };
    const Case cases[] = {
        {"position 0", com::Variant(int32_t{0}), 9},         {"past the end", com::Variant(int16_t{3}), 9},
        {"negative", com::Variant(int32_t{-1}), 9},          {"unknown key", com::Variant("b"), 5},
        {"a number as text is a key", com::Variant("1"), 5}, {"2 as a double", com::Variant(2.0), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errorNumber([&] { fields->item(c.index); }), c.error);
    }
    EXPECT_EQ(errorNumber([&] { fields->remove(com::Variant(int32_t{5})); }), 9);
    EXPECT_EQ(fields->count(), 2);
}

TEST(AdobeFields, MembersAreSharedNotCopied) {
    auto fields = com::server::make<CAdobeFields>();
    fields->add(1, "fldA", "old");
    fields->item(com::Variant(int32_t{1}))->setFieldValue("new");
    EXPECT_EQ(fields->item(com::Variant(int32_t{1}))->FieldValue(), "new");
}

TEST(AdobeField, ToStringIsIndexNameValueWithBlanks) {
    auto fields = com::server::make<CAdobeFields>();
    EXPECT_EQ(fields->add(3, "fldTrackCity", "")->text(), "3 fldTrackCity ");
    EXPECT_EQ(fields->add(-7, "fldX", "a b")->text(), "-7 fldX a b");
}

TEST(AdobeFields, DualInterfaceByNameAndDispatchNumber) {
    auto fields = com::server::make<CAdobeFields>();
    com::IDispatch* dispatch = fields->ptr<com::IDispatch>().get();
    // Add with the key left out, then with one.
    com::invoke(dispatch, "Add", com::DISPATCH_METHOD, {int16_t{1}, "fldA", "x"});
    com::invoke(dispatch, "Add", com::DISPATCH_METHOD, {int16_t{2}, "fldB", "y", "kb"});
    EXPECT_EQ(com::invoke(dispatch, "Count", com::DISPATCH_PROPERTYGET).toInt32(), 2);

    // Item is the default member (dispatch number 0).
    auto member = com::invoke(dispatch, com::DISPID_VALUE, com::DISPATCH_PROPERTYGET, {"KB"}).toDispatch();
    EXPECT_EQ(com::invoke(member.get(), "toString", com::DISPATCH_METHOD).toString(), "2 fldB y");
    com::invoke(member.get(), "FieldValue", com::DISPATCH_PROPERTYPUT, {"z"});
    EXPECT_EQ(fields->item(com::Variant(int32_t{2}))->FieldValue(), "z");

    // For-each goes through dispatch number -4, in order.
    std::vector<std::string> names;
    for (const auto& item : com::collectItems(dispatch))
        names.push_back(com::invoke(item.toDispatch().get(), "FieldName", com::DISPATCH_PROPERTYGET).toString());
    EXPECT_EQ(names, (std::vector<std::string>{"fldA", "fldB"}));

    try {
        com::invoke(dispatch, "Item", com::DISPATCH_PROPERTYGET, {int32_t{9}});
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 9);
    }
}

}  // namespace
