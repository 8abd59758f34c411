// The whole-document PDF capture on PDF files generated at test time, rendered
// by the page-capture helper as the app does it.
#include "PageCapture/PdfRenderer.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/PageCaptureProcess.h"
#include "support/AwaitCapture.h"
#include "support/CaptureErrorOf.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"
#include "support/TestFiles.h"

#include <QPdfDocument>
#include <QProcess>
#include <QStandardPaths>

class TestPdfCapture : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QImage render(const QString& file, const PageCaptureProcess::StopRequested& stop = {})
    {
        PageCaptureProcess helper;
        helper.setStopRequested(stop);
        const CaptureOutcome outcome = awaitCapture([&] { return helper.renderDocument(file); });
        if (outcome.failed())
            throw CaptureError(outcome.error);
        return outcome.image ? *outcome.image : QImage();
    }

private Q_SLOTS:
    void rotationAndCropBoxDecideThePageSize_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("height");
        // A 200 × 100 page: upright 720 px high, turned a quarter 2880 px.
        QTest::newRow("upright") << QStringList{"/MediaBox [0 0 200 100]"} << 720;
        QTest::newRow("90") << QStringList{"/MediaBox [0 0 200 100] /Rotate 90"} << 2880;
        QTest::newRow("-90") << QStringList{"/MediaBox [0 0 200 100] /Rotate -90"} << 2880;
        QTest::newRow("180") << QStringList{"/MediaBox [0 0 200 100] /Rotate 180"} << 720;
        // The shown part 300 × 800 of a 600 × 800 sheet; pages of other widths
        // are scaled to 1440 as well.
        QTest::newRow("crop box") << QStringList{"/MediaBox [0 0 600 800] /CropBox [0 0 300 800]",
                                                 "/MediaBox [0 0 720 360]"} << 3840 + 720;
    }
    void rotationAndCropBoxDecideThePageSize()
    {
        QFETCH(QStringList, pages);
        QFETCH(int, height);
        const QString file = path("sized.pdf");
        QVERIFY(PdfFixtures::writeRawPages(file, pages));
        QCOMPARE(render(file).size(), QSize(1440, height));
    }

    void unusablePageSizesGiveNoPage()
    {
        // No width, no height or a non-number: no page rather than a division by zero.
        for (const QSizeF& size : {QSizeF(0, 800), QSizeF(300, 0), QSizeF(qQNaN(), 800)})
            QCOMPARE(PdfRenderer::pixelHeight(size), 0);
        QCOMPARE(PdfRenderer::pixelHeight(QSizeF(1e-9, 800)), int(PdfRenderer::heightCap + 1));
    }

    void tooLongIsRefusedWithPageCount()
    {
        // 144 pt wide pages are scaled by 10: 3 × 6667 pt = 200010 px > 200000.
        const QString file = path("long.pdf");
        QVERIFY(PdfFixtures::writeRawPages(file, QStringList(3, "/MediaBox [0 0 144 6667]")));
        QCOMPARE(captureErrorOf([&] { render(file); }), QStringLiteral("PDF zu lang: 3 Seiten."));
    }

    void lockedEmptyAndUnreadable()
    {
        const QString plain = path("plain.pdf"), empty = path("empty.pdf"), junk = path("junk.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(plain, QSizeF(595, 842), {Qt::green}));
        QVERIFY(PdfFixtures::writeRawPages(empty, {}));
        QCOMPARE(captureErrorOf([&] { render(empty); }), QStringLiteral("PDF hat keine Seiten."));
        QVERIFY(plantFile(junk, "this is no pdf"));
        const QString unreadable = QStringLiteral("PDF konnte nicht gelesen werden.");
        QCOMPARE(captureErrorOf([&] { render(junk); }), unreadable);
        QCOMPARE(captureErrorOf([&] { PdfRenderer::openData("nope"); }), unreadable);

        if (QStandardPaths::findExecutable("qpdf").isEmpty())
            QSKIP("qpdf is not installed (scripts/install-deps.sh)");
        const QString locked = path("locked.pdf");
        QCOMPARE(QProcess::execute("qpdf", {"--encrypt", "user-pw", "owner-pw", "256", "--", plain, locked}), 0);
        QCOMPARE(captureErrorOf([&] { render(locked); }), QStringLiteral("PDF ist passwortgeschützt."));
        // Only an owner password: opens without asking, so it is rendered.
        const QString ownerOnly = path("owner.pdf");
        QCOMPARE(QProcess::execute("qpdf", {"--encrypt", "", "owner-pw", "256", "--", plain, ownerOnly}), 0);
        QCOMPARE(render(ownerOnly).size(), QSize(1440, 2038));
    }

    void stopIsAskedBeforeEachPage()
    {
        const QString file = path("stop.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(file, QSizeF(720, 360), {Qt::red, Qt::green, Qt::blue}));
        int asked = 0;
        QVERIFY(render(file, [&] { return ++asked == 2; }).isNull());
        QCOMPARE(asked, 2);
    }
};

ZENTU_TEST_MAIN(TestPdfCapture)
#include "tst_pdfcapture.moc"
