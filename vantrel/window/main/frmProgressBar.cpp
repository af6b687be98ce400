#include "frmProgressBar.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "WindowGeometry.h"

namespace vantrel {

frmProgressBar::frmProgressBar(QWidget* parent) : QDialog(parent) {
    setObjectName("frmProgressBar");
    setWindowTitle("Progress...");

    auto* title = new QLabel("Vantrel", this);
    title->setObjectName("lblTitle");
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);

    auto* text = new QLabel("Creating Setup Sheet...", this);
    text->setObjectName("lblCreating");

    auto* picture = new QFrame(this);
    picture->setObjectName("Picture1");
    picture->setFrameShape(QFrame::StyledPanel);
    picture->setMinimumSize(260, 24);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addWidget(picture);
    windowgeometry::fitOnShow(this);
}

}  // namespace vantrel
