// "New Setup Type…" from the File tab to a filled sheet: a setup type made
// with the dialog from a form that LibreOffice Writer made, not for Vantrel,
// and a run with it; the name matcher as one table; the forms and names the
// dialog refuses, each with its reason.

#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>
#include <QTimer>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "AnsweredDialogs.h"
#include "FileOpens.h"
#include "FolderList.h"
#include "MessageBox.h"
#include "SetupTypeFiles.h"
#include "../pdfauto/FormPdfBuilder.h"
#include "WindowDriver.h"
#include "WindowTestFolder.h"
#include "FieldsPage.h"
#include "frmNewSetupType.h"
#include "frmVantrel.h"
#include "platform/PathText.h"

using vantrel::frmNewSetupType;
using vantrel::frmVantrel;
using vantrel::MessageBox;
using namespace windowtest;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

const fs::path kClubSheet = fs::path(VANTREL_TEST_DATA_DIR) / "setuptype" / "ClubSetupSheet.pdf";

// Chooses `pdf` in the file dialog the button opens, then runs `inDialog` on
// the setup type dialog once it shows (it is not reached when none shows).
void newSetupType(frmVantrel* window, const fs::path& pdf, std::function<void(frmNewSetupType*)> inDialog) {
    auto* poll = new QTimer(window);
    auto chosen = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, pdf, inDialog, chosen] {
        if (!*chosen) {
            // Qt's own dialog takes a choice once it has shown.
            auto* chooser = window->findChild<QFileDialog*>("CommonDialog2");
            if (!chooser || !chooser->isVisible()) return;
            // The path typed into its file name box, as a racer may.
            auto* fileName = chooser->findChild<QLineEdit*>("fileNameEdit");
            if (!fileName) return;
            fileName->setText(QString::fromStdString(pdf.string()));
            QMetaObject::invokeMethod(chooser, "accept");
            *chosen = true;
            return;
        }
        auto* dialog = window->findChild<frmNewSetupType*>("frmNewSetupType");
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        inDialog(dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    poll->start(20);
    QTest::mouseClick(window->control<QPushButton>("cmdNewSetupType"), Qt::LeftButton);
    delete poll;
}

// A dark pixel (a drawn line) within `reach` pixels of `at`.
bool darkNear(const QImage& picture, QPointF at, int reach = 1) {
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint p(int(at.x()) + dx, int(at.y()) + dy);
            if (picture.rect().contains(p) && qGray(picture.pixel(p)) < 160) return true;
        }
    return false;
}

// Where the fields-only page shows a box, in pixels from its upper left corner.
QRectF shownBox(const vantrel::setuptype::FirstPage& page, const vantrel::setuptype::WidgetBox& box,
                const QImage& picture) {
    const double sx = picture.width() / page.width, sy = picture.height() / page.height;
    return QRectF(box.x0 * sx, (page.height - box.y1) * sy, (box.x1 - box.x0) * sx, (box.y1 - box.y0) * sy);
}

// Every edge of every box is drawn: the middle of each of its four sides.
QString missingEdge(const vantrel::setuptype::FirstPage& page, const QImage& picture) {
    for (const auto& box : page.widgets) {
        const QRectF r = shownBox(page, box, picture);
        const QPointF sides[] = {{r.left(), r.center().y()},
                                 {r.right(), r.center().y()},
                                 {r.center().x(), r.top()},
                                 {r.center().x(), r.bottom()}};
        for (const QPointF& side : sides)
            if (!darkNear(picture, side))
                return QString("%1: no line at (%2, %3)")
                    .arg(QString::fromStdString(box.field))
                    .arg(side.x())
                    .arg(side.y());
    }
    return {};
}

bool choose(frmNewSetupType* dialog, const QString& sheetField, const QString& formField) {
    auto* choice = dialog->findChild<QComboBox*>("cmb" + sheetField);
    const int item = choice ? choice->findData(formField) : -1;
    if (item < 0) return false;
    choice->setCurrentIndex(item);
    return true;
}

QStringList offered(frmNewSetupType* dialog, const QString& sheetField) {
    QStringList out;
    auto* choice = dialog->findChild<QComboBox*>("cmb" + sheetField);
    for (int i = 1; choice && i < choice->count(); ++i) out << choice->itemData(i).toString();
    return out;
}

