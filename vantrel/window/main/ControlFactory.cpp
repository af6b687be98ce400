#include "ControlFactory.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "ChassisArt.h"
#include "ChassisPictureWidget.h"
#include "HoleButton.h"
#include "CharactersLeft.h"
#include "SetupControls.h"
#include "TallTextBox.h"
#include "TextLimit.h"
#include "WheelGuard.h"
#include "Utf8Text.h"

namespace vantrel {

namespace {

// Pixels per picture unit at the window's natural size.
constexpr double PictureScale = 1.3;

QString controlName(SetupField field) { return fromStd(SetupControls[std::size_t(field)].control); }

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

QWidget* ControlFactory::control(SetupField field) const {
    const WindowControl& shown = WindowControls[std::size_t(field)];
    const QString name = controlName(field);
    switch (shown.kind) {
    case ControlKind::Text: return textBox(name);
    case ControlKind::DropDown: return comboBox(name, fromStd(shown.choices).split('|'), fromStd(shown.start));
    case ControlKind::Notes: {
        auto* box = new TallTextBox(m_window);
        box->setObjectName(name);
        box->setMaxBytes(textlimit::MaxValueBytes);
        return box;
    }
    case ControlKind::Options: break;
    }
    return nullptr;  // an option group's buttons stand on its pictures
}

QLabel* ControlFactory::labelFor(SetupField field, const QWidget* control, const QString& heading) const {
    QString caption = fromStd(SetupControls[std::size_t(field)].caption);
    QString name = control->objectName().mid(3);
    if (!heading.isEmpty() && caption.startsWith(heading + ' ')) {
        caption = caption.mid(heading.size() + 1);
        name = name.mid(heading.size());
    }
    QLabel* l = label("lbl" + name, caption + ':');
    l->setBuddy(const_cast<QWidget*>(control));
    return l;
}

void ControlFactory::addRows(QFormLayout* form, std::initializer_list<SetupField> fields) const {
    for (const SetupField field : fields) {
        QWidget* box = control(field);
        QLabel* l = labelFor(field, box);
        // The notes' caption stands by their first line.
        if (WindowControls[std::size_t(field)].kind == ControlKind::Notes)
            l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        const std::string_view unit = WindowControls[std::size_t(field)].unit;
        if (unit.empty()) {
            form->addRow(l, box);
            continue;
        }
        auto* row = new QHBoxLayout;
        row->addWidget(box, 1);
        QLabel* u = label("lblUnit" + box->objectName().mid(3), fromStd(unit));
        u->setMinimumWidth(u->fontMetrics().horizontalAdvance("lbs") + 4);
        row->addWidget(u);
        form->addRow(l, row);
    }
}

void ControlFactory::addOptionRow(QFormLayout* form, SetupField field) const {
    const std::string_view group = SetupControls[std::size_t(field)].control;
    std::vector<const OptionRun*> runs;
    for (const OptionRun& run : OptionRuns)
        if (run.group == group) runs.push_back(&run);
    auto* row = new QHBoxLayout;
    QLineEdit* text = textBox(fromStd(runs.front()->textBox));
    row->addWidget(text, 1, Qt::AlignVCenter);
    auto* choices = new QFrame(m_window);
    choices->setObjectName("Frame" + fromStd(group.substr(6)));
    choices->setFrameShape(QFrame::StyledPanel);
    auto* choicesLayout = new QHBoxLayout(choices);
    choicesLayout->setContentsMargins(8, 1, 8, 1);
    QButtonGroup* buttons = buttonGroup(fromStd(group));
    for (const OptionRun* run : runs) {
        auto* option = new QRadioButton(fromStd(SetupControls[std::size_t(run->field)].caption), choices);
        option->setObjectName(fromStd(group));
        option->setProperty("index", run->first);
        buttons->addButton(option, run->first);
        choicesLayout->addWidget(option);
    }
    buttons->button(runs.front()->first)->setChecked(true);
    row->addWidget(choices);
    QLabel* l = label("lbl" + text->objectName().mid(3), fromStd(controlCaption(group)) + ':');
    l->setBuddy(text);
    form->addRow(l, row);
}

QButtonGroup* ControlFactory::buttonGroup(const QString& name) const {
    if (auto* group = m_window->findChild<QButtonGroup*>(name, Qt::FindDirectChildrenOnly)) return group;
    auto* group = new QButtonGroup(m_window);
    group->setObjectName(name);
    group->setExclusive(true);
    return group;
}

QList<ChassisPictureWidget*> ControlFactory::pictures(std::initializer_list<SetupField> fields) const {
    QStringList groups;
    for (const SetupField field : fields) groups << controlName(field);
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
