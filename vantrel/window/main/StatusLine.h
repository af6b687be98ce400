#pragma once
// The status line at the foot of the main window: where the last sheet went,
// with actions to open it and show its folder, a warning of its own, or what
// the window just did. Hidden until it has something to say. Other parts of
// the window (the offer of the last meeting at a track) add their widgets to
// its row.

#include <QFrame>
#include <QString>
#include <vector>

class QPushButton;

namespace vantrel {

class ElidedLabel;

class StatusLine : public QFrame {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);

    // The sheet a run just made, with "Open Sheet" and "Show Folder", and
    // after it what went not as asked (a warning then).
    void showSheetCreated(const QString& sheetPath, const QString& warnings = {});
    // A warning, without actions.
    void showWarning(const QString& text);
    // What the window just did, without actions.
    void showText(const QString& text);
    // The same about a file, its path cut in its folders where the line is short.
    void showAbout(const QString& before, const QString& path, const QString& after, bool warning);

    // Another part's widgets, first in the row and hidden until it shows them.
    void addFirst(const std::vector<QWidget*>& widgets);
    // One of them is shown: the line shows, without the sheet's actions when
    // it names no sheet (they would have nothing to act on).
    void offerShown();
    // They went: the line hides when it says nothing else.
    void offerWithdrawn();

private:
    void showPlain(const QString& text, bool warning);
    void warn(const QString& text);
    // The line: before, a path cut in its folders to fit, after.
    void setLine(const QString& before, const QString& path, const QString& after, bool warning);
    void openSheetClicked();
    void showFolderClicked();

    ElidedLabel* m_status = nullptr;
    QPushButton* m_openSheet = nullptr;
    QPushButton* m_showFolder = nullptr;
    QString m_lastSheet;  // the sheet the line names
};

}  // namespace vantrel
