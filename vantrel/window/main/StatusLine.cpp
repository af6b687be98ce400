#include "StatusLine.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "pdfauto/Viewer.h"
#include "platform/Error.h"

namespace vantrel {

StatusLine::StatusLine(QWidget* parent) : QFrame(parent) {
    setObjectName("StatusLine");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    m_status = new QLabel(this);
    m_status->setObjectName("lblStatus");
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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
    if (warnings.isEmpty()) {
        m_status->setStyleSheet({});
        m_status->setText("Sheet saved: " + sheetPath);
        m_status->setToolTip(sheetPath);
    } else {
        // The sheet's actions stay: the racer may open it once a viewer is there.
        warn("Sheet saved: " + sheetPath + warnings);
    }
    m_openSheet->show();
    m_showFolder->show();
    show();
}

void StatusLine::showWarning(const QString& text) { showPlain(text, true); }

void StatusLine::showText(const QString& text) { showPlain(text, false); }

void StatusLine::showPlain(const QString& text, bool warning) {
    if (warning) warn(text);
    else {
        m_status->setStyleSheet({});
        m_status->setText(text);
        m_status->setToolTip(text);
    }
    m_openSheet->hide();
    m_showFolder->hide();
    show();
}

// A failed action keeps the sheet's actions: the racer may try again.
void StatusLine::warn(const QString& text) {
    m_status->setStyleSheet("color: #a04000; font-weight: bold;");
    m_status->setText(text);
    m_status->setToolTip(text);
}

void StatusLine::openSheetClicked() {
    if (m_lastSheet.isEmpty()) return;
    if (const std::string why = pdfauto::launchViewer(QFile::encodeName(m_lastSheet).toStdString()); !why.empty())
        warn(QString::fromStdString(platform::fileFailure("No viewer could open", m_lastSheet.toStdString(), why)) +
             "; open it by hand");
}

void StatusLine::showFolderClicked() {
    if (m_lastSheet.isEmpty()) return;
    const QString folder = QFileInfo(m_lastSheet).absolutePath();
    if (const std::string why = pdfauto::launchViewer(QFile::encodeName(folder).toStdString()); !why.empty())
        warn(QString::fromStdString(platform::fileFailure("No file manager could show", folder.toStdString(), why)));
}

}  // namespace vantrel
