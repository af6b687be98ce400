#pragma once
// The program's modal message boxes. Tests answer a box ahead of time
// (setNextAnswer), so a box never blocks them, and read back what it said.

#include <QMessageBox>
#include <QString>

#include <exception>

namespace vantrel {

// A failure as a racer reads it in a box or a status line (platform::errorText).
QString failureText(const std::exception& failure);

class MessageBox {
public:
    struct Shown {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons = QMessageBox::NoButton;
    };

    static QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // A failure in a critical box, as failureText puts it.
    static QMessageBox::StandardButton failure(QWidget* parent, const QString& title, const std::exception& failure);
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Yes |
                                                                                       QMessageBox::No);

    // The next box is not shown: it returns this answer at once.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // Every box asked for since the last clear, shown or answered ahead of time.
    static const QList<Shown>& history();
    static void clearHistory();

private:
    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons);
};

}  // namespace vantrel
