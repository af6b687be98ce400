#pragma once
// A sheet as a run makes it, and its fill alone, in a bench folder: the parts
// that the benchmarks of the pipeline and of the one write share.

#include <memory>
#include <string>

#include "BenchFolder.h"
#include "CAppSettings.h"
#include "CFileManager.h"
#include "CSetupManager.h"
#include "CUtils.h"
#include "platform/Process.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"
#include "quorrel/Quorrel.h"

namespace bench {

// One whole sheet from the folder's sample through the run driver, the viewer
// off: the sheet's path. Without a library the run opens and closes the
// installation's own, as vantrel-batch does for a single sheet.
inline std::string buildSheet(const BenchFolder& folder, std::shared_ptr<vantrel::library::SetupLibrary> library = {}) {
    vantrel::CSetupManager manager;
    if (library) manager.setLibrary(std::move(library));
    manager.setOpenInViewer(false);
    manager.setRawDataFile(folder.rawDataFile());
    manager.setSetupName("RDX");
    manager.setTargetPDFDirectory(folder.sheets());
    manager.BuildSetupSheet();
    return manager.TargetPDFFile();
}

// The installation's settings, read as a run reads them.
inline vantrel::CAppSettings installedSettings() {
    vantrel::CAppSettings config;
    config.setFileName(platform::process::programFolder() + "\\bin\\Vantrel.ini");
    config.ReadSettings();
    return config;
}

// The files the fill of an RDX sheet works with (a run has written the data
// and mapping files once before).
struct FillFiles {
    std::string dataFile, delimiter, mapping, templateFile;
};

inline FillFiles rdxFillFiles(const vantrel::CAppSettings& config) {
    const vantrel::CUtils utils;
    return {utils.checkMe(config.DataDirectory()) + config.DataFile(), config.DataFileDelimiter(),
            utils.checkMe(config.MappingDirectory()) + "Mapping_RDX.map",
            utils.checkMe(config.TemplatesDirectory()) + "SetupSheet_RDX.pdf"};
}

// The template copied to the sheet's path as a run copies it: not synced,
// since the fill saves over it at once.
inline void copyTemplate(const FillFiles& files, const std::string& sheet) {
    CFileManager manager;
    manager.setSyncCopies(false);
    manager.copyFile(files.templateFile, sheet);
}

// Quorrel's fill of the copy and its save.
inline void fillCopy(const FillFiles& files, const std::string& sheet) {
    auto filler = com::create<quorrel::ICPdfFormFiller>(quorrel::CLSID_CPdfFormFiller, quorrel::IID_CPdfFormFiller);
    com::check(filler->put_DataFile(files.dataFile));
    com::check(filler->put_DataFileDelimiter(files.delimiter));
    com::check(filler->put_PdfFormFile(sheet));
    com::check(filler->put_MappingFile(files.mapping));
    com::check(filler->FillForm());
}

// The fill alone: the template copied to the sheet's path and filled there.
inline void fillAlone(const FillFiles& files, const std::string& sheet) {
    copyTemplate(files, sheet);
    fillCopy(files, sheet);
}

}  // namespace bench
