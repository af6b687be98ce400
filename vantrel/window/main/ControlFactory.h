#pragma once
// Makes the main window's controls: a setup field's from the control tables
// (SetupControls.def, WindowControls.def: its name, kind, caption, unit and
// choices), with its limits and its place in a form row, as every tab of the
// window uses them. The controls are children of the window, so the run and
// the capture find them by name.

#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>

#include "CAppSettings.h"

class QButtonGroup;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace vantrel {

class ChassisPictureWidget;

class ControlFactory {
public:
    explicit ControlFactory(QWidget* window) : m_window(window) {}

    QWidget* window() const { return m_window; }

    QLineEdit* textBox(const QString& name) const;
    QComboBox* comboBox(const QString& name, const QStringList& items, const QString& start) const;
    QLabel* label(const QString& name, const QString& text) const;
    QGroupBox* frame(const QString& name, const QString& title) const;
    static QFormLayout* formLayout();

    // The control of a text, drop-down or notes field.
    QWidget* control(SetupField field) const;
    // Its label, named after it ("lblFrontCamber" for "txtFrontCamber"): the
    // field's caption and a colon, with the words of a column heading over it
    // left out ("Compound:" under "Front" for "Front Compound").
    QLabel* labelFor(SetupField field, const QWidget* control, const QString& heading = {}) const;
    // A form row each: caption, control and unit.
    void addRows(QFormLayout* form, std::initializer_list<SetupField> fields) const;
    // The row of an option group with a text beside its choices (the front
    // toe): the group's caption, the text box, the choices as round buttons.
    void addOptionRow(QFormLayout* form, SetupField field) const;
    // The pictures whose holes belong to the groups of any of the fields, in
    // art order; their buttons join the named button groups.
    QList<ChassisPictureWidget*> pictures(std::initializer_list<SetupField> fields) const;
    QButtonGroup* buttonGroup(const QString& name) const;

private:
    QWidget* m_window;
};

}  // namespace vantrel
