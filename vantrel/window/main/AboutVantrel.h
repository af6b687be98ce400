#pragma once
// Which Vantrel this is: the line "Vantrel <version>" with an "About..."
// button on the File tab, the About box it opens (the versions of Qt, qpdf
// and SQLite it runs with), and the answers of `vantrel --help` and
// `vantrel --version`, which need no screen.

#include <QString>
#include <QWidget>

#include <optional>
#include <ostream>

class QPushButton;

namespace vantrel {

class AboutVantrel : public QWidget {
    Q_OBJECT
public:
    explicit AboutVantrel(QWidget* parent);

    // What the About box says: versionText for "Vantrel" and this Qt.
    static QString text();

private:
    QPushButton* m_cmdAbout = nullptr;
};

// `vantrel --help` and `vantrel --version` print their text to out and
// answer the exit status; any other command line answers nothing and the
// window starts.
std::optional<int> answerCommandLine(int argc, const char* const* argv, std::ostream& out);

}  // namespace vantrel
