// Builds a setup sheet template: paints the page from a layout description
// and the chassis pictures, then adds the form fields.
//
//   templategen --layout <layout.json> --output <template.pdf> [--title <text>]

#include "FormWriter.h"
#include "SheetLayout.h"
#include "SheetPainter.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

namespace {

int usage() {
    std::fprintf(stderr, "usage: templategen --layout <layout.json> --output <template.pdf> [--title <text>]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Runs during the build, where there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString layoutPath;
    QString outputPath;
    QString title = QStringLiteral("Setup Sheet");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size()) return usage();
        if (args[i] == QLatin1String("--layout")) layoutPath = args[++i];
        else if (args[i] == QLatin1String("--output")) outputPath = args[++i];
        else if (args[i] == QLatin1String("--title")) title = args[++i];
        else return usage();
    }
    if (layoutPath.isEmpty() || outputPath.isEmpty()) return usage();

    try {
        const templategen::SheetLayout layout = templategen::loadLayout(layoutPath);
        const QByteArray painted = templategen::paintSheet(layout, title);
        templategen::writeTemplate(painted, layout, outputPath.toStdString());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "templategen: %s\n", e.what());
        return 1;
    }
    return 0;
}
