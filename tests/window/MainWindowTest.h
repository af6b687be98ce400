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

class MainWindowTest : public QObject {
    Q_OBJECT
public:
    MainWindowTest();
    ~MainWindowTest() override;

private slots:
    void init();
    void cleanup();

    void startState();
    void comboBoxes_data();
    void comboBoxes();
    void optionGroups_data();
    void optionGroups();
    void holesFollowThePictures();
    void focusOnTabChange_data();
    void focusOnTabChange();
    void focusOnActivation();
    void externalDataShowsItsControls_data();
    void externalDataShowsItsControls();
    void sameAsFront();
    void targetFolder();
    void openDataFileDialog();
    void loadFailure_data();
    void loadFailure();
    void textLimits();
    void closeUnloadsTheWindow();

private:
    std::unique_ptr<windowtest::WindowTestFolder> m_folder;
    QPointer<vantrel::frmVantrel> m_window;
};
