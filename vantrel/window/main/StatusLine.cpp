#include "StatusLine.h"

#include <QEvent>
#include <QFile>
#include <QFontMetrics>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ElidedLabel.h"
#include "pdfauto/Viewer.h"
#include "platform/Error.h"

namespace vantrel {

StatusLine::StatusLine(QWidget* parent) : QFrame(parent) {
    setObjectName("StatusLine");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    m_status = new ElidedLabel(this);
    m_status->setObjectName("lblStatus");
    layout->addWidget(m_status, 1);
    m_openSheet = new QPushButton("Open Sheet", this);
    m_openSheet->setObjectName("cmdOpenSheet");
    m_showFolder = new QPushButton("Show Folder", this);
    m_showFolder->setObjectName("cmdShowFolder");
    // Plain buttons: the racer sees when the keyboard's focus is on one.
    for (QPushButton* button : {m_openSheet, m_showFolder}) {
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    connect(m_openSheet, &QPushButton::clicked, this, &StatusLine::openSheetClicked);
    connect(m_showFolder, &QPushButton::clicked, this, &StatusLine::showFolderClicked);
    hide();
}

void StatusLine::showSheetCreated(const QString& sheetPath, const QString& warnings) {
    m_lastSheet = sheetPath;
    // The sheet's actions stay with a warning: the racer may open it once a viewer is there.
    setLine("Sheet saved: ", sheetPath, warnings, !warnings.isEmpty());
    m_openSheet->show();
    m_showFolder->show();
    show();
}

void StatusLine::addFirst(const std::vector<QWidget*>& widgets) {
    auto* row = static_cast<QHBoxLayout*>(layout());
    int at = 0;
    for (QWidget* widget : widgets) {
        row->insertWidget(at++, widget);
        widget->hide();
    }
}

void StatusLine::offerShown() {
    if (m_status->text().isEmpty()) {
        m_openSheet->hide();
        m_showFolder->hide();
    }
    show();
}

void StatusLine::offerWithdrawn() {
    if (m_status->text().isEmpty()) hide();
}

void StatusLine::showWarning(const QString& text) { showPlain(text, true); }

void StatusLine::showText(const QString& text) { showPlain(text, false); }

void StatusLine::showPlain(const QString& text, bool warning) { showAbout(text, {}, {}, warning); }

void StatusLine::showAbout(const QString& before, const QString& path, const QString& after, bool warning) {
    setLine(before, path, after, warning);
    m_openSheet->hide();
    m_showFolder->hide();
    show();
}

// A failed action keeps the sheet's actions: the racer may try again.
void StatusLine::warn(const QString& text) { setLine(text, {}, {}, true); }

void StatusLine::setLine(const QString& before, const QString& path, const QString& after, bool warning) {
    m_status->setStyleSheet(warning ? "color: #a04000; font-weight: bold;" : "");
    // A line too long loses the path's folders first, never the sheet's
    // name, then its ends ("…"); the tooltip holds it whole.
    m_status->setToolTip(before + path + after);
    m_status->setLine(before, path, after);
}

void StatusLine::openSheetClicked() {
    if (m_lastSheet.isEmpty()) return;
    if (const std::string why = pdfauto::launchPdfViewer(m_lastSheet.toStdString()); !why.empty())
        warn(QString::fromStdString(platform::fileFailure("No viewer could open", m_lastSheet.toStdString(), why)) +
             "; open it by hand");
}

void StatusLine::showFolderClicked() {
    if (m_lastSheet.isEmpty()) return;
    const QString folder = QFileInfo(m_lastSheet).absolutePath();
    if (const std::string why = pdfauto::launchViewer(folder.toStdString()); !why.empty())
        warn(QString::fromStdString(platform::fileFailure("No file manager could show", folder.toStdString(), why)));
}

}  // namespace vantrel
