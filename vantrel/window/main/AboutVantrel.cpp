#include "AboutVantrel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <string_view>

#include "VersionText.h"

namespace vantrel {

namespace {

std::string versionLines() { return versionText("Vantrel", qVersion()); }

const char* const kUsage =
    "Usage: vantrel [FILE]\n"
    "Shows the Vantrel window; FILE, a raw data file or a setup sheet, is loaded\n"
    "into it once it shows.\n"
    "  --version          show the version, and those of Qt, qpdf and SQLite it runs with\n"
    "  --help             show this text\n";

}  // namespace

AboutVantrel::AboutVantrel(QWidget* parent) : QWidget(parent) {
    setObjectName("About");
    const std::string lines = versionLines();
    auto* lblVersion = new QLabel(QString::fromStdString(lines.substr(0, lines.find('\n'))), this);
    lblVersion->setObjectName("lblVersion");
    m_cmdAbout = new QPushButton("About...", this);
    m_cmdAbout->setObjectName("cmdAbout");
    connect(m_cmdAbout, &QPushButton::clicked, this, [this] { QMessageBox::about(window(), "About Vantrel", text()); });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(lblVersion);
    row->addWidget(m_cmdAbout);
    row->addStretch(1);
}

QString AboutVantrel::text() {
    return QString::fromStdString(versionLines()).trimmed() +
           "\n\nTurns the setup of a radio-controlled car into a filled PDF setup sheet.";
}

std::optional<int> answerCommandLine(int argc, const char* const* argv, std::ostream& out) {
    if (argc != 2) return std::nullopt;
    const std::string_view arg = argv[1];
    if (arg == "--help" || arg == "-h") {
        out << kUsage;
        return 0;
    }
    if (arg == "--version") {
        out << versionLines();
        return 0;
    }
    return std::nullopt;
}

}  // namespace vantrel
