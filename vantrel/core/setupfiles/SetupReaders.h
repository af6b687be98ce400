#pragma once
// The one registry of the readers of setups, for every front end (the
// window's Open Setup…, the library window's import, vantrel-batch --extract
// and --import): a raw data file, a sheet with its setup attached, a sheet
// of one's own setup type read through its mapping file, and a sheet read by
// its "fld" fields through the inverse of the rules. A file is read once and
// a PDF parsed once per read.
//
// A sheet's fields win over its attachment where a racer edited them in a
// PDF reader after the run: a form field whose value is not what the
// attached setup gives for it by the rules gives the setup fields it comes
// from (through the inverse of the rules); the rest is the attachment's.

#include <string>
#include <vector>

#include "SetupFile.h"
#include "SetupType.h"

namespace vantrel {

// The setup types a sheet is read by are those of folders (SetupType.h:
// setupTypeFolders of the installation the program read where it started).

enum class SetupOrigin { RawDataFile, Attachment, OwnSetupType, SheetFields };

struct SetupRead {
    Setup values;
    // The setup type the sheet's name gives or its fields show; empty for a
    // raw data file, which names none, and a sheet that says nothing of it.
    std::string setupType;
    SetupOrigin origin = SetupOrigin::RawDataFile;
    // The setup fields taken from the sheet's edits over its attachment.
    std::vector<SetupField> fromEdits;
};

// The setup in a file at a native path. Raises platform::Error naming the
// file and what is wrong with it, as readSetupFile says.
SetupRead readSetup(const std::string& nativePath, const SetupTypeFolders& folders);
// The same from the file's bytes, read by the caller from the one descriptor
// it opened; the file is not opened again.
SetupRead readSetupBytes(const std::string& nativePath, std::string bytes, const SetupTypeFolders& folders);

// "from the sheet's edits: Notes, ResultsFinishPos"; empty without edits.
std::string editsNote(const SetupRead& read);

}  // namespace vantrel
