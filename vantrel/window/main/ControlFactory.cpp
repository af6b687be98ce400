#include "ControlFactory.h"

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
#include "Utf8Text.h"

namespace vantrel {

namespace {

// Pixels per picture unit at the window's natural size.
constexpr double PictureScale = 1.3;

// A setup control's label is its caption in the control table, with a colon.
QString captionFor(const QWidget* field, const QString& otherwise) {
    const SetupControl* control = setupControlNamed(field->objectName().toStdString());
    return control ? fromStd(control->caption) + ':' : otherwise;
}

}  // namespace

QLineEdit* ControlFactory::textBox(const QString& name) const {
    auto* box = new QLineEdit(m_window);
    box->setObjectName(name);
    box->setMaxLength(textlimit::MaxValueBytes);
    box->setValidator(new textlimit::ByteLimitValidator(textlimit::MaxValueBytes, box));
    textlimit::showCharactersLeft(box, textlimit::MaxValueBytes);
    return box;
}

QComboBox* ControlFactory::comboBox(const QString& name, const QStringList& items, const QString& start) const {
    auto* box = new QComboBox(m_window);
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

QLabel* ControlFactory::label(const QString& name, const QString& text) const {
    auto* l = new QLabel(text, m_window);
    l->setObjectName(name);
    return l;
}

QGroupBox* ControlFactory::frame(const QString& name, const QString& title) const {
    auto* f = new QGroupBox(title, m_window);
    f->setObjectName(name);
    // Frames keep to their contents; spare height goes below them.
    f->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return f;
}

QFormLayout* ControlFactory::formLayout() {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return form;
}

void ControlFactory::addRow(QFormLayout* form, const QString& caption, QWidget* field) const {
    QLabel* l = label("lbl" + field->objectName().mid(3), captionFor(field, caption));
    l->setBuddy(field);
    form->addRow(l, field);
}

void ControlFactory::addRow(QFormLayout* form, const QString& caption, QWidget* field, const QString& unit) const {
    QLabel* l = label("lbl" + field->objectName().mid(3), captionFor(field, caption));
    l->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    QLabel* u = label("lblUnit" + field->objectName().mid(3), unit);
    u->setMinimumWidth(u->fontMetrics().horizontalAdvance("lbs") + 4);
    row->addWidget(u);
    form->addRow(l, row);
}

QButtonGroup* ControlFactory::buttonGroup(const QString& name) const {
    if (auto* group = m_window->findChild<QButtonGroup*>(name, Qt::FindDirectChildrenOnly)) return group;
    auto* group = new QButtonGroup(m_window);
    group->setObjectName(name);
    group->setExclusive(true);
    return group;
}

QList<ChassisPictureWidget*> ControlFactory::pictures(const QStringList& groups) const {
    QList<ChassisPictureWidget*> result;
    for (const art::Picture& picture : art::pictures()) {
        bool wanted = false;
        for (const art::Hole& hole : picture.holes) wanted = wanted || groups.contains(fromStd(hole.group));
        if (!wanted) continue;
        auto* widget = new ChassisPictureWidget(picture, PictureScale, m_window);
        for (HoleButton* button : widget->buttons())
            buttonGroup(button->objectName())->addButton(button, button->property("index").toInt());
        result.append(widget);
    }
    return result;
}

}  // namespace vantrel
