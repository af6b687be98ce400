#pragma once
// Turns one loaded setup record into the 112 values of a setup sheet (units
// appended, option numbers turned into marks) and has them joined into the
// sheet data record, which rewrites the setup type's mapping file as well.

#include <array>
#include <memory>
#include <string>

#include "CAppSettings.h"
#include "CDataBuilder.h"
#include "CUtils.h"

namespace vantrel {

class CRulesEngine {
public:
    const std::string& SetupName() const { return m_SetupName; }
    void setSetupName(std::string value) { m_SetupName = std::move(value); }
    const std::string& DataFileDelimiter() const { return m_DataFileDelimiter; }
    void setDataFileDelimiter(std::string value) { m_DataFileDelimiter = std::move(value); }
    // The setup record to read; shared with the caller and only read.
    const std::shared_ptr<CAppSettings>& Config() const { return m_Config; }
    void setConfig(std::shared_ptr<CAppSettings> value) { m_Config = std::move(value); }
    const std::string& SetupDataRow() const { return m_SetupDataRow; }
    void setSetupDataRow(std::string value) { m_SetupDataRow = std::move(value); }
    // The mapping file the last ProcessData wrote (native) and, when it could
    // not be written, the system's reason (else empty).
    const std::string& MappingFile() const { return m_MappingFile; }
    const std::string& MappingFailure() const { return m_MappingFailure; }

    // Derives every sheet field from Config, builds the record (rewriting the
    // mapping file in Config's mapping folder) and stores it in SetupDataRow.
    // Without Config: platform::Error 91. Any failure leaves SetupDataRow as
    // it was.
    void ProcessData();

    using SheetValues = std::array<std::string, SheetFieldCount>;

    // The 112 values ProcessData records for this setup, in record order,
    // without touching any file.
    static SheetValues SheetFrom(const CAppSettings& config);

    // The inverse of the rules, from the same tables: a setup that the rules
    // turn into this sheet again, for every sheet the rules can produce.
    // Copied values come back as they stand, values with units and anti-roll
    // bars without the unit where the rules give their text back exactly; the first marked member of an option group
    // gives its number; an arm's length marker (or, without one, its first marked position) gives its length, and the
    // first marked position of that length its position. For a sheet filled by hand a member counts as marked when it
    // holds anything but blanks.
    static Setup SetupFromSheet(const SheetValues& sheet);

    // The setup fields a sheet field comes from: one for a value, the option
    // number for a member of an option group, the length and position for an
    // arm's marks; mark: it holds a mark ("l" or "_").
    struct SheetFieldSource {
        std::array<SetupField, 2> fields{};
        std::size_t count = 0;
        bool mark = false;
    };
    static SheetFieldSource SourceOf(SheetField field);

    // value + " " + unit, unless either is empty or the value already holds
    // the unit somewhere, in any letter case.
    static std::string AppendUnit(const std::string& value, const std::string& unit);

private:
    std::unique_ptr<CUtils> m_utils;  // made afresh by every ProcessData
    std::string m_SetupDataRow;
    std::string m_MappingFile, m_MappingFailure;
    std::shared_ptr<CAppSettings> m_Config;
    std::string m_DataFileDelimiter;
    std::string m_SetupName;
};

}  // namespace vantrel
