#pragma once
// The names of the files a setup type and a run make, each written and read
// in this one place: a setup type's settings file ("Setup_RDX.ini"), its
// mapping file and template, the mapping file a run writes, and a sheet's name
// ("Alex_SetupSheet_RDX_2026-12-08_143052.47.pdf", with "-2" and so on before ".pdf" when that name was taken).

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// "Setup_" + type + ".ini".
std::string setupFileName(std::string_view setupType);
// The setup type of such a file name ("Setup_RDX.ini" -> "RDX"); nothing for
// any other name, and for "Setup_.ini".
std::optional<std::string> setupTypeOfFileName(std::string_view fileName);

// A setup type's own mapping file and template, as New Setup Type names
// them: type + ".map", "SetupSheet_" + type + ".pdf".
std::string mappingFileName(std::string_view setupType);
std::string templateFileName(std::string_view setupType);
// The mapping file every run writes anew for its SetupName,
// "Mapping_" + setupName + ".map" ...
std::string runMappingFileName(std::string_view setupName);
// ... and whether a mapping file's name is one of those ("Mapping_...").
bool isRunMappingFileName(std::string_view fileName);

// What a sheet's file name says.
struct SheetName {
    std::string driver;     // as it stands in the name (made safe by the run)
    std::string setupType;  // "RDX"
    std::string date;       // "2026-12-08"
    std::string time;       // "143052.47": hours, minutes, seconds, hundredths
    int number = 1;         // 2, 3, ... when the first name was taken

    // driver + "_SetupSheet_" + setupType + "_" + date + "_" + time, then
    // "-<number>" from 2 on, then ".pdf".
    std::string fileName() const;
};

// The name of a file as a run names a sheet (a folder before it is allowed;
// ".PDF" too); nothing for any other name.
std::optional<SheetName> parseSheetName(std::string_view fileName);

}  // namespace vantrel
