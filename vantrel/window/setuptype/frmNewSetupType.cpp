#include "frmNewSetupType.h"

#include <QBuffer>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#ifdef VANTREL_HAVE_QT_PDF
#include <QPdfDocument>
#endif
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "CDataBuilder.h"
#include "ChassisArt.h"
#include "FieldsPage.h"
#include "MessageBox.h"
#include "SheetSources.h"
#include "SuggestMapping.h"
#include "WheelGuard.h"
#include "WindowGeometry.h"
#include "platform/Error.h"
#include "platform/PathText.h"

namespace vantrel {

namespace {

constexpr const char* kTitle = "Vantrel";
constexpr const char* kNone = "(none)";

struct Group {
    QString title;
    QStringList fields;
};

// The sheet fields in the boxes of the RDX sheet's layout, box by box: a
// box's grid and fields, its arm length markers, and the marks on the holes
// of its pictures. A field the layout does not place comes last.
QList<Group> sheetGroups() {
    (void)art::pictures();  // the art's resources, the layout among them, are ready
    QFile file(":/art/SheetLayout_RDX.json");
    QJsonObject layout;
    if (file.open(QIODevice::ReadOnly)) layout = QJsonDocument::fromJson(file.readAll()).object();

    std::set<QString> sheetFields, placed;
    for (std::string_view name : SheetFieldNames) sheetFields.insert(QString::fromUtf8(name.data(), name.size()));
    QList<Group> groups;
    for (const QJsonValue& boxValue : layout.value("boxes").toArray()) {
        const QJsonObject box = boxValue.toObject();
        Group group{box.value("title").toString(), {}};
        auto add = [&](const QString& name) {
            if (sheetFields.count(name) && placed.insert(name).second) group.fields << name;
        };
        for (const QJsonValue& item : box.value("grid").toObject().value("items").toArray())
            add(item.toArray().at(1).toString());
        for (const QJsonValue& field : box.value("fields").toArray()) add(field.toObject().value("name").toString());
        for (const QJsonValue& marker : box.value("lengthMarkers").toArray())
            add(marker.toObject().value("field").toString());
        for (const QJsonValue& pictureValue : box.value("pictures").toArray()) {
            const QByteArray name = pictureValue.toObject().value("name").toString().toUtf8();
            if (const art::Picture* picture = art::picture(std::string_view(name.constData(), name.size())))
                for (const art::Hole& hole : picture->holes) add(QString::fromStdString(art::markField(hole)));
        }
        if (!group.fields.isEmpty()) groups << group;
    }
    Group rest{"Other Fields", {}};
    for (std::string_view name : SheetFieldNames) {
        const QString field = QString::fromUtf8(name.data(), name.size());
        if (!placed.count(field)) rest.fields << field;
    }
    if (!rest.fields.isEmpty()) groups << rest;
    return groups;
}

QString describe(const pdfauto::FieldInfo& field) {
    QString text = QString::fromStdString(field.name) + "  (" + QString::fromStdString(field.kind);
    if (field.page > 0) text += ", page " + QString::number(field.page);
    if (field.maxLength > 0) text += ", at most " + QString::number(field.maxLength) + " characters";
    if (field.comb) text += ", one per cell";
    if (field.kind == "checkbox" && field.onStates.size() == 1)
        text += ", ticked \"" + QString::fromStdString(field.onStates.front()) + "\" by a mark";
    return text + ")";
}

}  // namespace

frmNewSetupType::frmNewSetupType(const std::string& pdfPath, const SetupTypeFolders& folders, Dialogs dialogs,
                                 QWidget* parent)
    : QDialog(parent), m_pdfPath(pdfPath), m_folders(folders), m_dialogs(std::move(dialogs)) {
    const pdfauto::Document document(pdfPath);
    std::vector<pdfauto::FieldInfo> fields = document.fields();
    if (fields.size() > 1 && std::all_of(fields.begin(), fields.end(),
                                         [&](const pdfauto::FieldInfo& f) { return f.name == fields.front().name; }))
        platform::raise(platform::ErrInvalidArgument, "frmNewSetupType",
                        "The form of " + pdfPath + " has " + std::to_string(fields.size()) + " fields, all named \"" +
                            fields.front().name +
                            "\": a value cannot be sent to one of them alone. Give the fields names of their own "
                            "in the program that made the form.");
    // Everything the dialog shows comes from this one load: the choices, the
    // limits, the suggestion, the boxes on the page and the page itself.
    try {
        m_firstPage = setuptype::firstPageWidgets(document.pages(), fields);
    } catch (const platform::Error&) {
        // The choice works without the picture.
    }
    for (pdfauto::FieldInfo& field : fields)
        if (fitsMappingLine(field.name)) m_fields.push_back(std::move(field));
    if (m_fields.empty())
        platform::raise(platform::ErrInvalidArgument, "frmNewSetupType",
                        "No form field of " + pdfPath + " has a name that a mapping file can hold.");
    // Wide enough to read a field's label beside its box; it scrolls.
    const int width = 760;
#ifdef VANTREL_HAVE_QT_PDF
    QByteArray bytes = QByteArray::fromRawData(document.bytes().data(), qsizetype(document.bytes().size()));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    QPdfDocument pdf;
    pdf.load(&device);
    if (pdf.status() == QPdfDocument::Status::Ready && pdf.pageCount() > 0) {
        const QSizeF points = pdf.pagePointSize(0);
        m_page = pdf.render(0, QSize(width, int(width * points.height() / points.width())));
    }
#else
    m_page = fieldsOnlyPage(m_firstPage, width);
    m_fieldsOnly = !m_page.isNull();
#endif
    buildWindow();
    mappingChanged();
    windowgeometry::remember(this);
}

frmNewSetupType::~frmNewSetupType() = default;

void frmNewSetupType::buildWindow() {
    setObjectName("frmNewSetupType");
    setWindowTitle("New Setup Type - " + QFileInfo(QString::fromStdString(m_pdfPath)).fileName());

    const bool hasButtons = std::any_of(m_fields.begin(), m_fields.end(), [](const pdfauto::FieldInfo& f) {
        return f.kind == "checkbox" || f.kind == "radiobutton";
    });
    // As `vantrel-batch --suggest-mapping` suggests it: position -> form field.
    std::map<int, QString> suggested;
    for (const auto& [position, name] : suggestedMapping(m_fields)) suggested[position] = QString::fromStdString(name);

    auto* groupsColumn = new QWidget;
    auto* groupsLayout = new QVBoxLayout(groupsColumn);
    std::map<QString, int> positions;
    for (std::size_t i = 0; i < SheetFieldNames.size(); ++i)
        positions[QString::fromUtf8(SheetFieldNames[i].data(), SheetFieldNames[i].size())] = int(i);
    m_choices = QList<QComboBox*>(int(SheetFieldNames.size()), nullptr);
    m_limits = QList<QLabel*>(int(SheetFieldNames.size()), nullptr);
    for (const Group& group : sheetGroups()) {
        auto* box = new QGroupBox(group.title);
        auto* form = new QFormLayout(box);
        for (const QString& sheetField : group.fields) {
            const int position = positions.at(sheetField);
            const bool mark = setuptype::isMarkField(sheetField.toStdString());
            auto* choice = new QComboBox;
            choice->setObjectName("cmb" + sheetField);
            // The form's names are long; the list opens as wide as they need.
            choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            choice->setMinimumContentsLength(22);
            wheelguard::install(choice);
            choice->addItem(kNone, QString());
            // Only fields that show the value: text fields, and the choice
            // fields a value can be typed into; for a mark ("l" or "_"), text
            // fields and the check boxes it ticks (one on state). Buttons and
            // signatures hold no value, and a check box no text.
            for (const auto& formField : m_fields)
                if (formField.kind == "text" || (!mark && formField.kind == "combobox") ||
                    (mark && formField.kind == "checkbox" && formField.onStates.size() == 1))
                    choice->addItem(describe(formField), QString::fromStdString(formField.name));
            choice->setToolTip(mark ? "A mark (\"l\" or \"_\") is drawn in a text field or ticks a check box."
                                    : "Text fields and drop-down fields take this value; buttons, signatures and "
                                      "check boxes cannot show it and are not offered.");
            if (const auto match = suggested.find(position + 1); match != suggested.end())
                if (const int item = choice->findData(match->second); item >= 0) choice->setCurrentIndex(item);
            connect(choice, &QComboBox::currentIndexChanged, this, &frmNewSetupType::mappingChanged);
            // The racer's words first, the sheet's own name for the field below them.
            auto* caption = new QLabel(QString::fromStdString(racerWords(SheetField(position))).toHtmlEscaped() +
                                       "<br><span style=\"color:#6a6f76; font-size:small\">" + sheetField +
                                       (mark ? " (mark)" : "") + "</span>");
            caption->setObjectName("lbl" + sheetField);
            caption->setBuddy(choice);
            auto* limit = new QLabel;
            limit->setObjectName("lblLimit" + sheetField);
            limit->setStyleSheet("color: #a04000;");
            auto* row = new QHBoxLayout;
            row->addWidget(choice, 1);
            row->addWidget(limit);
            form->addRow(caption, row);
            m_choices[position] = choice;
            m_limits[position] = limit;
        }
        groupsLayout->addWidget(box);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(groupsColumn);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(groupsColumn->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() + 4);

    auto* left = new QVBoxLayout;
    auto* intro = new QLabel(
        "Choose for each value the field of your form that shows it. Each row names the value as the window does "
        "(tab, frame, caption), then the setup sheet's name for it. A form field whose name says which value it "
        "shows is chosen already; a name that could mean two values (\"Oil\" beside front and rear shocks) is "
        "left for you.");
    intro->setWordWrap(true);
    left->addWidget(intro);
    if (hasButtons) {
        auto* marks = new QLabel(
            "This form has check boxes or radio buttons. The sheet marks the chosen option holes and arm lengths with "
            "a character (\"l\" or \"_\"): the mark fields offer text fields, and the check boxes a mark ticks; "
            "the other fields offer no check box, which cannot show their text.");
        marks->setObjectName("lblMarks");
        marks->setWordWrap(true);
        left->addWidget(marks);
    }
    left->addWidget(scroll, 1);
    m_count = new QLabel;
    m_count->setObjectName("lblMapped");
    left->addWidget(m_count);
    if (m_fieldsOnly) {
        auto* note = new QLabel("The page's picture is not drawn in this build; the fields stand where they print.");
        note->setObjectName("lblFieldsOnly");
        note->setWordWrap(true);
        left->addWidget(note);
    }

    m_preview = new QLabel;
    m_preview->setObjectName("picPreview");
    m_preview->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    if (m_page.isNull()) m_preview->setText("The first page cannot be shown.");

    auto* buttons = new QDialogButtonBox;
    QPushButton* save = buttons->addButton("Save...", QDialogButtonBox::AcceptRole);
    save->setObjectName("cmdSave");
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("cmdCancel");
    // Save keeps the dialog open until the setup type is written.
    connect(save, &QPushButton::clicked, this, &frmNewSetupType::saveClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* previewScroll = new QScrollArea;
    previewScroll->setObjectName("scrPreview");
    previewScroll->setWidget(m_preview);
    previewScroll->setWidgetResizable(true);
    previewScroll->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    if (!m_page.isNull())
        previewScroll->setMinimumWidth(std::min(m_page.width(), 480) +
                                       previewScroll->verticalScrollBar()->sizeHint().width() + 4);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(previewScroll, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);
}

int frmNewSetupType::mappedCount() const { return int(mapping().size()); }

std::vector<setuptype::MappingLine> frmNewSetupType::mapping() const {
    std::vector<setuptype::MappingLine> out;
    for (int i = 0; i < m_choices.size(); ++i) {
        const QString field = m_choices[i] ? m_choices[i]->currentData().toString() : QString();
        if (!field.isEmpty()) out.emplace_back(i + 1, field.toStdString());
    }
    return out;
}

void frmNewSetupType::mappingChanged() {
    // A form field shows one value: chosen for one sheet field, it leaves the
    // one it was chosen for before (else the later line of the mapping file
    // would win without a word).
    if (auto* changed = qobject_cast<QComboBox*>(sender())) {
        const QString field = changed->currentData().toString();
        for (QComboBox* other : m_choices)
            if (other && other != changed && !field.isEmpty() && other->currentData().toString() == field) {
                const QSignalBlocker quiet(other);
                other->setCurrentIndex(0);
            }
    }
    // The length limit of each chosen field, beside its row: longer values are cut.
    for (int i = 0; i < m_choices.size(); ++i) {
        if (!m_choices[i]) continue;
        const std::string chosen = m_choices[i]->currentData().toString().toStdString();
        const auto field = std::find_if(m_fields.begin(), m_fields.end(), [&](const pdfauto::FieldInfo& f) {
            return !chosen.empty() && f.name == chosen;
        });
        QString text;
        if (field != m_fields.end() && field->maxLength > 0)
            text = field->comb ? QString("%1 cells").arg(field->maxLength)
                               : QString("at most %1 characters").arg(field->maxLength);
        m_limits[i]->setText(text);
        m_limits[i]->setToolTip(text.isEmpty() ? QString() : "The form keeps no more of a value: the rest is cut.");
    }
    m_count->setText(QString("%1 of %2 sheet fields mapped to the form's %3 fields")
                         .arg(mappedCount())
                         .arg(SheetFieldNames.size())
                         .arg(m_fields.size()));
    drawPreview();
}

void frmNewSetupType::drawPreview() {
    if (m_page.isNull() || m_firstPage.width <= 0 || m_firstPage.height <= 0) {
        if (!m_page.isNull()) m_preview->setPixmap(QPixmap::fromImage(m_page));
        return;
    }
    std::set<std::string> mapped;
    for (const auto& line : mapping()) mapped.insert(line.second);
    QImage picture = m_page.convertToFormat(QImage::Format_ARGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const double sx = picture.width() / m_firstPage.width;
    const double sy = picture.height() / m_firstPage.height;
    for (const auto& widget : m_firstPage.widgets) {
        const QRectF box(widget.x0 * sx, (m_firstPage.height - widget.y1) * sy, (widget.x1 - widget.x0) * sx,
                         (widget.y1 - widget.y0) * sy);
        if (mapped.count(widget.field)) {
            painter.setPen(QPen(QColor(200, 30, 30), 2));
            painter.setBrush(QColor(200, 30, 30, 40));
        } else {
            painter.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
        }
        painter.drawRect(box);
    }
    painter.end();
    m_preview->setPixmap(QPixmap::fromImage(picture));
}

void frmNewSetupType::saveClicked() {
    if (mappedCount() == 0) {
        MessageBox::critical(this, kTitle,
                             "Nothing is mapped: choose a form field for at least one field of the sheet. A setup "
                             "type that maps nothing would make sheets with nothing filled in.");
        return;
    }
    const std::optional<QString> name = m_dialogs.askName(
        this, "New Setup Type",
        "Name of the new setup type:", QFileInfo(QString::fromStdString(m_pdfPath)).completeBaseName());
    if (name && save(*name)) accept();
}

bool frmNewSetupType::save(const QString& qName) {
    const std::string name = qName.toStdString();
    if (const std::string refusal = setuptype::nameRefusal(name); !refusal.empty()) {
        MessageBox::critical(this, kTitle, QString::fromStdString(refusal));
        return false;
    }
    if (const std::string conflict = setuptype::conflictWithOtherTypes(m_folders, name); !conflict.empty()) {
        MessageBox::critical(this, kTitle,
                             QString::fromStdString("The setup type " + name + " cannot be saved: " + conflict));
        return false;
    }
    const auto types = setuptype::setupTypeNames(m_folders.config);
    std::error_code ec;
    if (std::find(types.begin(), types.end(), name) != types.end() ||
        std::filesystem::exists(platform::paths::pathOf(setuptype::setupFilePath(m_folders, name)), ec)) {
        const auto answer =
            MessageBox::question(this, kTitle,
                                 QString::fromStdString("The setup type " + name +
                                                        " exists already. Replace its setup file, mapping "
                                                        "file and template?"));
        if (answer != QMessageBox::Yes) return false;
    }
    try {
        setuptype::writeSetupType(m_folders, name, m_pdfPath, mapping());
    } catch (const platform::Error& e) {
        MessageBox::critical(this, kTitle, QString::fromStdString(e.description()));
        return false;
    }
    m_savedName = qName;
    m_savedFiles = {QString::fromStdString(m_folders.templates + templateFileName(name)),
                    QString::fromStdString(m_folders.mapping + mappingFileName(name)),
                    QString::fromStdString(setuptype::setupFilePath(m_folders, name))};
    return true;
}

}  // namespace vantrel
