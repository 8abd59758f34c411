// The automatic copy of a capture, whose PNG is made off the main thread: it
// lands with PNG data that decodes to the picture and reports the change
// count it made; a later copy, or another program's content, that came
// first is never overwritten by an earlier picture finishing late.
#include "App/DeferredImageCopy.h"
#include "fakes/FakeClipboardService.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>

namespace {

QImage picture(QColor colour, QSize size = {1600, 900})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    // Not a flat fill, so the PNG really is this picture.
    for (int y = 0; y < size.height(); y += 7)
        for (int x = (y * 3) % 11; x < size.width(); x += 11)
            image.setPixel(x, y, qRgb(x % 256, y % 256, 40));
    return image;
}

// Writes at once, as the monitor does when nothing is waiting to be read.
void writeNow(DeferredImageCopy::Write write, std::function<void(const ClipboardWrite&)> done) { done(write()); }

} // namespace

class tst_DeferredImageCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void landsWithItsPngAndReportsTheCount()
    {
        FakeClipboardService clipboard;
        DeferredImageCopy copier(clipboard, writeNow);
        const QImage shot = picture(Qt::darkCyan);
        std::optional<bool> reported;
        copier.copy(shot, [&](bool copied) { reported = copied; });
        QVERIFY(copier.isPending());
        QCOMPARE(clipboard.ownWrites, 0); // not on the main thread's way
        QTRY_VERIFY(!copier.isPending());
        QCOMPARE(clipboard.ownWrites, 1);
        QCOMPARE(reported, std::optional<bool>(true));
        QCOMPARE(clipboard.image(), shot);
        const QImage decoded = QImage::fromData(clipboard.formats.value(QStringLiteral("image/png")), "PNG");
        QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), shot);
    }

    void newerContentIsNeverOverwritten()
    {
        FakeClipboardService clipboard;
        DeferredImageCopy copier(clipboard, writeNow);
        QSignalSpy finished(&copier, &DeferredImageCopy::finished);

        // Two captures in a row: only the second lands, however the encodings end.
        QList<bool> reported;
        const auto note = [&](bool copied) { reported.append(copied); };
        copier.copy(picture(Qt::red), note);
        const QImage second = picture(Qt::blue);
        copier.copy(second, note);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(clipboard.ownWrites, 1);
        QCOMPARE(clipboard.image(), second);
        QCOMPARE(reported.count(true), 1); // the earlier picture, superseded, reports false

        // Another program copies while the picture is being encoded: its text stays.
        copier.copy(picture(Qt::green), note);
        clipboard.copyText(QStringLiteral("from the browser"));
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(finished.last().first().toBool(), false);
        QCOMPARE(clipboard.string(), QStringLiteral("from the browser"));
        QCOMPARE(clipboard.ownWrites, 1);
        QCOMPARE(reported.last(), false);
    }
};

ZENTU_TEST_MAIN(tst_DeferredImageCopy)
#include "tst_deferredimagecopy.moc"
