// The main window's control factories: each control made with its system
// name, its limits and its place in a form row, as every tab uses them.

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "ChassisArt.h"
#include "ChassisPictureWidget.h"
#include "HoleButton.h"
#include "CharactersLeft.h"
#include "SetupControls.h"
#include "TextLimit.h"
#include "WheelGuard.h"
#include "frmVantrel.h"

namespace vantrel {

namespace {

// Pixels per picture unit at the window's natural size.
constexpr double PictureScale = 1.3;

QString fromStd(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// A setup control's label is its caption in the control table, with a colon.
QString captionFor(const QWidget* field, const QString& otherwise) {
    const SetupControl* control = setupControlNamed(field->objectName().toStdString());
    return control ? fromStd(control->caption) + ':' : otherwise;
}

}  // namespace

QLineEdit* frmVantrel::textBox(const QString& name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setMaxLength(textlimit::MaxValueBytes);
    box->setValidator(new textlimit::ByteLimitValidator(textlimit::MaxValueBytes, box));
    textlimit::showCharactersLeft(box, textlimit::MaxValueBytes);
    return box;
}

QComboBox* frmVantrel::comboBox(const QString& name, const QStringList& items, const QString& start) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setEditable(true);
    // Typed text is a value of its own, not a new list item.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setCurrentText(start);
    box->lineEdit()->setMaxLength(textlimit::MaxValueBytes);
    box->setValidator(new textlimit::ByteLimitValidator(textlimit::MaxValueBytes, box));
    box->setMinimumContentsLength(10);
    textlimit::showCharactersLeft(box->lineEdit(), textlimit::MaxValueBytes);
    wheelguard::install(box);
    return box;
}

QLabel* frmVantrel::label(const QString& name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
}

QGroupBox* frmVantrel::frame(const QString& name, const QString& title) {
    auto* f = new QGroupBox(title, this);
    f->setObjectName(name);
    // Frames keep to their contents; spare height goes below them.
    f->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return f;
}

QFormLayout* frmVantrel::formLayout() {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return form;
}

void frmVantrel::addRow(QFormLayout* form, const QString& caption, QWidget* field) {
    QLabel* l = label("lbl" + field->objectName().mid(3), captionFor(field, caption));
    l->setBuddy(field);
    form->addRow(l, field);
}

void frmVantrel::addRow(QFormLayout* form, const QString& caption, QWidget* field, const QString& unit) {
    QLabel* l = label("lbl" + field->objectName().mid(3), captionFor(field, caption));
    l->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    QLabel* u = label("lblUnit" + field->objectName().mid(3), unit);
    u->setMinimumWidth(u->fontMetrics().horizontalAdvance("lbs") + 4);
    row->addWidget(u);
    form->addRow(l, row);
}

QButtonGroup* frmVantrel::buttonGroup(const QString& name) {
    if (auto* group = findChild<QButtonGroup*>(name, Qt::FindDirectChildrenOnly)) return group;
    auto* group = new QButtonGroup(this);
    group->setObjectName(name);
    group->setExclusive(true);
    return group;
}

QList<ChassisPictureWidget*> frmVantrel::pictures(const QStringList& groups) {
    QList<ChassisPictureWidget*> result;
    for (const art::Picture& picture : art::pictures()) {
        bool wanted = false;
        for (const art::Hole& hole : picture.holes) wanted = wanted || groups.contains(fromStd(hole.group));
        if (!wanted) continue;
        auto* widget = new ChassisPictureWidget(picture, PictureScale, this);
        for (HoleButton* button : widget->buttons())
            buttonGroup(button->objectName())->addButton(button, button->property("index").toInt());
        result.append(widget);
    }
    return result;
}

}  // namespace vantrel
