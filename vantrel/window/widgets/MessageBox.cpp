#include "MessageBox.h"

namespace vantrel {

namespace {
QMessageBox::StandardButton g_nextAnswer = QMessageBox::NoButton;
QList<MessageBox::Shown> g_history;
}  // namespace

QMessageBox::StandardButton MessageBox::critical(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons) {
    return show(parent, QMessageBox::Critical, title, text, buttons);
}

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons) {
    return show(parent, QMessageBox::Warning, title, text, buttons);
}

QMessageBox::StandardButton MessageBox::information(QWidget* parent, const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
    return show(parent, QMessageBox::Information, title, text, buttons);
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons) {
    return show(parent, QMessageBox::Question, title, text, buttons);
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) { g_nextAnswer = answer; }

const QList<MessageBox::Shown>& MessageBox::history() { return g_history; }

void MessageBox::clearHistory() { g_history.clear(); }

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons) {
    g_history.append({icon, title, text, buttons});
    if (g_nextAnswer != QMessageBox::NoButton) {
        const auto answer = g_nextAnswer;
        g_nextAnswer = QMessageBox::NoButton;
        return answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace vantrel
