// The app's folders in the test's XDG folders, the names read from history
// files, and the thumbnails the histories show: of every kind of PNG a
// picture may come as (1, 2, 4, 8 and 16 bits, palette, grey, alpha), a
// thumbnail shows the picture, never the noise of a one-bit one scaled as is.
#include "Models/AppSettings.h"
#include "Storage/AppFolders.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

namespace {
QString dataHome() { return qEnvironmentVariable("XDG_DATA_HOME"); }
QString pictures() { return qEnvironmentVariable("HOME") + "/Pictures"; }
}

class TestStorage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foldersArePrivateAndLegacyFoldersMoveOnce()
    {
        QDir(dataHome()).removeRecursively();
        QDir(pictures()).removeRecursively();
        QVERIFY(plantFile(dataHome() + "/Zentu/screenshots.json", "[]"));
        QVERIFY(plantFile(pictures() + "/Zentu/bild.png"));
        QVERIFY(plantFile(pictures() + "/Zentu.it/schon-da.png"));
        const AppFolders folders = testFolders();
        QCOMPARE(folders.baseDirectory(), dataHome() + "/Zentu.it");
        folders.ensureDirectories();
        folders.ensureDirectories(); // once is enough
        for (const QString& dir : {folders.screenshotsDirectory(), folders.thumbnailsDirectory(), folders.clipboardImagesDirectory()})
            QVERIFY2(QFileInfo(dir).isDir(), qPrintable(dir));
        // The folder holds clipboard texts: the owner's alone.
        QCOMPARE(QFileInfo(folders.baseDirectory()).permissions() & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());
        QVERIFY(QFileInfo::exists(folders.baseDirectory() + "/screenshots.json"));
        QVERIFY(!QFileInfo::exists(dataHome() + "/Zentu"));
        // Both names exist in Pictures: nothing moves.
        QVERIFY(QFileInfo::exists(pictures() + "/Zentu/bild.png"));

        AppSettings settings;
        QCOMPARE(folders.exportDirectory(settings), pictures() + "/Zentu.it");
        settings.saveDirectoryPath = QStringLiteral("/tmp/elsewhere");
        QCOMPARE(folders.exportDirectory(settings), QStringLiteral("/tmp/elsewhere"));
    }

    void plainFileNames()
    {
        QVERIFY(Storage::isPlainFileName("Zentu.it_Screenshot_2026-03-07_09-05-03-042.png"));
        for (const char* bad : {"", ".", "..", "../x.png", "a/b.png", "/etc/passwd"})
            QVERIFY2(!Storage::isPlainFileName(QString::fromUtf8(bad)), bad);
        QVERIFY(!Storage::isPlainFileName(QString("a") + QChar(0) + "b"));
    }

    void thumbnails_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<bool>("top");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("small stays") << QSize(100, 50) << false << QSize(100, 50);
        QTest::newRow("one pixel high") << QSize(3000, 1) << false << QSize(320, 1);
        QTest::newRow("tall scroll capture cut") << QSize(1000, 5000) << true << QSize(320, 233);
        QTest::newRow("short scroll capture not cut") << QSize(1000, 600) << true << QSize(320, 192);
    }
    void thumbnails()
    {
        QFETCH(QSize, source);
        QFETCH(bool, top);
        QFETCH(QSize, expected);
        // Red on top, blue below: a cut scroll capture shows its top.
        QImage image = filledImage(source.width(), source.height(), Qt::red);
        QPainter(&image).fillRect(0, 729, source.width(), source.height(), Qt::blue);
        const QImage t = top ? ImageOps::topThumbnail(image, 320, 96.0 / 70.0) : ImageOps::thumbnail(image, 320);
        QCOMPARE(t.size(), expected);
        QCOMPARE(t.pixelColor(t.width() / 2, qMax(0, t.height() - 4)), QColor(Qt::red));
    }

    void everyKindOfPngMakesAThumbnail_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("colors");
        QTest::newRow("1 bit") << int(QImage::Format_Mono) << 2;
        QTest::newRow("2 bit palette") << int(QImage::Format_Indexed8) << 4;
        QTest::newRow("4 bit palette") << int(QImage::Format_Indexed8) << 16;
        QTest::newRow("8 bit palette with alpha") << int(QImage::Format_Indexed8) << 200;
        QTest::newRow("8 bit grey") << int(QImage::Format_Grayscale8) << 0;
        QTest::newRow("16 bit grey") << int(QImage::Format_Grayscale16) << 0;
        QTest::newRow("8 bit alpha") << int(QImage::Format_ARGB32) << 0;
        QTest::newRow("16 bit alpha") << int(QImage::Format_RGBA64) << 0;
    }
    void everyKindOfPngMakesAThumbnail()
    {
        QFETCH(int, format);
        QFETCH(int, colors);
        // Black and white pixels in turn: at any smaller size a flat grey.
        QImage source(800, 600, QImage::Format_RGB32);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        QImage picture;
        if (colors) {
            QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 255, 255)};
            for (int i = 2; i < colors; ++i)
                palette << qRgba(i, 255 - i, i / 2, 255 - i % 3); // unused, but sets the bit depth
            picture = source.convertToFormat(QImage::Format(format), palette, Qt::ThresholdDither);
        } else {
            picture = source.convertToFormat(QImage::Format(format));
        }
        const QString path = QDir::tempPath() + QStringLiteral("/zentu-kind-%1.png").arg(QTest::currentDataTag()).replace(' ', '-');
        QVERIFY(picture.save(path, "PNG"));
        const ImageOps::Read read = ImageOps::readImage(path);
        QFile::remove(path);
        QCOMPARE(read.problem, ImageOps::ReadProblem::none);
        for (const QImage& shown : {ImageOps::thumbnail(read.image, 320), ImageOps::filled(read.image, {96, 70})}) {
            int low = 255, high = 0;
            for (int y = 2; y < shown.height() - 2; ++y)
                for (int x = 2; x < shown.width() - 2; ++x) {
                    const int grey = qGray(shown.pixel(x, y));
                    low = std::min(low, grey);
                    high = std::max(high, grey);
                }
            QVERIFY2(high - low < 40 && low > 80 && high < 180,
                     qPrintable(QStringLiteral("%1: grey from %2 to %3").arg(QTest::currentDataTag()).arg(low).arg(high)));
        }
    }

    // What the app stores it opens, however large (Qt's own limit is 128 MB),
    // and says why when it cannot.
    void storedPicturesOpenAtAnySizeOrSayWhy()
    {
        const QString path = QDir::tempPath() + QStringLiteral("/zentu-tall.png");
        QImage tall(1440, 45000, QImage::Format_RGB32);
        tall.fill(Qt::darkCyan);
        tall.setPixel(1439, 44999, qRgb(255, 0, 0));
        QVERIFY(tall.save(path, "PNG", 9));
        const ImageOps::Read read = ImageOps::readImage(path);
        QCOMPARE(read.image.size(), tall.size());
        QCOMPARE(read.image.pixel(1439, 44999), qRgb(255, 0, 0));
        QVERIFY(plantFile(path, "kein PNG"));
        QCOMPARE(ImageOps::readImage(path).problem, ImageOps::ReadProblem::damaged);
        QFile::remove(path);
        QCOMPARE(ImageOps::readImage(path).problem, ImageOps::ReadProblem::missing);
        QCOMPARE(ImageOps::problemText(ImageOps::ReadProblem::missing), QStringLiteral("Bild nicht geöffnet: Datei fehlt"));
    }
};

ZENTU_TEST_MAIN(TestStorage)
#include "tst_storage.moc"
