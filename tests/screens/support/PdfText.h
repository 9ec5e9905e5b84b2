#pragma once

#include <QString>
#include <QStringList>

namespace quandrelle::testing {

// What poppler's tools read from a PDF file; each fails the calling test when the tool is missing or
// the file cannot be read.
struct PdfReading {
    QString text;           // pdftotext in the page's layout (a table row on one line), blanks and line ends
                            // folded to single blanks
    int pages = 0;          // from pdfinfo
    QString pageSize;       // pdfinfo's "Page size" line, e.g. "595.28 x 841.89 pts (A4)"
    int images = 0;         // pdfimages -list
    QStringList pageTexts;  // the text of each page in turn, folded the same way
};

PdfReading readPdf(const QString& file);

}  // namespace quandrelle::testing
