#pragma once
// What a PDF says, as poppler's tools read it on Linux (pdftotext for its
// text, pdfinfo for its pages), for the tests of what the program writes:
// the same reading for the Linux build and for the Windows build under Wine.

#include <QString>
#include <QStringList>

namespace testsupport {

struct PopplerOutput {
    QString text;
    // Empty when the tool ran and succeeded; else what went wrong.
    QString error;
};

// What the tool prints of the PDF: `tool options... pdf trailing...`, its
// standard output. Bounded in time (a minute).
PopplerOutput poppler(const QString& tool, const QStringList& options, const QString& pdf,
                      const QStringList& trailing = {});

// The PDF's text (pdftotext, its options first: "-layout", "-f", "2"...),
// pages parted by a form feed.
inline PopplerOutput pdfText(const QString& pdf, const QStringList& options = {}) {
    return poppler("pdftotext", options, pdf, {"-"});
}

}  // namespace testsupport
