#pragma once
// An ordered collection of CAdobeField: positions from 1, optional text keys
// that are unique regardless of letter case. Members are shared, not copied.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "CAdobeField.h"

namespace quorrel {

class __attribute__((visibility("hidden"))) CAdobeFields final
    : public com::server::ComObject<CAdobeFields, ICAdobeFields> {
public:
    using FieldPtr = com::ComPtr<CAdobeField>;

    // A new member with index, name and value; an empty key adds it without
    // one. Error 457 when the key is already present (nothing is added).
    FieldPtr add(int16_t DataFileFieldIndex, const std::string& FieldName, const std::string& FieldValue,
                 const std::string& sKey = {});
    // By 1-based position (a number) or by key (a text). Error 9 for a
    // position out of range, 5 for a key that is not present.
    FieldPtr item(const com::Variant& vntIndexKey) const;
    int32_t count() const { return static_cast<int32_t>(m_members.size()); }
    void remove(const com::Variant& vntIndexKey);

    // ICAdobeFields
    com::HRESULT Add(int16_t DataFileFieldIndex, const std::string& FieldName, const std::string& FieldValue,
                     const com::Variant& sKey, ICAdobeField** result) override;
    com::HRESULT Item(const com::Variant& vntIndexKey, ICAdobeField** result) override;
    com::HRESULT Count(int32_t* result) override;
    com::HRESULT Remove(const com::Variant& vntIndexKey) override;
    com::HRESULT NewEnum(com::IUnknown** result) override;

    static const com::server::DispatchTable<CAdobeFields>& dispatchTable();

private:
    struct Member {
        std::string foldedKey;  // empty: no key
        FieldPtr field;
    };
    std::size_t positionOf(const com::Variant& vntIndexKey) const;

    std::vector<Member> m_members;
    std::unordered_map<std::string, CAdobeField*> m_keys;  // folded key -> member
};

}  // namespace quorrel
