// Runs the window's test classes; a first argument that names a class runs
// only that one (the rest go to Qt Test).

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>
#include <vector>

QObject* createMainWindowTest();
QObject* createRawDataCaptureTest();
QObject* createRunSetupSheetTest();
QObject* createLibraryWindowTest();
QObject* createSetupOpenTest();
QObject* createNewSetupTypeTest();
QObject* createScreenFitTest();
QObject* createTrackSideTest();
QObject* createPortableFolderTest();
QObject* createLogRunTest();
QObject* createWindowStateTest();
QObject* createWindowWordsTest();

int main(int argc, char* argv[]) {
    // The places windows keep go to a folder of the run's own, not the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> args(argv, argv + argc);
    if (only) args.erase(args.begin() + 1);

    int failed = 0;
    for (auto create :
         {createMainWindowTest, createRawDataCaptureTest, createRunSetupSheetTest, createLibraryWindowTest,
          createSetupOpenTest, createNewSetupTypeTest, createScreenFitTest, createTrackSideTest,
          createPortableFolderTest, createLogRunTest, createWindowStateTest, createWindowWordsTest}) {
        std::unique_ptr<QObject> test(create());
        if (only && std::strcmp(test->metaObject()->className(), only) != 0) continue;
        failed += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    return failed == 0 ? 0 : 1;
}
