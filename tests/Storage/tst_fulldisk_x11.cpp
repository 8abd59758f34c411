// The real program with its data folder on a small file system (a 6 MB
// tmpfs, so root only) that fills up around what a user does: a copy and a
// normal quit, a capture and a kill -9, three captures on a full disk, three
// with 150 KB left; then the space comes back. After each step every record
// that was on disk is still there, every record's picture decodes and agrees
// with it, a capture that was not stored is never announced as stored, each
// episode is told once, and what was kept in memory reaches the disk once
// there is room. A restart keeps the previous run's log.
#include "support/ClipboardOwners.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSet>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

class TestFullDiskX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    bool m_mounted = false;
    ClipboardOwners m_owners;
    // Totals for the record.
    HistoryWatch m_history{m_real.dataFolder()};
    int m_episodes = 0;

    QString base() const { return m_real.dataFolder(); }
    QString filler() const { return m_real.dataHome() + QStringLiteral("/filler"); }

    qint64 freeBytes() const
    {
        struct statvfs s {};
        return statvfs(QFile::encodeName(m_real.dataHome()).constData(), &s) == 0 ? qint64(s.f_bavail) * s.f_frsize : 0;
    }
    // Leaves about `room` bytes free.
    bool fill(qint64 room)
    {
        QFile::remove(filler());
        const int fd = ::open(QFile::encodeName(filler()).constData(), O_WRONLY | O_CREAT, 0600);
        const qint64 size = freeBytes() - room;
        const bool filled = fd >= 0 && (size <= 0 || ::posix_fallocate(fd, 0, size) == 0);
        if (fd >= 0)
            ::close(fd);
        return filled;
    }
    void makeRoom() { QFile::remove(filler()); }

    // Every record that was on disk still is, and all agree with their pictures.
    void verify(const QSet<QString>& before, const QString& step)
    {
        const QString problem = m_history.check(before);
        QVERIFY2(problem.isEmpty(), qPrintable(step + ": " + problem));
    }

    // The toast near the bottom of the screen, as any window of the program there.
    bool toastShown() const
    {
        X11Probe x;
        for (const xcb_window_t w : x.children(x.root()))
            if (x.pid(w) == m_app.processId() && x.viewable(w) && x.rootGeometry(w).top() > 1080 * 3 / 4)
                return true;
        return false;
    }
    // The full-screen hotkey; done once the capture was announced.
    bool capture()
    {
        return QTest::qWaitFor([&] { return !toastShown(); }, 10000) && pressHotkey("15")
            && QTest::qWaitFor([&] { return toastShown(); }, 15000);
    }
    void copy(const QString& text) { m_owners.copy(text); }
    bool recorded(const QString& text) const
    {
        for (const QJsonValue& v : m_real.historyRecords(QStringLiteral("clipboard.json")))
            if (v.toObject().value("text").toString() == text)
                return true;
        return false;
    }
    bool start()
    {
        return startQuietly(m_real, m_app);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to mount a small file system");
        QVERIFY(m_real.useFreshFolders());
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_real.dataHome()).constData(), "tmpfs", 0, "size=6m,mode=0700") == 0;
        if (!m_mounted)
            QSKIP("no tmpfs could be mounted here");
    }
    void cleanupTestCase()
    {
        stopQuietly(m_app);
        if (m_mounted)
            ::umount2(QFile::encodeName(m_real.dataHome()).constData(), MNT_DETACH);
        qInfo("full disk: %d records lost, %d records not agreeing with their pictures, %d episodes", m_history.lost, m_history.wrong,
              m_episodes);
    }

    void aCopyAndAQuitOnAFullDisk()
    {
        QVERIFY(start());
        for (int i = 1; i <= 5; ++i) {
            QVERIFY(pressHotkey("15"));
            QTRY_COMPARE_WITH_TIMEOUT(m_history.count("screenshots.json"), i, 15000);
            copy(QStringLiteral("Kopie %1").arg(i));
            QTRY_VERIFY_WITH_TIMEOUT(recorded(QStringLiteral("Kopie %1").arg(i)), 15000);
        }
        const QSet<QString> before = m_history.ids();
        QCOMPARE(before.size(), 10);
        QVERIFY(fill(0));
        copy(QStringLiteral("Kopie 6"));
        // The journal line is refused: told once.
        QVERIFY(QTest::qWaitFor([&] { return toastShown(); }, 15000));
        stopQuietly(m_app);
        verify(before, QStringLiteral("full disk, one more copy, quit"));
        makeRoom();
        QVERIFY(start());
        verify(before, QStringLiteral("space freed, start"));
        QCOMPARE(m_history.count("clipboard.json"), 5);
        ++m_episodes;
    }

    void aCaptureAndAKillOnAFullDisk()
    {
        const QSet<QString> before = m_history.ids();
        const QStringList thumbnails = QDir(base() + "/Thumbnails").entryList(QDir::Files);
        QVERIFY(fill(0));
        QVERIFY(capture());
        // While it runs the history on disk is whole, the capture not in it.
        verify(before, QStringLiteral("full disk, one more capture"));
        QCOMPARE(m_history.count("screenshots.json"), 5);
        m_app.kill();
        QVERIFY(m_app.waitForFinished(5000));
        makeRoom();
        QVERIFY(start());
        verify(before, QStringLiteral("kill -9, space freed, start"));
        QCOMPARE(QDir(base() + "/Thumbnails").entryList(QDir::Files), thumbnails);
        ++m_episodes;
    }

    void threeCapturesOnAFullDiskAreWrittenOnceThereIsRoom()
    {
        const QSet<QString> before = m_history.ids();
        const QString notSaved = QStringLiteral("CAPTURE nicht gespeichert, gemeldet: Kopiert, aber nicht gespeichert – Speicherplatz voll");
        const int told = m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet"));
        const int said = m_history.logged(notSaved);
        QVERIFY(fill(0));
        for (int i = 0; i < 3; ++i)
            QVERIFY(capture());
        verify(before, QStringLiteral("full disk, three captures"));
        QCOMPARE(m_history.count("screenshots.json"), 5);
        for (const QFileInfo& png : QDir(base() + "/Screenshots").entryInfoList(QDir::Files))
            QVERIFY2(png.size() > 0, qPrintable(png.fileName()));
        makeRoom();
        // Kept in memory, written at the next retry.
        QTRY_COMPARE_WITH_TIMEOUT(m_history.count("screenshots.json"), 8, 30000);
        verify(before, QStringLiteral("space freed"));
        QTRY_VERIFY_WITH_TIMEOUT(m_history.logged(QStringLiteral("STORAGE alles gesichert")) > 0, 15000);
        // Each capture said it was not saved; the episode was told once.
        QCOMPARE(m_history.logged(notSaved) - said, 3);
        QCOMPARE(m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet")) - told, 1);
        ++m_episodes;
    }

    void threeCapturesWithLittleRoomLeft()
    {
        // A window of noise makes each capture's picture about 90 KB.
        QLabel noise;
        noise.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        noise.setPixmap(QPixmap::fromImage(noisyImage(200, 150, QImage::Format_RGB32)));
        noise.move(300, 200);
        noise.show();
        QVERIFY(QTest::qWaitForWindowExposed(&noise));
        const QSet<QString> before = m_history.ids();
        const int told = m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet"));
        const int ended = m_history.logged(QStringLiteral("STORAGE alles gesichert"));
        QVERIFY(fill(150 * 1024));
        for (int i = 0; i < 3; ++i)
            QVERIFY(capture());
        verify(before, QStringLiteral("150 KB free, three captures"));
        const qsizetype stored = m_history.count("screenshots.json");
        QVERIFY2(stored >= 8 && stored < 11, qPrintable(QString::number(stored)));
        makeRoom();
        QTRY_COMPARE_WITH_TIMEOUT(m_history.count("screenshots.json"), 11, 30000);
        verify(before, QStringLiteral("space freed"));
        QTRY_VERIFY_WITH_TIMEOUT(m_history.logged(QStringLiteral("STORAGE alles gesichert")) > ended, 15000);
        QCOMPARE(m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet")) - told, 1);
        // A restart keeps what the last run logged about the failures.
        QTRY_VERIFY_WITH_TIMEOUT(m_real.debugLog().contains(QStringLiteral("STORAGE nicht geschrieben, wird wiederholt")), 15000);
        stopQuietly(m_app);
        QVERIFY(start());
        QVERIFY(QString::fromUtf8(fileContents(base() + "/debug.log.1")).contains(QStringLiteral("STORAGE nicht geschrieben, wird wiederholt")));
        verify(before, QStringLiteral("restart"));
        QCOMPARE(m_history.count("screenshots.json"), 11);
        ++m_episodes;
    }
};

ZENTU_TEST_MAIN(TestFullDiskX11)
#include "tst_fulldisk_x11.moc"
