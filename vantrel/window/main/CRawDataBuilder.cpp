#include "CRawDataBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "Installation.h"
#include "SetupControls.h"
#include "MainForm.h"
#include "platform/Error.h"

namespace vantrel {

namespace {
constexpr int32_t ErrControlArrayElement = 340;  // "Control array element doesn't exist"
}

void CRawDataBuilder::CreateRawData() {
    try {
        m_record = std::make_shared<CAppSettings>();
        m_form = m_main.formWidget();
        if (!m_form) platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder", "There is no main window");

        ReadFormValues();

        m_record->setFileName(m_main.installation().rawDataPath());
        m_record->WriteRawData();
        m_RawDataFilename = m_record->FileName();
        m_record.reset();
        m_form = nullptr;
    } catch (const std::exception& error) {
        m_record.reset();
        m_form = nullptr;
        platform::raise(1, "CRawDataBuilderCreateRawData", platform::errorText(error));
    }
}

Setup CRawDataBuilder::ReadWindow() {
    Setup values;
    m_record = std::make_shared<CAppSettings>();
    m_form = m_main.formWidget();
    if (m_form) ReadFormValues();
    for (std::size_t i = 0; i < SetupFieldCount; ++i) values[i] = m_record->field(SetupField(i));
    m_record.reset();
    m_form = nullptr;
    return values;
}

void CRawDataBuilder::ReadFormValues() {
    using Reader = std::string (CRawDataBuilder::*)() const;
    struct OptionReader {
        SetupField field;
        Reader read;
    };
    using F = SetupField;
    static constexpr OptionReader readers[] = {
        {F::FrontToeIn, &CRawDataBuilder::GetFrontToeIn},
        {F::FrontToeOut, &CRawDataBuilder::GetFrontToeOut},
        {F::FrontKickupF, &CRawDataBuilder::GetFrontKickupF},
        {F::FrontKickupR, &CRawDataBuilder::GetFrontKickupR},
        {F::AckermanHub, &CRawDataBuilder::GetAckermanHub},
        {F::AckermanBellcrank, &CRawDataBuilder::GetAckermanBellcrank},
        {F::FrontShockTower, &CRawDataBuilder::GetFrontShockTower},
        {F::FrontShockTowerCamber, &CRawDataBuilder::GetFrontShockTowerCamber},
        {F::FrontArmShock, &CRawDataBuilder::GetFrontArmShock},
        {F::FrontArmLength, &CRawDataBuilder::GetFrontArmLength},
        {F::RearAntisquatF, &CRawDataBuilder::GetRearAntisquatF},
        {F::RearAntisquatR, &CRawDataBuilder::GetRearAntisquatR},
        {F::RearShockTower, &CRawDataBuilder::GetRearShockTower},
        {F::RearShockTowerCamber, &CRawDataBuilder::GetRearShockTowerCamber},
        {F::RearHubCamber, &CRawDataBuilder::GetRearHubCamber},
        {F::RearArmShock, &CRawDataBuilder::GetRearArmShock},
        {F::RearArmLength, &CRawDataBuilder::GetRearArmLength},
    };
    static_assert(
        [] {
            for (const SetupControl& row : SetupControls) {
                int n = 0;
                for (const OptionReader& reader : readers) n += reader.field == row.field;
                if (n != (isOptionControl(row.control) ? 1 : 0)) return false;
            }
            return true;
        }(),
        "one option reader for each field read from an option group");

    // In record order, each field from its control.
    CAppSettings& r = *m_record;
    for (const SetupControl& row : SetupControls) {
        if (!isOptionControl(row.control)) {
            r.setField(row.field, text(row.control));
            continue;
        }
        for (const OptionReader& reader : readers)
            if (reader.field == row.field) r.setField(row.field, (this->*reader.read)());
    }
}

// ------------------------------------------------------------ option readers

// The seventeen option readers, each what OptionGroups.h stores for the
// button chosen in its field's group.
std::string CRawDataBuilder::GetFrontToeIn() const { return optionValue(SetupField::FrontToeIn); }
std::string CRawDataBuilder::GetFrontToeOut() const { return optionValue(SetupField::FrontToeOut); }
std::string CRawDataBuilder::GetFrontKickupF() const { return optionValue(SetupField::FrontKickupF); }
std::string CRawDataBuilder::GetFrontKickupR() const { return optionValue(SetupField::FrontKickupR); }
std::string CRawDataBuilder::GetAckermanHub() const { return optionValue(SetupField::AckermanHub); }
std::string CRawDataBuilder::GetAckermanBellcrank() const { return optionValue(SetupField::AckermanBellcrank); }
std::string CRawDataBuilder::GetFrontShockTower() const { return optionValue(SetupField::FrontShockTower); }
std::string CRawDataBuilder::GetFrontShockTowerCamber() const { return optionValue(SetupField::FrontShockTowerCamber); }
std::string CRawDataBuilder::GetFrontArmShock() const { return optionValue(SetupField::FrontArmShock); }
std::string CRawDataBuilder::GetFrontArmLength() const { return optionValue(SetupField::FrontArmLength); }
std::string CRawDataBuilder::GetRearAntisquatF() const { return optionValue(SetupField::RearAntisquatF); }
std::string CRawDataBuilder::GetRearAntisquatR() const { return optionValue(SetupField::RearAntisquatR); }
std::string CRawDataBuilder::GetRearShockTower() const { return optionValue(SetupField::RearShockTower); }
std::string CRawDataBuilder::GetRearShockTowerCamber() const { return optionValue(SetupField::RearShockTowerCamber); }
std::string CRawDataBuilder::GetRearArmShock() const { return optionValue(SetupField::RearArmShock); }
std::string CRawDataBuilder::GetRearArmLength() const { return optionValue(SetupField::RearArmLength); }
std::string CRawDataBuilder::GetRearHubCamber() const { return optionValue(SetupField::RearHubCamber); }

// The runs that fill the field are looked at in table order (for an arm: the
// long run, then the short one), each button by button; the first chosen
// button gives the value, or the run's length for a length field.
std::string CRawDataBuilder::optionValue(SetupField field) const {
    for (const OptionRun& run : OptionRuns) {
        const bool isLength = run.lengthField == field;
        if (run.field != field && !isLength) continue;
        const int i = selectedIndex(run.group, run.first, run.last);
        if (i < 0) continue;
        if (isLength) return std::string(run.length);
        if (!run.textBox.empty()) return text(run.textBox);
        return number(run.value(i));
    }
    return {};
}

// ------------------------------------------------------------ window access

std::string CRawDataBuilder::text(std::string_view control) const {
    QWidget* widget = m_form->findChild<QWidget*>(QString::fromUtf8(control.data(), qsizetype(control.size())));
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text().toStdString();
    if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentText().toStdString();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) return box->toPlainText().toStdString();
    platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder", "No text box named " + std::string(control));
}

int CRawDataBuilder::selectedIndex(std::string_view group, int first, int last) const {
    auto* buttons = m_form->findChild<QButtonGroup*>(QString::fromUtf8(group.data(), qsizetype(group.size())));
    if (!buttons)
        platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder", "No option group named " + std::string(group));
    for (int i = first; i <= last; ++i) {
        QAbstractButton* button = buttons->button(i);
        if (!button)
            platform::raise(ErrControlArrayElement, "CRawDataBuilder",
                            "Control array element '" + std::to_string(i) + "' doesn't exist");
        if (button->isChecked()) return i;
    }
    return -1;
}

std::string CRawDataBuilder::number(int index) { return index < 0 ? std::string() : std::to_string(index); }

}  // namespace vantrel
