#pragma once
// One setup: the 73 values of the setup record, by field. What a run builds a
// sheet from, what the library stores, what a reader finds in a file and what
// the window loads, compares and logs runs with.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

enum class SetupField : std::size_t {
#define VANTREL_SETUP_FIELD(name) name,
#include "SetupFields.def"
#undef VANTREL_SETUP_FIELD
};

inline constexpr std::size_t SetupFieldCount = 0
#define VANTREL_SETUP_FIELD(name) +1
#include "SetupFields.def"
#undef VANTREL_SETUP_FIELD
    ;

// Key of each field in section "SetupData", in file order.
inline constexpr std::array<std::string_view, SetupFieldCount> SetupFieldKeys = {
#define VANTREL_SETUP_FIELD(name) #name,
#include "SetupFields.def"
#undef VANTREL_SETUP_FIELD
};

// Whether each field is the car's, in file order: what a setup brings to
// another meeting, and what a change between two runs can be.
inline constexpr std::array<bool, SetupFieldCount> SetupFieldIsCar = {
#define VANTREL_SETUP_FIELD(name) true,
#define VANTREL_MEETING_FIELD(name) false,
#include "SetupFields.def"
#undef VANTREL_MEETING_FIELD
#undef VANTREL_SETUP_FIELD
};
constexpr bool isCarField(SetupField field) { return SetupFieldIsCar[std::size_t(field)]; }

// The longest value, in bytes, that an entry of a settings or raw data file
// keeps when it is read back.
inline constexpr std::size_t MaxValueBytes = 254;

class Setup {
public:
    using Values = std::array<std::string, SetupFieldCount>;

    Setup() = default;
    explicit Setup(Values values) : m_values(std::move(values)) {}

    const std::string& operator[](SetupField field) const { return m_values[std::size_t(field)]; }
    std::string& operator[](SetupField field) { return m_values[std::size_t(field)]; }
    // By position in record order (SetupFields.def), for walks over every field.
    const std::string& operator[](std::size_t index) const { return m_values[index]; }
    std::string& operator[](std::size_t index) { return m_values[index]; }
    static constexpr std::size_t size() { return SetupFieldCount; }
    auto begin() const { return m_values.begin(); }
    auto end() const { return m_values.end(); }
    auto begin() { return m_values.begin(); }
    auto end() { return m_values.end(); }

    bool operator==(const Setup&) const = default;

    // The setup as a raw data file: "[SetupData]" and the 73 keys in record
    // order, each line ended by CR LF, the values as they stand (UTF-8).
    std::string rawDataText() const;
    // The setup in a raw data file's bytes, read as a run reads its raw data
    // file (keys in any letter case, a missing key as empty text, each value
    // cut to MaxValueBytes); nothing when the bytes hold no "[SetupData]".
    static std::optional<Setup> fromRawData(const std::string& bytes);

private:
    Values m_values;
};

}  // namespace vantrel
