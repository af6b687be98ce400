// The status line at the foot of the main window: where the last sheet went,
// with actions to open it and show its folder, or a warning of its own.

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "pdfauto/Viewer.h"
#include "frmVantrel.h"

namespace vantrel {

QWidget* frmVantrel::buildStatusLine() {
    auto* line = new QFrame(this);
    line->setObjectName("StatusLine");
    line->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(8, 2, 4, 2);
    auto* lblStatus = label("lblStatus", {});
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(lblStatus, 1);
    auto* cmdOpenSheet = new QPushButton("Open Sheet", line);
    cmdOpenSheet->setObjectName("cmdOpenSheet");
    auto* cmdShowFolder = new QPushButton("Show Folder", line);
    cmdShowFolder->setObjectName("cmdShowFolder");
    for (QPushButton* button : {cmdOpenSheet, cmdShowFolder}) {
        button->setFlat(true);
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    connect(cmdOpenSheet, &QPushButton::clicked, this, &frmVantrel::openSheetClicked);
    connect(cmdShowFolder, &QPushButton::clicked, this, &frmVantrel::showFolderClicked);
    line->hide();
    return line;
}

void frmVantrel::showSheetCreated(const QString& sheetPath) {
    m_lastSheet = sheetPath;
    auto* lblStatus = control<QLabel>("lblStatus");
    lblStatus->setStyleSheet({});
    lblStatus->setText("Sheet saved: " + sheetPath);
    lblStatus->setToolTip(sheetPath);
    control<QPushButton>("cmdOpenSheet")->show();
    control<QPushButton>("cmdShowFolder")->show();
    control<QFrame>("StatusLine")->show();
}

namespace {
void warnIn(QLabel* lblStatus, const QString& text) {
    lblStatus->setStyleSheet("color: #a04000; font-weight: bold;");
    lblStatus->setText(text);
    lblStatus->setToolTip(text);
}
}  // namespace

void frmVantrel::showStatusText(const QString& text) {
    auto* lblStatus = control<QLabel>("lblStatus");
    lblStatus->setStyleSheet({});
    lblStatus->setText(text);
    lblStatus->setToolTip(text);
    control<QPushButton>("cmdOpenSheet")->hide();
    control<QPushButton>("cmdShowFolder")->hide();
    control<QFrame>("StatusLine")->show();
}

void frmVantrel::showStatusWarning(const QString& text) {
    warnIn(control<QLabel>("lblStatus"), text);
    control<QPushButton>("cmdOpenSheet")->hide();
    control<QPushButton>("cmdShowFolder")->hide();
    control<QFrame>("StatusLine")->show();
}

void frmVantrel::openSheetClicked() {
    if (m_lastSheet.isEmpty()) return;
    if (!pdfauto::showInViewer(QFile::encodeName(m_lastSheet).toStdString()))
        warnIn(control<QLabel>("lblStatus"), "No desktop viewer to open " + m_lastSheet);
}

void frmVantrel::showFolderClicked() {
    if (m_lastSheet.isEmpty()) return;
    const QString folder = QFileInfo(m_lastSheet).absolutePath();
    if (!pdfauto::showInViewer(QFile::encodeName(folder).toStdString()))
        warnIn(control<QLabel>("lblStatus"), "No desktop file manager to show " + folder);
}

}  // namespace vantrel
