#include <QApplication>

#include "frmVantrel.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel");
    // The window deletes itself when closed; the program ends with it.
    auto* window = new vantrel::frmVantrel;
    window->show();
    return app.exec();
}
