#include "MessageBox.h"

#include "WindowGeometry.h"
#include "platform/Error.h"

namespace vantrel {

namespace {
QMessageBox::StandardButton g_nextAnswer = QMessageBox::NoButton;
QList<MessageBox::Shown> g_history;
}  // namespace

QString failureText(const std::exception& failure) { return QString::fromStdString(platform::errorText(failure)); }

QMessageBox::StandardButton MessageBox::failure(QWidget* parent, const QString& title, const std::exception& failure) {
    return show(parent, QMessageBox::Critical, title, failureText(failure), QMessageBox::Ok);
}

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
    // A long list (an import's report, say) would make the box taller than
    // the screen: its first lines show, the whole of it under Show Details.
    constexpr int kShownLines = 24;
    const QStringList lines = text.split('\n');
    QMessageBox box(icon, title, text, buttons, parent);
    if (lines.size() > kShownLines) {
        box.setText(lines.mid(0, kShownLines).join('\n') +
                    QString("\n… and %1 more lines (Show Details…)").arg(lines.size() - kShownLines));
        box.setDetailedText(text);
    }
    windowgeometry::fitOnShow(&box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace vantrel
