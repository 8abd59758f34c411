#include "support/PdfFixtures.h"

#include "helpers/CodedRows.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

bool PdfFixtures::writeColouredPages(const QString& path, const QSizeF& pagePoints, const QList<QColor>& colours)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(pagePoints, QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    if (!painter.isActive())
        return false;
    for (int i = 0; i < colours.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.fillRect(QRectF(QPointF(0, 0), pagePoints), colours[i]);
    }
    return painter.end();
}

bool PdfFixtures::writeCodedLines(const QString& path, int pages, int linesPerPage)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    if (!painter.isActive())
        return false;
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    int line = 0;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        for (int i = 0; i < linesPerPage; ++i, ++line) {
            const int y = 36 + i * 19;
            painter.fillRect(QRect(36, y, 40, 14), CodedRows::colour(line));
            painter.drawText(QPoint(86, y + 12),
                             QStringLiteral("Zeile %1 auf Seite %2 — so weit der Text reicht").arg(line).arg(page + 1));
        }
    }
    return painter.end();
}

bool PdfFixtures::writeRawPages(const QString& path, const QStringList& pageEntries)
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    auto object = [&](const QByteArray& body) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    QByteArray kids;
    for (int i = 0; i < pageEntries.size(); ++i)
        kids += QByteArray::number(3 + i) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pageEntries.size()) + " >>");
    for (const QString& entry : pageEntries)
        object("<< /Type /Page /Parent 2 0 R " + entry.toLatin1() + " >>");
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype o : offsets)
        pdf += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF\n";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(pdf) == pdf.size();
}
