#pragma once
// What the File tab asks of a run, read from its controls in one place: the
// run procedure takes this rather than looking controls up by name.

#include <QString>

namespace vantrel {

struct SheetRequest {
    QString setupName;          // cmbSetupName
    bool externalData = false;  // chkExternalData ticked: the sheet comes from rawDataFile
    QString rawDataFile;        // txtRawDataFile
    QString targetFolder;       // txtTargetPDFDirectory
};

}  // namespace vantrel
