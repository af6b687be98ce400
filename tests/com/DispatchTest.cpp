// Late-bound calls into a component: names in any letter case, dispatch
// numbers, argument conversion and defaults, collections and enumerators.

#include <gtest/gtest.h>

#include "Components.h"
#include "TempProgramFolder.h"
#include "TestComponent.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"

namespace {

using namespace testcomponent;
using com::Variant;

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_widget = com::create<ICWidget>(CLSID_CWidget, IID_CWidget);
        m_late = m_widget.as<com::IDispatch>(com::IID_IDispatch);
        ASSERT_TRUE(m_late);
    }
    Variant call(const std::string& name, std::vector<Variant> args = {},
                 uint16_t flags = com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET) {
        return com::invoke(m_late.get(), name, flags, std::move(args));
    }
    int errorNumber(const std::string& name, std::vector<Variant> args,
                    uint16_t flags = com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET) {
        try {
            call(name, std::move(args), flags);
        } catch (const platform::Error& e) {
            return e.number();
        }
        return 0;
    }

    testsupport::TempProgramFolder m_folder;
    testsupport::ComponentRegistry m_registry{m_folder, {VANTREL_TESTCOMPONENT_LIBRARY}};
    com::ComPtr<ICWidget> m_widget;
    com::ComPtr<com::IDispatch> m_late;
};

TEST_F(DispatchTest, AMemberCalledByNameReachesTheCodeOfItsSlot) {
    int32_t sum = 0;
    com::check(m_widget->Add(1, 2, &sum));
    EXPECT_EQ(sum, 3);
    for (const char* name : {"Add", "add", "ADD", "aDd"}) EXPECT_EQ(call(name, {int16_t(1), int16_t(2)}).toInt32(), 3);
    int32_t calls = 0;
    com::check(m_widget->get_AddCalls(&calls));
    EXPECT_EQ(calls, 5) << "every call, slot or name, ran the same member";

    com::check(m_widget->put_Text("by slot"));
    EXPECT_EQ(call("text").toString(), "by slot");
    call("TEXT", {"by name"}, com::DISPATCH_PROPERTYPUT);
    std::string text;
    com::check(m_widget->get_Text(&text));
    EXPECT_EQ(text, "by name");
}

TEST_F(DispatchTest, NamesGetNumbersInTableOrderAndUnknownNamesFail) {
    com::DISPID text = 0, add = 0, list = 0;
    EXPECT_EQ(m_late->GetIDOfName("Text", &text), com::S_OK);
    EXPECT_EQ(m_late->GetIDOfName("add", &add), com::S_OK);
    EXPECT_EQ(m_late->GetIDOfName("MakeList", &list), com::S_OK);
    EXPECT_EQ(text, 0x60030000);
    EXPECT_EQ(add, 0x60030001);
    EXPECT_EQ(list, 0x60030005);
    EXPECT_EQ(com::invoke(m_late.get(), add, com::DISPATCH_METHOD, {int16_t(4), int16_t(5)}).toInt32(), 9);

    com::DISPID none = 0;
    EXPECT_EQ(m_late->GetIDOfName("Subtract", &none), com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(errorNumber("Subtract", {}), 438);
    // A read-only property cannot be assigned; a method is no property to set.
    EXPECT_EQ(errorNumber("AddCalls", {1}, com::DISPATCH_PROPERTYPUT), 438);
    EXPECT_EQ(errorNumber("Add", {1, 2}, com::DISPATCH_PROPERTYPUT), 438);
    std::vector<Variant> args;
    EXPECT_EQ(m_late->Invoke(0x60039999, com::DISPATCH_METHOD, args, nullptr), com::DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, ArgumentsAreConvertedAndCounted) {
    EXPECT_EQ(call("Add", {"2", 3.5}).toInt32(), 6);
    EXPECT_EQ(call("Add", {true, 2.5f}).toInt32(), 1);  // True is -1; 2.5 rounds to 2
    EXPECT_EQ(call("Add", {int16_t(32767), int16_t(32767)}).toInt32(), 65534);

    struct Case {
        const char* what;
        std::vector<Variant> args;
        int number;
    };
    const std::vector<Case> cases = {
        {"out of 16 bits", {40000, 1}, 6},
        {"not a number", {"two", 1}, 13},
        {"an object for a number", {com::ComPtr<com::IDispatch>(m_late.get()), 1}, 13},
        {"too many", {1, 2, 3}, 450},
        {"required left out", {1}, 449},
        {"required passed as missing", {Variant::missing(), 1}, 449},
    };
    for (const auto& c : cases) EXPECT_EQ(errorNumber("Add", c.args), c.number) << c.what;
    // A call that failed before the member ran did not count.
    EXPECT_EQ(call("AddCalls").toInt32(), 3);
}

TEST_F(DispatchTest, OptionalArgumentsTakeTheirDefaults) {
    struct Case {
        std::vector<Variant> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"Bob"}, "Hello, Bob"},          {{"Bob", "Hi"}, "Hi, Bob"}, {{"Bob", Variant::missing(), "!"}, "Hello, Bob!"},
        {{"Bob", "Hey", 1}, "Hey, Bob1"}, {{int16_t(7)}, "Hello, 7"},
    };
    for (const auto& c : cases) EXPECT_EQ(call("Greet", c.args).toString(), c.expected);
    EXPECT_EQ(errorNumber("Greet", {}), 449);
}

