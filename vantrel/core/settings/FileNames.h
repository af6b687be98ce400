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

// Names made from a racer's text (a driver, a setup type) by one rule on
// every system, so that a sheet keeps its name when it travels between
// Linux and Windows: the name Windows takes.
//
// Inside a name: each character no Windows name may hold (< > : " / \ | ?
// * and the control characters) becomes "_"; bytes that are not UTF-8 are
// read as Windows-1252. Everything else stands ("Zoë Ångström").
std::string portableNamePart(std::string_view text);
// A whole file or folder name: as a part, and then a dot or blank at its end
// becomes "_", and a name that Windows keeps for a device whatever follows
// its first dot (CON, PRN, AUX, NUL, COM0-9, LPT0-9, any case) gets "_"
// after the device name: "con.pdf" -> "con_.pdf". Never empty.
std::string portableFileName(std::string_view name);
// A file name as Windows compares names, ignoring letter case (Latin,
// Greek and Cyrillic letters): two names with one fold are one file there.
std::string foldedFileName(std::string_view name);

// What a sheet's file name says.
struct SheetName {
    std::string driver;     // as it stands in the name (made safe by the run)
    std::string setupType;  // "RDX"
    std::string date;       // "2026-12-08"
    std::string time;       // "143052.47": hours, minutes, seconds, hundredths
    int number = 1;         // 2, 3, ... when the first name was taken

    // driver + "_SetupSheet_" + setupType + "_" + date + "_" + time, then
    // "-<number>" from 2 on, then ".pdf"; made a name Windows takes
    // (portableFileName).
    std::string fileName() const;
};

// The name of a file as a run names a sheet (a folder before it is allowed;
// ".PDF" too); nothing for any other name.
std::optional<SheetName> parseSheetName(std::string_view fileName);

}  // namespace vantrel
