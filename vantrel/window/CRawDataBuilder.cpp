#include "CRawDataBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "CSetupManager.h"
#include "CUtils.h"
#include "frmVantrel.h"
#include "platform/Error.h"

namespace vantrel {

namespace {
constexpr int32_t ErrControlArrayElement = 340;  // "Control array element doesn't exist"
}

void CRawDataBuilder::CreateRawData() {
    try {
        CUtils utils;
        m_record = std::make_shared<CAppSettings>();
        CSetupManager manager;
        manager.LoadConfig();
        m_form = frmVantrel::instance();
        if (!m_form) platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder", "There is no main window");

        ReadFormValues();

        const auto config = manager.GetConfig();
        if (!config) platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder");
        m_record->setFileName(utils.checkMe(config->DataDirectory()) + config->RawDataFile());
        m_record->WriteRawData();
        m_RawDataFilename = m_record->FileName();
        m_record.reset();
        m_form = nullptr;
    } catch (const platform::Error& error) {
        m_record.reset();
        m_form = nullptr;
        platform::raise(1, "CRawDataBuilderCreateRawData", error.description());
    } catch (const std::exception& error) {
        m_record.reset();
        m_form = nullptr;
        platform::raise(1, "CRawDataBuilderCreateRawData", error.what());
    }
}

void CRawDataBuilder::ReadFormValues() {
    CAppSettings& r = *m_record;
    r.setDriverName(text("txtDriverName"));
    r.setTrackCity(text("txtTrackCity"));
    r.setEventName(text("txtEventName"));
    r.setEventDate(text("txtEventDate"));
    r.setFrontCastor(text("cmbCastor"));
    r.setFrontToeIn(GetFrontToeIn());
    r.setFrontToeOut(GetFrontToeOut());
    r.setFrontCamber(text("txtFrontCamber"));
    r.setFrontRideHeight(text("txtFrontRideHeight"));
    r.setFrontWheelBase(text("cmbFrontWheelbase"));
    r.setFrontAntiRollBar(text("cmbFrontAntiRollBar"));
    r.setFrontDroop(text("txtFrontDroop"));
    r.setFrontShockOil(text("txtFrontShockOil"));
    r.setFrontShockPiston(text("txtFrontPiston"));
    r.setFrontShockSpring(text("txtFrontSpring"));
    r.setFrontSteeringBlock(text("cmbFrontSteeringBlock"));
    r.setFrontKickupF(GetFrontKickupF());
    r.setFrontKickupR(GetFrontKickupR());
    r.setAckermanHub(GetAckermanHub());
    r.setAckermanBellcrank(GetAckermanBellcrank());
    r.setFrontShockTower(GetFrontShockTower());
    r.setFrontShockTowerCamber(GetFrontShockTowerCamber());
    r.setFrontArmShock(GetFrontArmShock());
    r.setFrontArmMaterial(text("cmbFrontArmMaterial"));
    r.setFrontArmLength(GetFrontArmLength());
    r.setFrontTyres(text("txtFrontTyres"));
    r.setFrontTyreCompound(text("txtFrontCompound"));
    r.setFrontInsert(text("txtFrontInsert"));
    r.setFrontWheel(text("txtFrontRims"));
    r.setFrontDrive(text("cmbFrontDrive"));
    r.setRearToeIn(text("txtRearToeIn"));
    r.setRearUprightToeIn(text("cmbRearUprightToeIn"));
    r.setRearCamber(text("txtRearCamber"));
    r.setRearRideHeight(text("txtRearRideHeight"));
    r.setRearWheelBase(text("cmbRearWheelbase"));
    r.setRearAntiRollBar(text("cmbRearAntiRollBar"));
    r.setRearDroop(text("txtRearDroop"));
    r.setRearShockOil(text("txtRearOil"));
    r.setRearShockPiston(text("txtRearPiston"));
    r.setRearShockSpring(text("txtRearSpring"));
    r.setRearAntisquatF(GetRearAntisquatF());
    r.setRearAntisquatR(GetRearAntisquatR());
    r.setRearShockTower(GetRearShockTower());
    r.setRearShockTowerCamber(GetRearShockTowerCamber());
    r.setRearHubCamber(GetRearHubCamber());
    r.setRearArmShock(GetRearArmShock());
    r.setRearArmMaterial(text("cmbRearArmMaterial"));
    r.setRearArmLength(GetRearArmLength());
    r.setRearTyres(text("txtRearTyres"));
    r.setRearTyreCompound(text("txtRearCompound"));
    r.setRearInsert(text("txtRearInsert"));
    r.setRearWheel(text("txtRearRims"));
    r.setTyreAdditive(text("txtAdditive"));
    r.setMotor(text("txtMotor"));
    r.setRadio(text("txtRadio"));
    r.setServo(text("txtServo"));
    r.setMotorBrush(text("txtMotorBrush"));
    r.setMotorSpring(text("txtMotorSpring"));
    r.setESC(text("txtESC"));
    r.setBody(text("txtBody"));
    r.setWing(text("txtWing"));
    r.setPinion(text("txtPinion"));
    r.setSpur(text("txtSpur"));
    r.setLeadWeights(text("txtLeadWeights"));
    r.setTrackSurface(text("txtTrackSurface"));
    r.setTrackTraction(text("txtTrackTraction"));
    r.setTrackComposition(text("cmbTrackComposition"));
    r.setTrackTemperature(text("txtTrackTemp"));
    r.setComments(text("txtComments"));
    r.setResultsMain(text("txtMain"));
    r.setResultsQualifyingPos(text("txtQualPos"));
    r.setResultsFinishPos(text("txtFinishPos"));
    r.setNotes(text("txtNotes"));
}

// ------------------------------------------------------------ option readers

std::string CRawDataBuilder::GetFrontToeIn() const {
    return selectedIndex("OptionFrontToe", 0, 0) == 0 ? text("txtFrontToe") : std::string();
}

std::string CRawDataBuilder::GetFrontToeOut() const {
    return selectedIndex("OptionFrontToe", 1, 1) == 1 ? text("txtFrontToe") : std::string();
}

std::string CRawDataBuilder::GetFrontKickupF() const { return number(selectedIndex("OptionFrontKickupF", 0, 4)); }
std::string CRawDataBuilder::GetFrontKickupR() const { return number(selectedIndex("OptionFrontKickupR", 0, 2)); }
std::string CRawDataBuilder::GetAckermanHub() const { return number(selectedIndex("OptionAckermanHub", 1, 2)); }
std::string CRawDataBuilder::GetAckermanBellcrank() const {
    return number(selectedIndex("OptionAckermanBellcrank", 1, 2));
}
std::string CRawDataBuilder::GetFrontShockTower() const { return number(selectedIndex("OptionFrontShockTower", 1, 4)); }
std::string CRawDataBuilder::GetFrontShockTowerCamber() const {
    return number(selectedIndex("OptionFrontShockTowerCamber", 1, 8));
}

// The front arm offers holes 2 to 4 on the long arm (indices 2 to 4) and
// again on the short arm (indices 5 to 7).
std::string CRawDataBuilder::GetFrontArmShock() const {
    const int i = selectedIndex("OptionFrontShockArm", 2, 7);
    return number(i < 0 ? i : i <= 4 ? i : i - 3);
}

std::string CRawDataBuilder::GetFrontArmLength() const {
    const int i = selectedIndex("OptionFrontShockArm", 2, 7);
    return i < 0 ? std::string() : i <= 4 ? "Long" : "Short";
}

std::string CRawDataBuilder::GetRearAntisquatF() const { return number(selectedIndex("OptionRearAntisquatF", 0, 4)); }
std::string CRawDataBuilder::GetRearAntisquatR() const { return number(selectedIndex("OptionRearAntisquatR", 0, 4)); }
std::string CRawDataBuilder::GetRearShockTower() const { return number(selectedIndex("OptionRearShockTower", 1, 4)); }
std::string CRawDataBuilder::GetRearShockTowerCamber() const {
    return number(selectedIndex("OptionRearShockTowerCamber", 1, 8));
}

// The rear arm offers holes 1 to 4 on the long arm (indices 1 to 4) and
// again on the short arm (indices 5 to 8).
std::string CRawDataBuilder::GetRearArmShock() const {
    const int i = selectedIndex("OptionRearShockArm", 1, 8);
    return number(i < 0 ? i : i <= 4 ? i : i - 4);
}

std::string CRawDataBuilder::GetRearArmLength() const {
    const int i = selectedIndex("OptionRearShockArm", 1, 8);
    return i < 0 ? std::string() : i <= 4 ? "Long" : "Short";
}

std::string CRawDataBuilder::GetRearHubCamber() const { return number(selectedIndex("OptionRearHubCamber", 1, 4)); }

// ------------------------------------------------------------ window access

std::string CRawDataBuilder::text(const char* control) const {
    QWidget* widget = m_form->findChild<QWidget*>(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text().toStdString();
    if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentText().toStdString();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) return box->toPlainText().toStdString();
    platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder", std::string("No text box named ") + control);
}

int CRawDataBuilder::selectedIndex(const char* group, int first, int last) const {
    auto* buttons = m_form->findChild<QButtonGroup*>(group);
    if (!buttons)
        platform::raise(platform::ErrObjectNotSet, "CRawDataBuilder", std::string("No option group named ") + group);
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
