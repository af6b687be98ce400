#include "RebuildSheet.h"

#include "CSetupManager.h"
#include "platform/Paths.h"

namespace vantrel {

std::string rebuildSheet(const library::StoredSetup& setup, const std::string& targetFolder, bool openInViewer) {
    CSetupManager manager;
    manager.setSetupValues(setup.values);
    manager.setSetupName(setup.setupType);
    manager.setRebuildOf(setup.id);
    manager.setTargetPDFDirectory(targetFolder);
    manager.setOpenInViewer(openInViewer);
    manager.BuildSetupSheet();
    return platform::paths::toNative(manager.TargetPDFFile());
}

}  // namespace vantrel
