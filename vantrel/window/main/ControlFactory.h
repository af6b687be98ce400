#pragma once
// Makes the main window's controls: each with its system name, its limits and
// its place in a form row, as every tab of the window uses them. The controls
// are children of the window, so the run and the capture find them by name.

#include <QList>
#include <QString>
#include <QStringList>

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
    void addRow(QFormLayout* form, const QString& caption, QWidget* field) const;
    void addRow(QFormLayout* form, const QString& caption, QWidget* field, const QString& unit) const;
    // The pictures whose holes belong to any of the groups, in art order;
    // their buttons join the named button groups.
    QList<ChassisPictureWidget*> pictures(const QStringList& groups) const;
    QButtonGroup* buttonGroup(const QString& name) const;

private:
    QWidget* m_window;
};

}  // namespace vantrel
