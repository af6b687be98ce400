#pragma once
// "New Setup Type": the sheet's 112 fields, grouped as on the RDX sheet and
// named in the window's words, each with a choice of the chosen PDF's form
// fields (pre-chosen by the word matcher, FieldMatcher.h), and the PDF's first page with
// the chosen fields outlined. Saving makes a setup type of the racer's own
// (SetupTypeFiles.h).

#include <QDialog>
#include <QStringList>
#include <QImage>
#include <QList>
#include <QString>

#include <string>
#include <vector>

#include "Dialogs.h"
#include "SetupTypeFiles.h"
#include "pdfauto/Document.h"

class QComboBox;
class QLabel;

namespace vantrel {

class frmNewSetupType : public QDialog {
    Q_OBJECT
public:
    // Reads the PDF once, at once: fields, boxes and picture. Raises
    // platform::Error naming the file when it cannot be read, is encrypted or
    // damaged, has no form fields, or all its fields have one name (no value
    // could go to one of them alone).
    // "Save" asks for the new type's name through dialogs.
    frmNewSetupType(const std::string& pdfPath, const SetupTypeFolders& folders, Dialogs dialogs,
                    QWidget* parent = nullptr);
    ~frmNewSetupType() override;

    int mappedCount() const;
    // Sheet field positions (1 to 112) with the form field each one fills.
    std::vector<setuptype::MappingLine> mapping() const;
    // The setup type saved, empty while none is.
    const QString& savedName() const { return m_savedName; }
    // The files the save wrote: template, mapping file, per-setup file.
    const QStringList& savedFiles() const { return m_savedFiles; }

private:
    void buildWindow();
    void mappingChanged();
    void drawPreview();
    void saveClicked();
    bool save(const QString& name);

    std::string m_pdfPath;
    SetupTypeFolders m_folders;
    Dialogs m_dialogs;
    std::vector<pdfauto::FieldInfo> m_fields;
    setuptype::FirstPage m_firstPage;
    QImage m_page;                // the first page, rendered once
    bool m_fieldsOnly = false;    // m_page is the fields' boxes on a plain page, not the page's picture
    QList<QComboBox*> m_choices;  // one per sheet field, in record order
    QList<QLabel*> m_limits;      // beside each: the chosen field's length limit
    QLabel* m_count = nullptr;
    QLabel* m_preview = nullptr;
    QString m_savedName;
    QStringList m_savedFiles;
};

}  // namespace vantrel
