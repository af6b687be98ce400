#pragma once
// Captures what the main window shows into the raw data file named by the
// application settings: 73 fields, each from the control SetupControls.def
// names; most copied from a text or combo box, seventeen derived from which
// option button of a group is selected (OptionGroups.h).

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "CAppSettings.h"

class QWidget;

namespace vantrel {

class MainForm;

class CRawDataBuilder {
public:
    // The capture of this window.
    explicit CRawDataBuilder(MainForm& form) : m_main(form) {}

    const std::string& RawDataFilename() const { return m_RawDataFilename; }
    void setRawDataFilename(std::string value) { m_RawDataFilename = std::move(value); }

    // Reads the window into a new record and writes it with
    // WriteRawData; afterwards RawDataFilename names the file.
    // Errors: number 1, source "CRawDataBuilderCreateRawData", the trapped
    // error's description; RawDataFilename keeps its previous value.
    void CreateRawData();

    // The window's setup as CreateRawData reads it, without
    // writing anything (a run logged beside the sheet).
    Setup ReadWindow();

private:
    void ReadFormValues();

    std::string GetFrontToeIn() const;
    std::string GetFrontToeOut() const;
    std::string GetFrontKickupF() const;
    std::string GetFrontKickupR() const;
    std::string GetAckermanHub() const;
    std::string GetAckermanBellcrank() const;
    std::string GetFrontShockTower() const;
    std::string GetFrontShockTowerCamber() const;
    std::string GetFrontArmShock() const;
    std::string GetFrontArmLength() const;
    std::string GetRearAntisquatF() const;
    std::string GetRearAntisquatR() const;
    std::string GetRearShockTower() const;
    std::string GetRearShockTowerCamber() const;
    std::string GetRearArmShock() const;
    std::string GetRearArmLength() const;
    std::string GetRearHubCamber() const;

    // What the option groups (OptionGroups.h) store in the field for the
    // chosen button; empty when none is chosen.
    std::string optionValue(SetupField field) const;
    // Text of a text box or combo box (its edit field) of the window.
    std::string text(std::string_view control) const;
    // Index of the first selected button of the group among first..last, or -1.
    int selectedIndex(std::string_view group, int first, int last) const;
    // The index as decimal text, or empty for -1.
    static std::string number(int index);

    MainForm& m_main;
    QWidget* m_form = nullptr;  // m_main's controls while a capture reads them
    std::string m_RawDataFilename;
    std::shared_ptr<CAppSettings> m_record;
};

}  // namespace vantrel
