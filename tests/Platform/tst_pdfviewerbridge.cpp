// The Linux PDF viewer bridge and application lookup on real processes: a
// viewer-like process names one PDF on its command line and holds another
// open; the picked window's document is found and captured page by page.
#include "Platform/X11/X11RunningApplications.h"
#include "Platform/X11/ProcPdfViewerBridge.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/ScrollCancel.h"
#include "fakes/FakeBrowserBridge.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakeRunningApplications.h"
#include "support/AwaitCapture.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

class TestPdfViewerBridge : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_first, m_second;

    // A stand-in viewer: "viewer -f first.pdf" run from the fixture folder
    // (relative argument) with second.pdf open on descriptor 3.
    std::unique_ptr<QProcess> startViewer()
    {
        auto p = std::make_unique<QProcess>();
        p->setWorkingDirectory(m_dir.path());
        p->start("/bin/sh", {"-c", "exec 3<\"$1\"; exec tail -f \"$2\"", "sh", m_second, "first.pdf"});
        if (!p->waitForStarted())
            return nullptr;
        // Wait until the shell has become tail (argv[0] changes with exec).
        const QString cmdline = QStringLiteral("/proc/%1/cmdline").arg(p->processId());
        QTest::qWaitFor([&] {
            QFile f(cmdline);
            return f.open(QIODevice::ReadOnly) && f.readAll().startsWith("tail");
        }, 5000);
        return p;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_first = m_dir.filePath("first.pdf");
        m_second = m_dir.filePath("second.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(m_first, QSizeF(720, 360), {Qt::red, Qt::green, Qt::blue}));
        QVERIFY(PdfFixtures::writeColouredPages(m_second, QSizeF(720, 360), {Qt::yellow}));
    }

    void documentsOfTheViewerProcess()
    {
        auto viewer = startViewer();
        QVERIFY(viewer);
        QString title;
        ProcPdfViewerBridge bridge(DocApp::viewerRules(), QStringLiteral("/proc"), [&](quint32) { return title; });
        const DocApp& evince = *DocApp::find("org.gnome.Evince");
        const qint64 pid = viewer->processId();
        QCOMPARE(bridge.documents(evince, pid, 7), (QStringList{m_first, m_second}));
        // The picked window's title names the second document: it comes first.
        title = QStringLiteral("second.pdf — Dokumentenbetrachter");
        QCOMPARE(bridge.documents(evince, pid, 7), (QStringList{m_second, m_first}));
        QVERIFY(bridge.documents(evince, 999999999, 7).isEmpty());
        QVERIFY(!bridge.saveCopy(evince, 1, m_dir.filePath("copy.pdf")));
        viewer->kill();
        viewer->waitForFinished();
    }

    void viewerWindowIsCapturedPageByPage()
    {
        auto viewer = startViewer();
        QVERIFY(viewer);
        FakeRunningApplications apps;
        apps.apps[viewer->processId()] = {"org.gnome.Evince", "Dokumentenbetrachter"};
        FakeBrowserBridge browsers;
        ProcPdfViewerBridge viewers(DocApp::viewerRules(), QStringLiteral("/proc"), [](quint32) { return QString(); });
        FakeKeyWatch keys;
        ScrollCancel cancel(keys);
        BrowserCapture capture(apps, browsers, viewers, cancel);
        const Target target = capture.resolveTarget(PickedWindow{qint32(viewer->processId()), QRectF(0, 0, 800, 600), 7, {}});
        QCOMPARE(target.kind(), Target::Kind::pdf);
        QCOMPARE(target.pdf().file, QUrl::fromLocalFile(m_first));
        int pagesAsked = 0;
        capture.setStopRequested([&] { ++pagesAsked; return false; });
        const CaptureOutcome out = awaitCapture([&] { return capture.captureTarget(target); });
        QCOMPARE(out.error, QString());
        QCOMPARE(out.image->size(), QSize(1440, 3 * 720));
        QCOMPARE(pagesAsked, 3);
        QCOMPARE(out.image->pixelColor(700, 360 + 720), QColor(Qt::green));
        viewer->kill();
        viewer->waitForFinished();
    }

    void applicationOfAProcess()
    {
        const QString appsDir = m_dir.filePath("applications");
        QVERIFY(QDir().mkpath(appsDir + "/kde"));
        auto write = [](const QString& path, const QByteArray& text) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
        };
        QVERIFY(write(appsDir + "/kde/tailviewer.desktop",
                      "[Desktop Entry]\nType=Application\nName=Tail Viewer\nName[de]=Endbetrachter\n"
                      "Exec=tail %f\n[Desktop Action x]\nName=Other\n"));
        QVERIFY(write(appsDir + "/other.desktop", "[Desktop Entry]\nName=Other\nExec=/usr/bin/other\n"));
        auto viewer = startViewer();
        QVERIFY(viewer);
        // No window to read names from: the executable decides.
        X11RunningApplications lookup({appsDir});
        const std::optional<RunningApplications::App> app = lookup.application(viewer->processId(), 0);
        QVERIFY(app);
        QCOMPARE(app->id, QStringLiteral("kde-tailviewer"));
        QCOMPARE(app->name, QStringLiteral("Tail Viewer"));

        // Without a desktop entry the executable's name is the identity.
        X11RunningApplications bare({m_dir.filePath("none")});
        QCOMPARE(bare.application(viewer->processId(), 0)->id, QStringLiteral("tail"));
        QVERIFY(!bare.application(999999999, 0));
        QVERIFY(!bare.application(0, 0));
        viewer->kill();
        viewer->waitForFinished();
    }
};

ZENTU_TEST_MAIN(TestPdfViewerBridge)
#include "tst_pdfviewerbridge.moc"
