#pragma once
// One mapping entry: a PDF form field's name, the number of the data record
// field that feeds it, and the value to write.

#include <cstdint>
#include <string>

#include "QuorrelInterfaces.h"
#include "platform/com/Server.h"

namespace quorrel {

class __attribute__((visibility("hidden"))) CAdobeField final
    : public com::server::ComObject<CAdobeField, ICAdobeField> {
public:
    const std::string& FieldName() const { return m_FieldName; }
    void setFieldName(const std::string& value) { m_FieldName = value; }
    int16_t DataFileFieldIndex() const { return m_DataFileFieldIndex; }
    void setDataFileFieldIndex(int16_t value) { m_DataFileFieldIndex = value; }
    const std::string& FieldValue() const { return m_FieldValue; }
    void setFieldValue(const std::string& value) { m_FieldValue = value; }

    // Index in decimal, a blank, the name, a blank, the value.
    std::string text() const;

    // ICAdobeField
    com::HRESULT put_FieldName(const std::string& value) override;
    com::HRESULT get_FieldName(std::string* value) override;
    com::HRESULT put_DataFileFieldIndex(int16_t value) override;
    com::HRESULT get_DataFileFieldIndex(int16_t* value) override;
    com::HRESULT put_FieldValue(const std::string& value) override;
    com::HRESULT get_FieldValue(std::string* value) override;
    com::HRESULT toString(com::Variant* result) override;

    static const com::server::DispatchTable<CAdobeField>& dispatchTable();

private:
    std::string m_FieldName;
    int16_t m_DataFileFieldIndex = 0;
    std::string m_FieldValue;
};

}  // namespace quorrel
