#pragma once
// The property scaffolding of the record classes. A text property stores
// exactly the text it is given: Name() returns it, setName(value) replaces it.

#include <cstddef>
#include <string>

// A property kept in the member m_<name>.
#define VANTREL_TEXT_PROPERTY(name)                      \
    const std::string& name() const { return m_##name; } \
    void set##name(std::string value) { m_##name = std::move(value); }

// A field kept in slot Enum::name of the member array `fields`.
#define VANTREL_FIELD_PROPERTY(Enum, fields, name)                              \
    const std::string& name() const { return fields[std::size_t(Enum::name)]; } \
    void set##name(std::string value) { fields[std::size_t(Enum::name)] = std::move(value); }
