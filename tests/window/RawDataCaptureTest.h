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

class RawDataCaptureTest : public QObject {
    Q_OBJECT
public:
    RawDataCaptureTest();
    ~RawDataCaptureTest() override;

private slots:
    void init();
    void cleanup();

    void everyFieldFromItsControl();
    void optionReaders_data();
    void optionReaders();
    void toe_data();
    void toe();
    void secondCaptureReplacesTheFirst();
    void failureNamesTheCapture();

private:
    std::unique_ptr<windowtest::WindowTestFolder> m_folder;
    QPointer<vantrel::frmVantrel> m_window;
};
