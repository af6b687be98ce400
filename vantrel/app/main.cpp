#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <iostream>

#include "AboutVantrel.h"
#include "DesktopMenu.h"
#include "Installation.h"
#include "frmVantrel.h"
#include "platform/Process.h"

// vantrel [FILE]: FILE, a raw data file or a setup sheet (the desktop's
// "Open with"), is loaded into the window once it shows. --help and
// --version answer without a screen.
int main(int argc, char* argv[]) {
    if (const auto status = vantrel::answerCommandLine(argc, argv, std::cout)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel");
    // The window deletes itself when closed; the program ends with it.
    // The installation is read here, once, and handed to the window.
    auto* window = new vantrel::frmVantrel(vantrel::Installation::read(platform::process::programFolder()));
    window->show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        const QString file = args.at(1);
        QTimer::singleShot(0, window, [window, file] { window->openSetupFile(file); });
    }
    // A folder unpacked from a release offers itself to the application menu.
    QTimer::singleShot(0, window,
                       [window] { vantrel::DesktopMenu::offer(window, platform::process::programFolder()); });
    return app.exec();
}
