#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

namespace vantrel {
class frmVantrel;
}
namespace windowtest {
class WindowTestFolder;
}

class RunSetupSheetTest : public QObject {
    Q_OBJECT
public:
    RunSetupSheetTest();
    ~RunSetupSheetTest() override;

private slots:
    void init();
    void cleanup();

    void wholeSetupMakesTheSheet();
    void rawDataSource_data();
    void rawDataSource();
    void failedRun_data();
    void failedRun();

private:
    std::unique_ptr<windowtest::WindowTestFolder> m_folder;
    QPointer<vantrel::frmVantrel> m_window;
};
