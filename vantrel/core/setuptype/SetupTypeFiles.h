#pragma once
// A setup type of the racer's own, as files in the program folder: the
// per-setup file Config/Setup_NAME.ini, its mapping file (NAME + ".map") in
// the mapping folder and a copy of its PDF form in the templates folder.
// Also what the dialog that makes one needs without Qt: which form field a
// sheet field most likely goes to, which sheet fields hold marks, and where
// on the first page a form's fields are.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SetupType.h"
#include "pdfauto/Document.h"

namespace vantrel {

namespace setuptype {

// A form field's name with letter case, blanks, punctuation, array indices
// ("[0]") and a leading "fld" taken away: "fld Driver-Name" and "DRIVERNAME"
// both give "drivername".
std::string normalisedFieldName(std::string_view name);

// The first of formFields whose whole name, or the last part of it after the
// last ".", is the sheet field's name once both are normalised; -1 when none.
int matchingFormField(std::string_view sheetField, const std::vector<std::string>& formFields);

// A sheet field that holds a mark: "l" in the chosen member of an option
// group, "_" in the chosen arm length. Marks are characters in a text field.
bool isMarkField(std::string_view sheetField);

// The setup types the configuration folder holds (Setup_NAME.ini): "RDX"
// first whether or not its file is there, the others after it in name order.
std::vector<std::string> setupTypeNames(const std::string& configFolder);

// Why NAME cannot name a setup type ("" when it can): empty, characters a
// file name cannot hold, or a name whose files other runs rewrite.
std::string nameRefusal(std::string_view name);

std::string setupFilePath(const SetupTypeFolders& folders, std::string_view name);

// Why making setup type NAME would spoil another one ("" when it would not):
// another setup type's per-setup file names the same mapping file or
// template, or a run of one rewrites the other's mapping file.
std::string conflictWithOtherTypes(const SetupTypeFolders& folders, std::string_view name);

// Position in the sheet data record (1 to 112) and the form field it fills.
using MappingLine = std::pair<int, std::string>;

// Copies the PDF to the templates folder, writes the mapping file and then
// the per-setup file, each replaced atomically, making the folders that are
// missing. Raises platform::Error naming the file that could not be written.
void writeSetupType(const SetupTypeFolders& folders, std::string_view name, const std::string& pdfPath,
                    const std::vector<MappingLine>& mapping);

// The widget boxes on the first page as viewers show it (its crop box,
// turned by its rotation), in PDF points from the shown page's lower left
// corner, with the full name of the field each belongs to.
struct WidgetBox {
    std::string field;
    double x0, y0, x1, y1;
};
struct FirstPage {
    double width = 0;
    double height = 0;
    std::vector<WidgetBox> widgets;
};
// From what one load of the form gave: its pages and its fields.
FirstPage firstPageWidgets(const std::vector<pdfauto::PageInfo>& pages, const std::vector<pdfauto::FieldInfo>& fields);

}  // namespace setuptype
}  // namespace vantrel
