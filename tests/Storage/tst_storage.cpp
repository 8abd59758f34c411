#include "Models/AppSettings.h"
#include "Platform/Qt/XdgPaths.h"
#include "Storage/ImageOps.h"
#include "Storage/Storage.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {
QString appSupport() { return qEnvironmentVariable("XDG_DATA_HOME"); }
QString pictures() { return qEnvironmentVariable("HOME") + "/Pictures"; }
void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
}

class TestStorage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QDir(appSupport()).removeRecursively();
        QDir(pictures()).removeRecursively();
    }

    void foldersArePrivateAndComplete()
    {
        QCOMPARE(testFolders().baseDirectory(), appSupport() + "/Zentu.it");
        testFolders().ensureDirectories();
        for (const char* sub : {"Screenshots", "Thumbnails", "ClipboardImages"})
            QVERIFY(QFileInfo(testFolders().baseDirectory() + "/" + sub).isDir());
        QCOMPARE(QFileInfo(testFolders().baseDirectory()).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
                 QFileDevice::Permissions());
        testFolders().ensureDirectories(); // idempotent
    }

    void exportFolder()
    {
        AppSettings s;
        QCOMPARE(testFolders().exportDirectory(s), pictures() + "/Zentu.it");
        s.saveDirectoryPath = QString();
        QCOMPARE(testFolders().exportDirectory(s), pictures() + "/Zentu.it");
        s.saveDirectoryPath = QStringLiteral("/tmp/elsewhere");
        QCOMPARE(testFolders().exportDirectory(s), QStringLiteral("/tmp/elsewhere"));
    }

    void legacyFoldersMoveOnce()
    {
        writeFile(appSupport() + "/Zentu/screenshots.json", "[]");
        writeFile(pictures() + "/Zentu/bild.png", "x");
        writeFile(pictures() + "/Zentu.it/schon-da.png", "y");
        testFolders().ensureDirectories();
        QVERIFY(QFileInfo::exists(appSupport() + "/Zentu.it/screenshots.json"));
        QVERIFY(!QFileInfo::exists(appSupport() + "/Zentu"));
        // Both exist in Pictures: nothing moves.
        QVERIFY(QFileInfo::exists(pictures() + "/Zentu/bild.png"));
        QVERIFY(!QFileInfo::exists(pictures() + "/Zentu.it/bild.png"));
    }

    void stems()
    {
        const QDateTime d(QDate(2026, 3, 7), QTime(9, 5, 3, 42));
        QCOMPARE(Storage::screenshotStem(d, true), QStringLiteral("Zentu.it_Screenshot_2026-03-07_09-05-03-042"));
        QCOMPARE(Storage::screenshotStem(d, false), QStringLiteral("Zentu.it_Screenshot_2026-03-07_09-05-03"));
    }

    void thumbnails_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<bool>("top");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("small stays") << QSize(100, 50) << false << QSize(100, 50);
        QTest::newRow("wide") << QSize(1000, 400) << false << QSize(320, 128);
        QTest::newRow("tall scroll capture cut") << QSize(1000, 5000) << true << QSize(320, 233);
        QTest::newRow("short scroll capture not cut") << QSize(1000, 600) << true << QSize(320, 192);
        QTest::newRow("one pixel high") << QSize(3000, 1) << false << QSize(320, 1);
    }
    void thumbnails()
    {
        QFETCH(QSize, source);
        QFETCH(bool, top);
        QFETCH(QSize, expected);
        QImage image(source, QImage::Format_ARGB32);
        image.fill(Qt::red);
        const QImage t = top ? ImageOps::topThumbnail(image, 320, 96.0 / 70.0) : ImageOps::thumbnail(image, 320);
        QCOMPARE(t.size(), expected);
    }

    void topThumbnailShowsTheTop()
    {
        QImage image(1000, 5000, QImage::Format_RGB32);
        image.fill(Qt::blue);
        for (int y = 0; y < 729; ++y)
            for (int x = 0; x < 1000; ++x)
                image.setPixel(x, y, qRgb(255, 0, 0));
        const QImage t = ImageOps::topThumbnail(image, 320, 96.0 / 70.0);
        QCOMPARE(QColor(t.pixel(160, 230)).red(), 255);
        QVERIFY(ImageOps::thumbnail(QImage(), 320).isNull());
    }

    void pngData()
    {
        QVERIFY(!ImageOps::pngData(QImage()));
        QImage image(4, 3, QImage::Format_ARGB32);
        image.fill(QColor(10, 20, 30, 128));
        const auto data = ImageOps::pngData(image);
        QVERIFY(data && data->startsWith("\x89PNG"));
        QCOMPARE(QImage::fromData(*data).pixelColor(1, 1), QColor(10, 20, 30, 128));
    }

    void atomicJsonWriteAndMoveAside()
    {
        const QString path = testFolders().baseDirectory() + "/screenshots.json";
        QVERIFY(Storage::writeJSON(QJsonArray{QJsonObject{{"a", "b/c"}}}, path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[\n  {\n    \"a\" : \"b\\/c\"\n  }\n]"));
        f.close();
        const QString aside = Storage::moveAside(path);
        QVERIFY(aside.startsWith(path + ".unreadable-"));
        QVERIFY(QFileInfo::exists(aside) && !QFileInfo::exists(path));
        QVERIFY(Storage::moveAside(path).isEmpty());
        QVERIFY(!Storage::writeJSON(QJsonArray{}, "/proc/zentu-cannot-write/x.json"));
    }

    void deleteAndTrash()
    {
        Storage::deleteFile(QString());
        XdgPaths paths;
        Storage::trashFile(paths, QString());
        Storage::trashFile(paths, appSupport() + "/nichts-da.png");
        const QString file = testFolders().screenshotsDirectory() + "/weg.png";
        writeFile(file, "x");
        Storage::trashFile(paths, file);
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(QFileInfo::exists(appSupport() + "/Trash/files/weg.png"));
        const QString other = testFolders().thumbnailsDirectory() + "/weg_thumb.png";
        writeFile(other, "x");
        Storage::deleteFile(other);
        QVERIFY(!QFileInfo::exists(other));
    }

    void plainFileNames()
    {
        QVERIFY(Storage::isPlainFileName("Zentu.it_Screenshot_2026-03-07_09-05-03-042.png"));
        for (const char* bad : {"", ".", "..", "../x.png", "a/b.png", "/etc/passwd"})
            QVERIFY2(!Storage::isPlainFileName(QString::fromUtf8(bad)), bad);
        QVERIFY(!Storage::isPlainFileName(QString("a") + QChar(0) + "b"));
    }
};

ZENTU_TEST_MAIN(TestStorage)
#include "tst_storage.moc"
