#pragma once
// Small helpers that work the main window the way a racer does.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTest>

#include <array>

#include "Installation.h"
#include "platform/Process.h"
#include "MessageBox.h"
#include "SetupControls.h"
#include "frmVantrel.h"

namespace windowtest {

// A new main window on the screen, with no message box shown so far; false
// when the window never appeared.
inline bool showNewMainWindow(QPointer<vantrel::frmVantrel>& window, vantrel::MainWindowOptions options = {}) {
    vantrel::MessageBox::clearHistory();
    window =
        new vantrel::frmVantrel(vantrel::Installation::read(platform::process::programFolder()), std::move(options));
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

inline QAbstractButton* option(vantrel::frmVantrel* window, const char* group, int index) {
    auto* buttons = window->control<QButtonGroup>(group);
    return buttons ? buttons->button(index) : nullptr;
}

// Shows the tab holding the button and clicks the middle of it, where the
// hole of the picture is.
inline bool clickOption(vantrel::frmVantrel* window, const char* group, int index) {
    QAbstractButton* button = option(window, group, index);
    if (!button) return false;
    auto* tabs = window->control<QTabWidget>("SSTab1");
    for (int tab = 0; tab < tabs->count(); ++tab)
        if (tabs->widget(tab)->isAncestorOf(button)) tabs->setCurrentIndex(tab);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    return button->isChecked();
}

// Types text key by key, letters beyond ASCII included.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

inline void clearGroup(vantrel::frmVantrel* window, const char* group) {
    auto* buttons = window->control<QButtonGroup>(group);
    buttons->setExclusive(false);
    for (QAbstractButton* b : buttons->buttons()) b->setChecked(false);
    buttons->setExclusive(true);
}

// Text of a text box, tall text box or combo box, as the capture reads it.
inline QString textOf(vantrel::frmVantrel* window, const QString& name) {
    QWidget* w = window->control<QWidget>(name);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText();
    return QStringLiteral("<no control %1>").arg(name);
}

inline void setTextOf(vantrel::frmVantrel* window, const QString& name, const QString& text) {
    QWidget* w = window->control<QWidget>(name);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w)) c->setCurrentText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) p->setPlainText(text);
}

// The setup fields in raw data file order and the control each one copies;
// option fields name their group (SetupControls.def).
struct FieldSource {
    const char* field;
    const char* control;
};
inline constexpr auto kFieldSources = [] {
    std::array<FieldSource, vantrel::SetupFieldCount> sources{};
    for (std::size_t i = 0; i < sources.size(); ++i)
        sources[i] = {vantrel::SetupFieldKeys[i].data(), vantrel::SetupControls[i].control.data()};
    return sources;
}();

inline bool isOptionSource(const char* control) { return vantrel::isOptionControl(control); }

}  // namespace windowtest
