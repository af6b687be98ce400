#pragma once
// The values of the 112 fields of one setup sheet, joined into the delimited
// sheet data record. Building the record also rewrites the setup type's
// mapping file, so record positions and mapping lines always agree.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "FileNames.h"
#include "TextProperty.h"

namespace vantrel {

enum class SheetField : std::size_t {
#define VANTREL_SHEET_FIELD(name) name,
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD
};

inline constexpr std::size_t SheetFieldCount = 0
#define VANTREL_SHEET_FIELD(name) +1
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD
    ;

// Name of each field in record order; "fld" + name is its form field.
inline constexpr std::array<std::string_view, SheetFieldCount> SheetFieldNames = {
#define VANTREL_SHEET_FIELD(name) #name,
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD
};

class CDataBuilder {
public:
    VANTREL_TEXT_PROPERTY(DataFileDelimiter)
    VANTREL_TEXT_PROPERTY(OutputString)
    VANTREL_TEXT_PROPERTY(MappingDirectory)
    VANTREL_TEXT_PROPERTY(SetupName)

    // DriverName() / setDriverName(...) and so on for all 112 sheet fields.
#define VANTREL_SHEET_FIELD(name) VANTREL_FIELD_PROPERTY(SheetField, m_fields, name)
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD

    const std::string& field(SheetField f) const { return m_fields[std::size_t(f)]; }
    void setField(SheetField f, std::string value) { m_fields[std::size_t(f)] = std::move(value); }

    // Joins the fields in record order with DataFileDelimiter, rewrites the
    // mapping file, then stores the record in OutputString. A delimiter
    // inside a value is blanked out on the way, so a non-empty delimiter
    // always splits the record into exactly SheetFieldCount fields.
    void BuildData();
    // BuildData, then OutputString.
    std::string toString();
    // Why the last build could not write its mapping file (the system's
    // reason), or empty when it stands; the record is built either way.
    const std::string& MappingFailure() const { return m_MappingFailure; }
    // The mapping file the builds write (runMappingFileName, FileNames.h).
    std::string MappingFilePath() const { return m_MappingDirectory + runMappingFileName(m_SetupName); }
    // MappingDirectory + "Mapping_" + SetupName + ".map": deleted, then one
    // line "<position>=fld<name>" per field. Write failures go unnoticed.
    void WriteMappingFile();

    // A value as it stands in a record joined with delimiter: every
    // occurrence of the delimiter becomes one blank (removed when the
    // delimiter is itself a blank), and a tail that would run into the next
    // delimiter is dropped.
    static std::string valueForRecord(std::string value, const std::string& delimiter);

private:
    std::string m_DataFileDelimiter, m_OutputString, m_MappingDirectory, m_SetupName, m_MappingFailure;
    std::array<std::string, SheetFieldCount> m_fields;
};

}  // namespace vantrel