// A copy of the club sheet with every field renamed to one name.
void writeAllNamedAlike(const fs::path& out) {
    QPDF pdf;
    pdf.processFile(platform::paths::textOf(kClubSheet).c_str());
    QPDFAcroFormDocumentHelper form(pdf);
    for (auto& field : form.getFormFields())
        field.getObjectHandle().replaceKey("/T", QPDFObjectHandle::newUnicodeString("Field"));
    const std::string name = platform::paths::textOf(out);
    QPDFWriter writer(pdf, name.c_str());  // the writer keeps the name
    writer.write();
}

void writeEncrypted(const fs::path& out) {
    QPDF pdf;
    pdf.processFile(platform::paths::textOf(kClubSheet).c_str());
    const std::string name = platform::paths::textOf(out);
    QPDFWriter writer(pdf, name.c_str());  // the writer keeps the name
    writer.setR6EncryptionParameters("user", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
    writer.write();
}

void writeFormless(const fs::path& out) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>"));
    pdf.getRoot().getKey("/Pages").getKey("/Kids").appendItem(page);
    pdf.getRoot().getKey("/Pages").replaceKey("/Count", QPDFObjectHandle::newInteger(1));
    const std::string name = platform::paths::textOf(out);
    QPDFWriter writer(pdf, name.c_str());  // the writer keeps the name
    writer.write();
}

// One page of 600 x 800 points, turned by the page tree (the page inherits
// it) and cut to `crop`, with a text field 10 points in from the crop box's
// left and 30 below its top, its corners given the wrong way round.
void writeTurnedForm(const fs::path& out, int rotate, const std::string& crop) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle pages = pdf.getRoot().getKey("/Pages");
    QPDFObjectHandle widget = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Widget /FT /Tx /T (Driver) /Rect [210 670 110 650] >>"));
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 600 800] /CropBox " + crop + " /Annots [] >>"));
    page.getKey("/Annots").appendItem(widget);
    page.replaceKey("/Parent", pages);
    pages.replaceKey("/Rotate", QPDFObjectHandle::newInteger(rotate));
    pages.getKey("/Kids").appendItem(page);
    pages.replaceKey("/Count", QPDFObjectHandle::newInteger(1));
    pdf.getRoot().replaceKey("/AcroForm", QPDFObjectHandle::parse("<< /Fields [] >>"));
    pdf.getRoot().getKey("/AcroForm").getKey("/Fields").appendItem(widget);
    const std::string name = platform::paths::textOf(out);
    QPDFWriter writer(pdf, name.c_str());  // the writer keeps the name
    writer.write();
}

}  // namespace

class NewSetupTypeTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestFolder> m_folder;
    windowtest::AnsweredDialogs m_dialogs;
    QPointer<frmVantrel> m_window;

    std::string file(const char* relative) const { return WindowTestFolder::readFile(m_folder->path() / relative); }

