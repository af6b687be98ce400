#include "CAdobeField.h"

namespace quorrel {

std::string CAdobeField::text() const {
    return std::to_string(m_DataFileFieldIndex) + " " + m_FieldName + " " + m_FieldValue;
}

com::HRESULT CAdobeField::put_FieldName(const std::string& value) {
    return com::guard([&] { m_FieldName = value; });
}

com::HRESULT CAdobeField::get_FieldName(std::string* value) {
    if (!value) return com::E_POINTER;
    return com::guard([&] { *value = m_FieldName; });
}

com::HRESULT CAdobeField::put_DataFileFieldIndex(int16_t value) {
    m_DataFileFieldIndex = value;
    return com::S_OK;
}

com::HRESULT CAdobeField::get_DataFileFieldIndex(int16_t* value) {
    if (!value) return com::E_POINTER;
    *value = m_DataFileFieldIndex;
    return com::S_OK;
}

com::HRESULT CAdobeField::put_FieldValue(const std::string& value) {
    return com::guard([&] { m_FieldValue = value; });
}

com::HRESULT CAdobeField::get_FieldValue(std::string* value) {
    if (!value) return com::E_POINTER;
    return com::guard([&] { *value = m_FieldValue; });
}

com::HRESULT CAdobeField::toString(com::Variant* result) {
    if (!result) return com::E_POINTER;
    return com::guard([&] { *result = com::Variant(text()); });
}

const com::server::DispatchTable<CAdobeField>& CAdobeField::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<CAdobeField> table{
        propPut("FieldName", &ICAdobeField::put_FieldName),
        propGet("FieldName", &ICAdobeField::get_FieldName),
        propPut("DataFileFieldIndex", &ICAdobeField::put_DataFileFieldIndex),
        propGet("DataFileFieldIndex", &ICAdobeField::get_DataFileFieldIndex),
        propPut("FieldValue", &ICAdobeField::put_FieldValue),
        propGet("FieldValue", &ICAdobeField::get_FieldValue),
        method("toString", &ICAdobeField::toString),
    };
    return table;
}

}  // namespace quorrel
