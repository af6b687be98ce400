// Runs the window's test classes; a first argument that names a class runs
// only that one (the rest go to Qt Test).

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// The classes of this build (VANTREL_WINDOW_TEST_CLASSES: X(name) for each).
#define X(name) QObject* create##name();
VANTREL_WINDOW_TEST_CLASSES
#undef X

int main(int argc, char* argv[]) {
    // The places windows keep and the user's settings go to a folder of the
    // run's own, not the user's: the XDG folder, and the settings' own path
    // where the system keeps them elsewhere.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    QApplication app(argc, argv);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> args(argv, argv + argc);
    if (only) args.erase(args.begin() + 1);

    int failed = 0, ran = 0;
#define X(name) create##name,
    for (auto create : {VANTREL_WINDOW_TEST_CLASSES}) {
#undef X
        std::unique_ptr<QObject> test(create());
        if (only && std::strcmp(test->metaObject()->className(), only) != 0) continue;
        failed += QTest::qExec(test.get(), int(args.size()), args.data());
        ++ran;
    }
    // A class asked for by a name no class has ran nothing: that is no pass.
    if (ran == 0) std::fprintf(stderr, "no test class named %s\n", only ? only : "");
    return failed == 0 && ran > 0 ? 0 : 1;
}
