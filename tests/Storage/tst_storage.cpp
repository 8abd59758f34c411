// The app's folders in the test's XDG folders, the names read from history
// files, and the thumbnails the histories show.
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
};

ZENTU_TEST_MAIN(TestStorage)
#include "tst_storage.moc"
