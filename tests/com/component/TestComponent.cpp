#include "TestComponent.h"

#include <vector>

#include "platform/com/Server.h"

COM_INTERFACE_ID(testcomponent::ICWidget, testcomponent::IID_CWidget)
COM_INTERFACE_ID(testcomponent::ICWidgetList, testcomponent::IID_CWidgetList)

namespace testcomponent {

using com::HRESULT;
using com::Variant;

class CWidgetList final : public com::server::ComObject<CWidgetList, ICWidgetList> {
public:
    explicit CWidgetList(int16_t count) {
        for (int i = 1; i <= count; ++i) m_items.emplace_back("item" + std::to_string(i));
    }
    HRESULT Item(int32_t index, Variant* result) override {
        return com::guard([&] {
            if (index < 1 || index > static_cast<int32_t>(m_items.size()))
                platform::raise(platform::ErrSubscript, "CWidgetList");
            *result = m_items[static_cast<std::size_t>(index - 1)];
        });
    }
    HRESULT Count(int32_t* result) override {
        *result = static_cast<int32_t>(m_items.size());
        return com::S_OK;
    }
    HRESULT NewEnum(com::IUnknown** result) override {
        return com::guard([&] { *result = com::server::VariantEnumerator::create(m_items).detach(); });
    }

    static const com::server::DispatchTable<CWidgetList>& dispatchTable() {
        using namespace com::server;
        static const DispatchTable<CWidgetList> table{
            method("Item", &ICWidgetList::Item).id(com::DISPID_VALUE),
            method("Count", &ICWidgetList::Count),
            method("NewEnum", &ICWidgetList::NewEnum).id(com::DISPID_NEWENUM),
        };
        return table;
    }

private:
    std::vector<Variant> m_items;
};

class CWidget final : public com::server::ComObject<CWidget, ICWidget> {
public:
    HRESULT put_Text(const std::string& value) override {
        m_text = value;
        return com::S_OK;
    }
    HRESULT get_Text(std::string* value) override {
        *value = m_text;
        return com::S_OK;
    }
    HRESULT Add(int16_t a, int16_t b, int32_t* result) override {
        ++m_addCalls;
        *result = int32_t{a} + int32_t{b};
        return com::S_OK;
    }
    HRESULT get_AddCalls(int32_t* result) override {
        *result = m_addCalls;
        return com::S_OK;
    }
    HRESULT Fail(int32_t number, const std::string& source, const std::string& description) override {
        return com::guard([&] { platform::raise(number, source, description); });
    }
    HRESULT Greet(const std::string& name, const std::string& greeting, const Variant& punctuation,
                  std::string* result) override {
        return com::guard([&] {
            *result = greeting + ", " + name + (punctuation.isMissing() ? std::string() : punctuation.toString());
        });
    }
    HRESULT MakeList(int16_t count, com::IDispatch** result) override {
        return com::guard([&] { *result = com::server::make<CWidgetList>(count)->ptr<com::IDispatch>().detach(); });
    }

    static const com::server::DispatchTable<CWidget>& dispatchTable() {
        using namespace com::server;
        static const DispatchTable<CWidget> table{
            propPut("Text", &ICWidget::put_Text),
            propGet("Text", &ICWidget::get_Text),
            method("Add", &ICWidget::Add),
            propGet("AddCalls", &ICWidget::get_AddCalls),
            method("Fail", &ICWidget::Fail),
            method("Greet", &ICWidget::Greet).defaultsFor({"Hello", Variant::missing()}),
            method("MakeList", &ICWidget::MakeList),
        };
        return table;
    }

private:
    std::string m_text;
    int32_t m_addCalls = 0;
};

namespace {

const com::ServerModule& module() {
    static const com::ServerModule m{
        LIBID_TestComponent,
        "VantrelTestComponent",
        "1.2",
        {
            {CLSID_CWidget,
             "CWidget",
             ProgIdWidget,
             true,
             {{IID_CWidget, "_CWidget"}},
             &com::server::newInstance<CWidget>},
            {CLSID_CWidgetList, "CWidgetList", "", false, {{IID_CWidgetList, "_CWidgetList"}}, nullptr},
        }};
    return m;
}

}  // namespace

}  // namespace testcomponent

COM_DEFINE_SERVER_ENTRY_POINTS(testcomponent::module())
