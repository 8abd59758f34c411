#pragma once
// PDF files made at test time: drawn with QPdfWriter, or written by hand where
// a test needs page boxes and rotations QPdfWriter cannot produce.
#include <QColor>
#include <QList>
#include <QSizeF>
#include <QStringList>
#include <QString>

namespace PdfFixtures {
// Pages of the given size in points, each filled with its own colour.
bool writeColouredPages(const QString& path, const QSizeF& pagePoints, const QList<QColor>& colours);
// A4 pages of numbered lines, each with a block in the colour that codes its
// number (CodedRows), `linesPerPage` to a page.
bool writeCodedLines(const QString& path, int pages, int linesPerPage);
// One page dictionary per entry, e.g. "/MediaBox [0 0 200 100] /Rotate 90".
bool writeRawPages(const QString& path, const QStringList& pageEntries);
}