TEST_F(DispatchTest, CollectionsAnswerTheDefaultMemberAndEnumerate) {
    com::ComPtr<com::IDispatch> list = call("MakeList", {int16_t(3)}).toDispatch();
    ASSERT_TRUE(list);
    EXPECT_EQ(com::invoke(list.get(), com::DISPID_VALUE, com::DISPATCH_PROPERTYGET, {2}).toString(), "item2");
    EXPECT_EQ(com::invoke(list.get(), "count", com::DISPATCH_METHOD).toInt32(), 3);
    try {
        com::invoke(list.get(), "Item", com::DISPATCH_METHOD, {4});
        FAIL() << "item 4 of 3";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 9);
        EXPECT_EQ(e.source(), "CWidgetList");
    }

    std::vector<Variant> items = com::collectItems(list.get());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].toString(), "item1");
    EXPECT_EQ(items[2].toString(), "item3");

    auto enumerator = com::invoke(list.get(), com::DISPID_NEWENUM, com::DISPATCH_PROPERTYGET)
                          .toUnknown()
                          .as<com::IEnumVARIANT>(com::IID_IEnumVARIANT);
    ASSERT_TRUE(enumerator);
    Variant batch[5];
    uint32_t fetched = 0;
    EXPECT_EQ(enumerator->Next(2, batch, &fetched), com::S_OK);
    EXPECT_EQ(fetched, 2u);
    com::ComPtr<com::IEnumVARIANT> clone;
    ASSERT_EQ(enumerator->Clone(clone.put()), com::S_OK);
    EXPECT_EQ(enumerator->Next(5, batch, &fetched), com::S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(batch[0].toString(), "item3");
    // The clone goes on from where it was made, on its own.
    EXPECT_EQ(clone->Next(1, batch, &fetched), com::S_OK);
    EXPECT_EQ(batch[0].toString(), "item3");
    EXPECT_EQ(enumerator->Reset(), com::S_OK);
    EXPECT_EQ(enumerator->Skip(1), com::S_OK);
    EXPECT_EQ(enumerator->Next(1, batch, &fetched), com::S_OK);
    EXPECT_EQ(batch[0].toString(), "item2");
    EXPECT_EQ(enumerator->Skip(5), com::S_FALSE);

    EXPECT_TRUE(com::collectItems(call("MakeList", {int16_t(0)}).toDispatch().get()).empty());
}

TEST_F(DispatchTest, InterfacesAnswerTheirIdsOnly) {
    EXPECT_TRUE(m_widget.as<com::IUnknown>(com::IID_IUnknown));
    EXPECT_TRUE(m_widget.as<ICWidget>(IID_CWidget));
    EXPECT_FALSE(m_widget.as<com::IUnknown>(IID_CWidgetList));
    EXPECT_FALSE(m_widget.as<com::IUnknown>(com::IID_IEnumVARIANT));
    // One object, whichever interface it is reached through.
    auto a = m_widget.as<com::IUnknown>(com::IID_IUnknown);
    auto b = m_late.as<com::IUnknown>(com::IID_IUnknown);
    EXPECT_EQ(a.get(), b.get());
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_widget->QueryInterface(IID_CWidgetList, &none), com::E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST(Dispatch, CallsOnNothingRaiseObjectNotSet) {
    try {
        com::invoke(nullptr, "Anything", com::DISPATCH_METHOD);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 91);
    }
}

}  // namespace