private slots:
    void initTestCase() {
        // The file dialog the button opens is Qt's own, which a test can fill in.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void init() {
        m_folder = std::make_unique<WindowTestFolder>();
        QVERIFY(showNewMainWindow(m_window, {.dialogs = m_dialogs.dialogs()}));
        m_window->control<vantrel::FolderList>("Dir1")->setPath(
            QString::fromStdString(m_folder->sheetsFolder().string()));
    }
    void cleanup() {
        delete m_window.data();
        m_folder.reset();
    }

    void nameMatcher_data() {
        QTest::addColumn<QString>("sheetField");
        QTest::addColumn<std::vector<std::string>>("formFields");
        QTest::addColumn<int>("match");
        using names = std::vector<std::string>;
        QTest::newRow("same name") << "DriverName" << names{"Track", "DriverName"} << 1;
        QTest::newRow("letter case and blanks") << "DriverName" << names{"driver name"} << 0;
        QTest::newRow("punctuation") << "FrontToeIn" << names{"Front Toe-In"} << 0;
        QTest::newRow("underscores, upper case") << "RearShockSpring" << names{"REAR_SHOCK_SPRING"} << 0;
        QTest::newRow("fld prefix") << "RaceDate" << names{"fldRaceDate"} << 0;
        QTest::newRow("fld prefix with blank") << "RaceDate" << names{"FLD Race Date"} << 0;
        QTest::newRow("last part of a full name") << "Motor" << names{"form1[0].Page1[0].Motor[0]"} << 0;
        QTest::newRow("whole name before last part") << "Motor" << names{"x.Motor", "Motor"} << 1;
        QTest::newRow("digits count") << "FrontShockCamber1" << names{"FrontShockCamber12", "Front Shock Camber 1"}
                                      << 1;
        QTest::newRow("a longer name is no match") << "Motor" << names{"MotorSpring", "Motor Brush"} << -1;
        QTest::newRow("a shorter name is no match") << "TrackCity" << names{"Track", "City"} << -1;
        QTest::newRow("first of equals") << "Spur" << names{"spur", "SPUR"} << 0;
        QTest::newRow("nothing but punctuation") << "Notes" << names{"--", "fld"} << -1;
        QTest::newRow("no fields") << "Notes" << names{} << -1;
    }
    void nameMatcher() {
        QFETCH(QString, sheetField);
        QFETCH(std::vector<std::string>, formFields);
        QFETCH(int, match);
        QCOMPARE(vantrel::setuptype::matchingFormField(sheetField.toStdString(), formFields), match);
    }

    // The boxes drawn over the first page sit where a viewer shows the field:
    // within the crop box, turned as the page is turned (clockwise).
    void firstPageAsShown_data() {
        QTest::addColumn<int>("rotate");
        QTest::addColumn<QString>("crop");
        QTest::addColumn<QRectF>("page");  // the shown size
        QTest::addColumn<QRectF>("box");   // from the shown page's lower left corner
        const QString crop = "[100 100 500 700]";
        QTest::newRow("upright") << 0 << crop << QRectF(0, 0, 400, 600) << QRectF(10, 550, 100, 20);
        QTest::newRow("a quarter") << 450 << crop << QRectF(0, 0, 600, 400) << QRectF(550, 290, 20, 100);
        QTest::newRow("upside down") << 180 << crop << QRectF(0, 0, 400, 600) << QRectF(290, 30, 100, 20);
        QTest::newRow("a quarter back") << -90 << crop << QRectF(0, 0, 600, 400) << QRectF(30, 10, 20, 100);
        QTest::newRow("crop box past the media box")
            << 0 << "[100 100 900 700]" << QRectF(0, 0, 500, 600) << QRectF(10, 550, 100, 20);
    }
    void firstPageAsShown() {
        QFETCH(int, rotate);
        QFETCH(QString, crop);
        QFETCH(QRectF, page);
        QFETCH(QRectF, box);
        const fs::path pdf = m_folder->path() / "Turned.pdf";
        writeTurnedForm(pdf, rotate, crop.toStdString());
        const pdfauto::Document document(pdf.string());
        const auto shown = vantrel::setuptype::firstPageWidgets(document.pages(), document.fields());
        QCOMPARE(QRectF(0, 0, shown.width, shown.height), page);
        QCOMPARE(shown.widgets.size(), std::size_t(1));
        const auto& widget = shown.widgets.front();
        QCOMPARE(widget.field, std::string("Driver"));
        QCOMPARE(QRectF(QPointF(widget.x0, widget.y0), QPointF(widget.x1, widget.y1)), box);
    }

    // The club's own sheet: most names matched, the rest chosen by hand,
    // saved as "Riverside", chosen in the list and run: the club sheet's
    // fields hold what the window shows.
    void madeByTheDialogFillsTheClubSheet() {
        bool reached = false;
        newSetupType(m_window, kClubSheet, [&](frmNewSetupType* dialog) {
            reached = true;
            // All of the form's 25 fields but the check box "Wet" are chosen
            // by their words ("Setup comments", "Qualifying", "Finish" too).
            QCOMPARE(dialog->mappedCount(), 24);
            QVERIFY(dialog->findChild<QLabel*>("lblMapped")->text().startsWith("24 of 112"));
            QCOMPARE(dialog->findChild<QComboBox*>("cmbComments")->currentData().toString(), QString("Setup comments"));
            // Each row in the window's words, the sheet's name after them.
            const QString oil = dialog->findChild<QLabel*>("lblFrontShockOil")->text();
            QVERIFY2(oil.startsWith("Front › Shocks › Oil<br>") && oil.contains("FrontShockOil"), qPrintable(oil));
            // The date box's limit shows beside the row it is chosen for.
            QCOMPARE(dialog->findChild<QLabel*>("lblLimitRaceDate")->text(), QString("at most 10 characters"));
            QVERIFY(dialog->findChild<QLabel*>("lblLimitDriverName")->text().isEmpty());
            // The wheel over a drop-down without focus leaves it as it was.
            auto* notes = dialog->findChild<QComboBox*>("cmbNotes");
            const int before = notes->currentIndex();
            QWheelEvent wheel(QPointF(5, 5), notes->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(notes, &wheel);
            QCOMPARE(notes->currentIndex(), before);
            dialog->activateWindow();
            notes->setFocus();
            QTRY_VERIFY(notes->hasFocus());
            {
                // Quiet: the field it turns to stays where it was chosen.
                const QSignalBlocker quiet(notes);
                QApplication::sendEvent(notes, &wheel);
                QVERIFY(notes->currentIndex() != before);
                notes->setCurrentIndex(before);
            }
            // Only a field that can show the value is offered: a mark goes to
            // a text field or ticks the check box "Wet", which takes no text.
            QVERIFY(offered(dialog, "FrontShockTowerShock2").contains("Wet"));
            QVERIFY(offered(dialog, "FrontShockTowerShock2").contains("Race Date"));
            QVERIFY(!offered(dialog, "TrackTraction").contains("Wet"));
            QVERIFY(offered(dialog, "TrackTraction").contains("Race Date"));
            QVERIFY(dialog->findChild<QLabel*>("lblMarks"));
            // A form field shows one sheet field: chosen for the mark, it leaves the spur.
            QVERIFY(choose(dialog, "FrontShockTowerShock2", "Spur"));
            QCOMPARE(dialog->findChild<QComboBox*>("cmbSpur")->currentText(), QString("(none)"));
            QVERIFY(dialog->findChild<QLabel*>("lblMapped")->text().startsWith("24 of 112"));
            // The check box goes to a mark, which ticks it.
            QVERIFY(choose(dialog, "RearShockTowerShock3", "Wet"));
            QVERIFY(dialog->findChild<QComboBox*>("cmbRearShockTowerShock3")->currentText().contains("ticked \"Yes\""));
            m_dialogs.answerNextName("Riverside");
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(reached);
        QVERIFY2(MessageBox::history().isEmpty(), qPrintable(MessageBox::history().value(0).text));

        QCOMPARE(file("Config/Setup_Riverside.ini"), std::string("[Setup]\r\nSetupName=Riverside\r\n"
                                                                 "MappingFile=Riverside.map\r\n"
                                                                 "PDFTemplateSetupSheet=SetupSheet_Riverside.pdf\r\n"));
        const std::string mapping = file("Mapping/Riverside.map");
        QVERIFY(mapping.rfind("1=Driver Name\r\n2=Track City\r\n3=Race Event\r\n", 0) == 0);
        QVERIFY(mapping.find("\r\n93=Setup comments\r\n") != std::string::npos);
        QVERIFY(mapping.find("\r\n24=Spur\r\n") != std::string::npos);
        QVERIFY(mapping.find("=Spur\r\n") == mapping.find("\r\n24=Spur\r\n") + 4);
        QVERIFY(mapping.find("\r\n112=Finish\r\n") != std::string::npos);
        QCOMPARE(file("Templates/SetupSheet_Riverside.pdf"), WindowTestFolder::readFile(kClubSheet));

        // The status line names the files the save wrote.
        const QString saved = m_window->control<QLabel>("lblStatus")->text();
        QVERIFY2(
            saved.startsWith("Setup type Riverside saved: ") &&
                saved.contains(QString::fromStdString((m_folder->path() / "Mapping" / "Riverside.map").string())) &&
                saved.contains("SetupSheet_Riverside.pdf") && saved.contains("Setup_Riverside.ini"),
            qPrintable(saved));

        // The list offers it after RDX, chosen.
        auto* cmbSetupName = m_window->control<QComboBox>("cmbSetupName");
        QCOMPARE(cmbSetupName->count(), 2);
        QCOMPARE(cmbSetupName->itemText(0), QString("RDX"));
        QCOMPARE(cmbSetupName->itemText(1), QString("Riverside"));
        QCOMPARE(cmbSetupName->currentText(), QString("Riverside"));

        for (const auto& [name, text] : {std::pair{"txtDriverName", "Alex Brennan"},
                                         {"txtTrackCity", "Riverside"},
                                         {"txtEventName", "Winter Series 2"},
                                         {"txtFrontCamber", "-1.5"},
                                         {"txtMotor", "17.5T"},
                                         {"txtComments", "Softer rear springs next time"},
                                         {"txtQualPos", "4"}})
            setTextOf(m_window, name, text);
        QVERIFY(clickOption(m_window, "OptionFrontShockTower", 2));
        QVERIFY(clickOption(m_window, "OptionRearShockTower", 3));
        QTest::mouseClick(m_window->control<QPushButton>("cmdCreateSetupSheet"), Qt::LeftButton);
        QVERIFY2(MessageBox::history().isEmpty(), qPrintable(MessageBox::history().value(0).text));

        std::vector<fs::path> sheets;
        for (const auto& entry : fs::directory_iterator(m_folder->sheetsFolder())) sheets.push_back(entry.path());
        QCOMPARE(sheets.size(), std::size_t(1));
        QVERIFY(sheets[0].filename().string().rfind("Alex Brennan_SetupSheet_Riverside_", 0) == 0);
        const auto fields = WindowTestFolder::formFields(sheets[0]);
        const std::map<std::string, std::string> expected = {{"Driver Name", "Alex Brennan"},
                                                             {"Track City", "Riverside"},
                                                             {"Race Event", "Winter Series 2"},
                                                             {"Front Camber", "-1.5"},
                                                             {"Motor", "17.5T"},
                                                             {"Setup comments", "Softer rear springs next time"},
                                                             {"Qualifying", "4"},
                                                             {"Spur", "l"}};  // the mark of the second shock tower hole
        for (const auto& [name, value] : expected)
            QVERIFY2(fields.at(name) == value, qPrintable(QString::fromStdString(name + ": " + fields.at(name))));
        // The check box is ticked by the rear tower's mark.
        QPDF sheet;
        sheet.processFile(platform::paths::textOf(sheets[0]).c_str());
        std::string wet;
        for (auto& field : QPDFAcroFormDocumentHelper(sheet).getFormFields())
            if (field.getFullyQualifiedName() == "Wet" && field.getValue().isName()) wet = field.getValue().getName();
        QCOMPARE(wet, std::string("/Yes"));
        // The run rewrote the generated mapping file beside, not the setup type's own.
        QCOMPARE(file("Mapping/Riverside.map"), mapping);
        QVERIFY(fs::exists(m_folder->path() / "Mapping" / "Mapping_Riverside.map"));
    }

    // Choosing a PDF reads it once: the choices, their limits, the suggestion,
    // the boxes on the page and the page's picture come from one load.
    void choosingAPdfReadsItOnce() {
        const fs::path copy = m_folder->path() / "ClubCopy.pdf";
        fs::copy_file(kClubSheet, copy);
        testsupport::FileOpens watched(copy);
        if (!watched.counting()) QSKIP(testsupport::kNoOpenCounts);
        int opens = -1;
        newSetupType(m_window, copy, [&](frmNewSetupType* dialog) {
            QVERIFY(!dialog->findChild<QLabel*>("picPreview")->pixmap().isNull());
            QCOMPARE(dialog->mappedCount(), 24);
            opens = watched.opens();
        });
        QCOMPARE(opens, 1);
    }

    // A form of every kind of field: a value is offered the fields that can
    // show it, a mark text fields and the check box it ticks.
    void offersOnlyFieldsThatShowTheValue() {
        QPDF pdf;
        pdfautotest::buildForm(
            pdf, {.fields = {{.name = "Driver Name"},
                             {.name = "Main Event", .type = "/Ch", .flags = 1 << 17, .rect = {100, 650, 300, 670}},
                             {.name = "Submit", .type = "/Btn", .flags = 1 << 16, .rect = {100, 600, 160, 620}},
                             {.name = "Signature", .type = "/Sig", .rect = {100, 550, 300, 580}},
                             {.name = "Wet", .type = "/Btn", .rect = {100, 500, 110, 510}, .states = {"Yes"}}}});
        const fs::path file = m_folder->path() / "Kinds.pdf";
        const std::string name = platform::paths::textOf(file);
        QPDFWriter writer(pdf, name.c_str());  // the writer keeps the name
        writer.write();
        const auto config = (m_folder->path() / "Config").string() + "/";
        frmNewSetupType dialog(file.string(), {config, config, config}, m_dialogs.dialogs(), m_window);
        const struct {
            const char* sheetField;
            QStringList offered;
        } rows[] = {{"DriverName", {"Driver Name", "Main Event"}},
                    {"ResultsMain", {"Driver Name", "Main Event"}},
                    {"FrontShockTowerShock2", {"Driver Name", "Wet"}}};
        for (const auto& row : rows) QCOMPARE(offered(&dialog, row.sheetField), row.offered);
    }

    // What the dialog will not take, each with a message that says why; no
    // setup type is written.
    void refusals_data() {
        QTest::addColumn<QString>("pdf");  // "club" or how the PDF is spoiled
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("mapNothing");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a PDF") << "text"
                                   << "" << false << "ClubCopy.pdf";
        QTest::newRow("no form") << "formless"
                                 << "" << false << "ClubCopy.pdf";
        QTest::newRow("encrypted") << "encrypted"
                                   << "" << false << "ClubCopy.pdf";
        QTest::newRow("all fields one name") << "alike"
                                             << "" << false << "all named \"Field\"";
        QTest::newRow("maps nothing") << "club"
                                      << "Club" << true << "Nothing is mapped";
        QTest::newRow("empty name") << "club"
                                    << "" << false << "needs a name";
        QTest::newRow("slash in name") << "club"
                                       << "Club/2" << false << "cannot hold";
        QTest::newRow("backslash in name") << "club"
                                           << "Club\\2" << false << "cannot hold";
        QTest::newRow("name of a rewritten file") << "club"
                                                  << "Mapping_RDX" << false << "Mapping_";
    }
    void refusals() {
        QFETCH(QString, pdf);
        QFETCH(QString, name);
        QFETCH(bool, mapNothing);
        QFETCH(QString, message);
        const fs::path copy = m_folder->path() / "ClubCopy.pdf";
        if (pdf == "text") m_folder->write("ClubCopy.pdf", "Driver=Alex\r\n");
        else if (pdf == "formless") writeFormless(copy);
        else if (pdf == "encrypted") writeEncrypted(copy);
        else if (pdf == "alike") writeAllNamedAlike(copy);
        else fs::copy_file(kClubSheet, copy);

        MessageBox::setNextAnswer(QMessageBox::Ok);  // the one box each case shows
        newSetupType(m_window, copy, [&](frmNewSetupType* dialog) {
            if (mapNothing)
                for (auto* choice : dialog->findChildren<QComboBox*>()) choice->setCurrentIndex(0);
            m_dialogs.answerNextName(name);
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
            QVERIFY(dialog->isVisible());  // the racer can mend it
        });
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history()[0].icon, QMessageBox::Critical);
        QVERIFY2(MessageBox::history()[0].text.contains(message), qPrintable(MessageBox::history()[0].text));
        QCOMPARE(std::distance(fs::directory_iterator(m_folder->path() / "Config"), fs::directory_iterator()), 1);
        QCOMPARE(m_window->control<QComboBox>("cmbSetupName")->count(), 1);
    }

    // A name that is a setup type already is replaced only when the racer says so.
    void anExistingTypeIsReplacedOnlyAfterAsking() {
        const std::string rdx = file("Config/Setup_RDX.ini");
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            MessageBox::clearHistory();
            newSetupType(m_window, kClubSheet, [&](frmNewSetupType* dialog) {
                m_dialogs.answerNextName("RDX");
                MessageBox::setNextAnswer(answer);
                QTest::mouseClick(dialog->findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
            });
            QCOMPARE(MessageBox::history().size(), 1);
            QCOMPARE(MessageBox::history()[0].icon, QMessageBox::Question);
            QCOMPARE(file("Config/Setup_RDX.ini") == rdx, answer == QMessageBox::No);
        }
        QVERIFY(file("Config/Setup_RDX.ini").find("MappingFile=RDX.map\r\n") != std::string::npos);
        QCOMPARE(m_window->control<QComboBox>("cmbSetupName")->count(), 1);
    }

    // Without Qt PDF the preview is the fields alone: each box of the club
    // sheet's first page stands where the template has it.
    void fieldsOnlyPageDrawsTheTemplatesBoxes() {
        const pdfauto::Document document(kClubSheet.string());
        const auto page = vantrel::setuptype::firstPageWidgets(document.pages(), document.fields());
        QVERIFY(page.widgets.size() > 20);
        const QImage picture = vantrel::fieldsOnlyPage(page, 760);
        QCOMPARE(picture.width(), 760);
        QCOMPARE(picture.height(), int(std::lround(760 * page.height / page.width)));
        const QString missing = missingEdge(page, picture);
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
    }

    // Over generated pages (letter, A4, landscape, odd sizes) and boxes, one in
    // each cell of a grid: every box drawn, upright (the page's origin is its
    // lower left), and the gaps between the cells left blank.
    void fieldsOnlyPageOverGeneratedPages() {
        std::mt19937 random(4512);
        for (int round = 0; round < 40; ++round) {
            vantrel::setuptype::FirstPage page;
            page.width = std::uniform_real_distribution<double>(200, 1200)(random);
            page.height = std::uniform_real_distribution<double>(200, 1200)(random);
            const int columns = std::uniform_int_distribution<int>(1, 5)(random);
            const int rows = std::uniform_int_distribution<int>(1, 8)(random);
            const double cw = page.width / columns, ch = page.height / rows;
            // Boxes fill a cell's lower left part, so a page drawn upside down misses them.
            for (int c = 0; c < columns; ++c)
                for (int r = 0; r < rows; ++r) {
                    const double x0 = c * cw + cw * 0.15, y0 = r * ch + ch * 0.1;
                    const double w = cw * std::uniform_real_distribution<double>(0.3, 0.55)(random);
                    const double h = ch * std::uniform_real_distribution<double>(0.3, 0.45)(random);
                    page.widgets.push_back({"F" + std::to_string(c) + "_" + std::to_string(r), x0, y0, x0 + w, y0 + h});
                }
            const int width = std::uniform_int_distribution<int>(300, 900)(random);
            const QImage picture = vantrel::fieldsOnlyPage(page, width);
            const QString context = QString("round %1: %2 x %3 points, %4 boxes")
                                        .arg(round)
                                        .arg(page.width)
                                        .arg(page.height)
                                        .arg(page.widgets.size());
            QVERIFY2(!picture.isNull() && picture.width() == width, qPrintable(context));
            const QString missing = missingEdge(page, picture);
            QVERIFY2(missing.isEmpty(), qPrintable(context + ": " + missing));
            // The grid's own lines and each cell's upper right corner hold no box.
            for (int c = 0; c < columns; ++c)
                for (int r = 0; r < rows; ++r) {
                    const QPointF blank((c + 0.9) * cw * picture.width() / page.width,
                                        (page.height - (r + 0.85) * ch) * picture.height() / page.height);
                    QVERIFY2(!darkNear(picture, blank, 2),
                             qPrintable(context + QString(": a line at (%1, %2)").arg(blank.x()).arg(blank.y())));
                }
        }
    }

    // A page without a size draws nothing; a page far taller than wide is cut
    // to a sheet's proportions instead of asking for any size of picture.
    void fieldsOnlyPageOfOddPages_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("pixelsHigh");
        QTest::newRow("no width") << 0.0 << 792.0 << 0;
        QTest::newRow("no height") << 612.0 << 0.0 << 0;
        QTest::newRow("negative") << -612.0 << 792.0 << 0;
        QTest::newRow("not a number") << std::nan("") << 792.0 << 0;
        QTest::newRow("a mile tall") << 10.0 << 1.0e9 << 800;
        QTest::newRow("letter") << 612.0 << 792.0 << 129;
    }
    void fieldsOnlyPageOfOddPages() {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(int, pixelsHigh);
        vantrel::setuptype::FirstPage page{width, height, {{"Driver", 10, 10, 50, 30}}};
        const QImage picture = vantrel::fieldsOnlyPage(page, 100);
        QCOMPARE(picture.isNull() ? 0 : picture.height(), pixelsHigh);
    }
};

QObject* createNewSetupTypeTest() { return new NewSetupTypeTest; }

#include "NewSetupTypeTest.moc"
