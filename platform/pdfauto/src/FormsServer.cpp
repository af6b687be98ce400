#include "ServerObjects.h"

#include "platform/Error.h"
#include "platform/Text.h"

#include <cmath>

namespace pdfauto {

namespace {

constexpr const char* FieldsSource = "AFormAut.Fields";

}  // namespace

// ----------------------------------------------------------------- AFormApp

HRESULT AFormApp::get_Fields(com::IDispatch** fields) {
    return com::guard([&] {
        auto front = frontDocument();
        if (!front) platform::raise(platform::ErrObjectNotSet, "AFormAut.App", "No document is open");
        *fields = com::server::make<FormFields>(std::move(front))->ptr<com::IDispatch>().detach();
    });
}

const com::server::DispatchTable<AFormApp>& AFormApp::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<AFormApp> table{
        propGet("Fields", &IAFormApp::get_Fields),
    };
    return table;
}

// --------------------------------------------------------------- FormFields

HRESULT FormFields::get_Item(const std::string& name, IField** field) {
    return com::guard([&] {
        FormField* found = m_document->form.find(name);
        if (!found) platform::raise(platform::ErrSubscript, FieldsSource, "The form has no field named " + name);
        *field = com::server::make<FormFieldObject>(m_document, *found)->ptr<IField>().detach();
    });
}

HRESULT FormFields::get_Count(int32_t* count) {
    *count = static_cast<int32_t>(m_document->form.fieldCount());
    return com::S_OK;
}

HRESULT FormFields::get__NewEnum(com::IUnknown** enumerator) {
    return com::guard([&] {
        std::vector<com::Variant> items;
        items.reserve(m_document->form.fieldCount());
        for (std::size_t k = 0; k < m_document->form.fieldCount(); ++k)
            items.emplace_back(
                com::server::make<FormFieldObject>(m_document, m_document->form.fieldAt(k))->ptr<com::IDispatch>());
        *enumerator = com::server::VariantEnumerator::create(std::move(items)).detach();
    });
}

HRESULT FormFields::Add(const std::string& name, const std::string& type, int16_t page, float left, float top,
                        float right, float bottom, IField** field) {
    return com::guard([&] {
        if (!platform::text::equalsIgnoreCase(type, "text"))
            platform::raise(platform::ErrInvalidArgument, FieldsSource,
                            "Fields of type \"" + type + "\" cannot be added; only text fields can");
        FormField& added = m_document->form.addTextField(name, page, left, top, right, bottom);
        *field = com::server::make<FormFieldObject>(m_document, added)->ptr<IField>().detach();
    });
}

const com::server::DispatchTable<FormFields>& FormFields::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<FormFields> table{
        propGet("Item", &IFields::get_Item).id(com::DISPID_VALUE),
        propGet("Count", &IFields::get_Count),
        propGet("_NewEnum", &IFields::get__NewEnum).id(com::DISPID_NEWENUM),
        method("Add", &IFields::Add),
    };
    return table;
}

// ---------------------------------------------------------- FormFieldObject

HRESULT FormFieldObject::get_Name(std::string* name) {
    return com::guard([&] { *name = m_field.name(); });
}

HRESULT FormFieldObject::get_Value(std::string* value) {
    return com::guard([&] { *value = m_field.value(); });
}

HRESULT FormFieldObject::put_Value(const std::string& value) {
    return com::guard([&] { m_field.setValue(value); });
}

HRESULT FormFieldObject::get_TextFont(std::string* font) {
    return com::guard([&] { *font = m_field.textFont(); });
}

HRESULT FormFieldObject::put_TextFont(const std::string& font) {
    return com::guard([&] { m_field.setTextFont(font); });
}

HRESULT FormFieldObject::get_TextSize(int16_t* size) {
    return com::guard([&] { *size = static_cast<int16_t>(std::lround(std::min(m_field.textSize(), 1000.0))); });
}

HRESULT FormFieldObject::put_TextSize(int16_t size) {
    return com::guard([&] { m_field.setTextSize(size); });
}

HRESULT FormFieldObject::get_Type(std::string* type) {
    return com::guard([&] { *type = m_field.type(); });
}

const com::server::DispatchTable<FormFieldObject>& FormFieldObject::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<FormFieldObject> table{
        propGet("Name", &IField::get_Name),         propGet("Value", &IField::get_Value),
        propPut("Value", &IField::put_Value),       propGet("TextFont", &IField::get_TextFont),
        propPut("TextFont", &IField::put_TextFont), propGet("TextSize", &IField::get_TextSize),
        propPut("TextSize", &IField::put_TextSize), propGet("Type", &IField::get_Type),
    };
    return table;
}

}  // namespace pdfauto
