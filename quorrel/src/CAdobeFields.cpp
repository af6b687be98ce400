#include "CAdobeFields.h"

#include <algorithm>

#include "platform/Error.h"
#include "platform/Text.h"

namespace quorrel {

namespace {
constexpr const char* Source = "CAdobeFields";
}

CAdobeFields::FieldPtr CAdobeFields::add(int16_t DataFileFieldIndex, const std::string& FieldName,
                                         const std::string& FieldValue, const std::string& sKey) {
    auto field = com::server::make<CAdobeField>();
    field->setDataFileFieldIndex(DataFileFieldIndex);
    field->setFieldName(FieldName);
    field->setFieldValue(FieldValue);
    std::string folded;
    if (!sKey.empty()) {
        folded = platform::text::toLower(sKey);
        if (m_keys.contains(folded)) platform::raise(platform::ErrDuplicateKey, Source);
    }
    m_members.push_back({folded, field});
    if (!folded.empty()) m_keys.emplace(folded, field.get());
    return field;
}

std::size_t CAdobeFields::positionOf(const com::Variant& vntIndexKey) const {
    switch (vntIndexKey.type()) {
    case com::VarType::String: {
        auto found = m_keys.find(platform::text::toLower(vntIndexKey.get<std::string>()));
        if (found == m_keys.end()) platform::raise(platform::ErrInvalidArgument, Source);
        auto it = std::find_if(m_members.begin(), m_members.end(),
                               [&](const Member& m) { return m.field.get() == found->second; });
        return static_cast<std::size_t>(it - m_members.begin());
    }
    case com::VarType::Missing: platform::raise(platform::ErrInvalidArgument, Source);
    case com::VarType::Dispatch:
    case com::VarType::Unknown: platform::raise(platform::ErrTypeMismatch, Source);
    default: {
        const int32_t position = vntIndexKey.toInt32();
        if (position < 1 || position > count()) platform::raise(platform::ErrSubscript, Source);
        return static_cast<std::size_t>(position - 1);
    }
    }
}

CAdobeFields::FieldPtr CAdobeFields::item(const com::Variant& vntIndexKey) const {
    return m_members[positionOf(vntIndexKey)].field;
}

void CAdobeFields::remove(const com::Variant& vntIndexKey) {
    const std::size_t position = positionOf(vntIndexKey);
    if (!m_members[position].foldedKey.empty()) m_keys.erase(m_members[position].foldedKey);
    m_members.erase(m_members.begin() + static_cast<std::ptrdiff_t>(position));
}

com::HRESULT CAdobeFields::Add(int16_t DataFileFieldIndex, const std::string& FieldName, const std::string& FieldValue,
                               const com::Variant& sKey, ICAdobeField** result) {
    if (!result) return com::E_POINTER;
    *result = nullptr;
    return com::guard([&] {
        const std::string key = sKey.isMissing() ? std::string() : sKey.toString();
        *result = add(DataFileFieldIndex, FieldName, FieldValue, key)->ptr<ICAdobeField>().detach();
    });
}

com::HRESULT CAdobeFields::Item(const com::Variant& vntIndexKey, ICAdobeField** result) {
    if (!result) return com::E_POINTER;
    *result = nullptr;
    return com::guard([&] { *result = item(vntIndexKey)->ptr<ICAdobeField>().detach(); });
}

com::HRESULT CAdobeFields::Count(int32_t* result) {
    if (!result) return com::E_POINTER;
    *result = count();
    return com::S_OK;
}

com::HRESULT CAdobeFields::Remove(const com::Variant& vntIndexKey) {
    return com::guard([&] { remove(vntIndexKey); });
}

com::HRESULT CAdobeFields::NewEnum(com::IUnknown** result) {
    if (!result) return com::E_POINTER;
    *result = nullptr;
    return com::guard([&] {
        std::vector<com::Variant> items;
        items.reserve(m_members.size());
        for (const auto& m : m_members) items.emplace_back(m.field->ptr<com::IDispatch>());
        *result = com::server::VariantEnumerator::create(std::move(items)).detach();
    });
}

const com::server::DispatchTable<CAdobeFields>& CAdobeFields::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<CAdobeFields> table{
        method("Add", &ICAdobeFields::Add).defaultsFor({com::Variant::missing()}),
        propGet("Item", &ICAdobeFields::Item).id(com::DISPID_VALUE),
        propGet("Count", &ICAdobeFields::Count),
        method("Remove", &ICAdobeFields::Remove),
        method("NewEnum", &ICAdobeFields::NewEnum).id(com::DISPID_NEWENUM),
    };
    return table;
}

}  // namespace quorrel
