#include "PageCapture/PdfRenderer.h"

#include "Localization/Localizer.h"
#include "Screenshot/CaptureError.h"
#include "Storage/ImageOps.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfDocument>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {
[[noreturn]] void unreadable()
{
    throw CaptureError(Localizer::t(QStringLiteral("PDF konnte nicht gelesen werden.")));
}

bool opened(const QPdfDocument& doc)
{
    // A locked document still counts as opened: the renderer refuses it with
    // its own message.
    return doc.status() == QPdfDocument::Status::Ready
        || doc.error() == QPdfDocument::Error::IncorrectPassword;
}

// Qt PDF's engine refuses a document without pages at load time, so such a
// file would read as unreadable. A page tree that plainly says it has no pages
// (and holds no page object) is reported as empty instead.
bool plainlyEmpty(const QByteArray& data)
{
    if (!data.startsWith("%PDF-"))
        return false;
    static const QRegularExpression noPages(QStringLiteral(R"(/Type\s*/Pages\b[^>]*/Count\s+0\b|/Count\s+0\b[^>]*/Type\s*/Pages\b)"));
    static const QRegularExpression aPage(QStringLiteral(R"(/Type\s*/Page\b(?!s))"));
    const QString text = QString::fromLatin1(data);
    return noPages.match(text).hasMatch() && !aPage.match(text).hasMatch();
}

void refuse(const QByteArray& data)
{
    if (plainlyEmpty(data))
        throw CaptureError(Localizer::t(QStringLiteral("PDF hat keine Seiten.")));
    unreadable();
}

bool usable(const QSizeF& s)
{
    return std::isfinite(s.width()) && std::isfinite(s.height()) && s.width() > 0 && s.height() > 0;
}
}

std::unique_ptr<QPdfDocument> PdfRenderer::openFile(const QString& path)
{
    auto doc = std::make_unique<QPdfDocument>();
    doc->load(path);
    if (!opened(*doc)) {
        QFile file(path);
        refuse(file.open(QIODevice::ReadOnly) ? file.read(4 << 20) : QByteArray());
    }
    return doc;
}

std::unique_ptr<QPdfDocument> PdfRenderer::openData(const QByteArray& data)
{
    // Qt PDF reads from a device lazily; a plain buffer is complete at once.
    auto doc = std::make_unique<QPdfDocument>();
    auto* buffer = new QBuffer(doc.get());
    buffer->setData(data);
    buffer->open(QIODevice::ReadOnly);
    doc->load(buffer);
    if (!opened(*doc))
        refuse(data.left(4 << 20));
    return doc;
}

int PdfRenderer::pixelHeight(const QSizeF& size)
{
    if (!usable(size))
        return 0;
    const long long h = ImageOps::roundHalfAway(size.height() * (outputWidth / size.width()));
    // Anything above the cap is refused by the total anyway; keep it in range.
    return int(std::clamp<long long>(h, 0, heightCap + 1));
}

std::optional<CapturedScreenshot> renderPDF(QPdfDocument& document, const PdfRenderer::Watch& watch)
{
    using namespace PdfRenderer;
    if (document.error() == QPdfDocument::Error::IncorrectPassword)
        throw CaptureError(Localizer::t(QStringLiteral("PDF ist passwortgeschützt.")));

    // Qt PDF reports each page's crop box with the page's rotation applied,
    // which is the size the page is shown at. Pages without a usable size
    // (a crop box of no width) are left out like missing pages.
    struct Page {
        int index;
        QSizeF size;
        int pixelHeight;
    };
    QList<Page> pages;
    for (int i = 0; i < document.pageCount(); ++i) {
        const QSizeF size = document.pagePointSize(i);
        const int h = pixelHeight(size);
        if (h <= 0)
            continue;
        pages.append({i, size, h});
    }
    if (pages.isEmpty())
        throw CaptureError(Localizer::t(QStringLiteral("PDF hat keine Seiten.")));

    long long total = 0;
    for (const Page& p : pages)
        total += p.pixelHeight;
    if (total > heightCap)
        throw CaptureError(Localizer::t(QStringLiteral("PDF zu lang: %1 Seiten.")).arg(pages.size()));

    QImage out(outputWidth, int(total), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        throw CaptureError(Localizer::t(QStringLiteral("Zu großes PDF für den Bildspeicher.")));
    out.fill(Qt::white);

    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    int y = 0;
    int drawn = 0;
    bool incomplete = false;
    for (const Page& p : pages) {
        if (watch.stopRequested && watch.stopRequested())
            return std::nullopt;
        const QImage page = document.render(p.index, QSize(outputWidth, p.pixelHeight));
        if (!page.isNull()) {
            painter.drawImage(QRect(0, y, outputWidth, p.pixelHeight), page);
        } else {
            // A white gap where the page belongs: kept, but never passed off as whole.
            incomplete = true;
            if (watch.log)
                watch.log(QStringLiteral("Unvollständig: Seite %1 nicht gezeichnet").arg(p.index + 1));
        }
        y += p.pixelHeight;
        if (watch.progress)
            watch.progress(++drawn, y);
    }
    painter.end();
    return CapturedScreenshot::make(std::move(out), CaptureKind::scrolling, incomplete);
}
