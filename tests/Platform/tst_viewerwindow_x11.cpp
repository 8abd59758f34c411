// The Linux PDF viewer bridge and application lookup on real processes and a
// real X server: a viewer-like process names one PDF on its command line and
// holds another open; a viewer window is identified from its class (WM_CLASS
// matched to a desktop entry), the document it shows is told from its title
// among the PDFs its process holds open, and that document is captured page
// by page.
#include "Platform/X11/AtspiBrowserBridge.h"
#include "Platform/X11/ProcPdfViewerBridge.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/DocApp.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollProgress.h"
#include "fakes/FakeKeyWatch.h"
#include "support/AwaitCapture.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QWidget>

class TestViewerWindowX11 : public QObject {
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
        (void)QTest::qWaitFor([&] {
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
        QVERIFY(PdfFixtures::writeColouredPages(m_first, QSizeF(720, 360), {Qt::red}));
        QVERIFY(PdfFixtures::writeColouredPages(m_second, QSizeF(720, 360), {Qt::green, Qt::blue}));
    }

    void documentsAndApplicationOfTheViewerProcess()
    {
        auto viewer = startViewer();
        QVERIFY(viewer);
        QString title;
        ProcPdfViewerBridge bridge(DocApp::viewerRules(), QStringLiteral("/proc"), [&](quint32) { return title; });
        const QString evince = DocApp::find("org.gnome.Evince")->bundleID;
        const qint64 pid = viewer->processId();
        QCOMPARE(bridge.documents(evince, pid, 7), (QStringList{m_first, m_second}));
        // The picked window's title names the second document: it comes first.
        title = QStringLiteral("second.pdf — Dokumentenbetrachter");
        QCOMPARE(bridge.documents(evince, pid, 7), (QStringList{m_second, m_first}));
        QVERIFY(bridge.documents(evince, 999999999, 7).isEmpty());

        const QString appsDir = m_dir.filePath("applications");
        QVERIFY(QDir().mkpath(appsDir + "/kde"));
        QVERIFY(plantFile(appsDir + "/kde/tailviewer.desktop",
                          "[Desktop Entry]\nType=Application\nName=Tail Viewer\nName[de]=Endbetrachter\n"
                          "Exec=tail %f\n[Desktop Action x]\nName=Other\n"));
        QVERIFY(plantFile(appsDir + "/other.desktop", "[Desktop Entry]\nName=Other\nExec=/usr/bin/other\n"));
        // No window to read names from: the executable decides.
        X11ApplicationIdentity lookup({appsDir});
        const std::optional<ApplicationIdentity::App> app = lookup.applicationOfProcess(pid);
        QVERIFY(app);
        QCOMPARE(app->id, QStringLiteral("kde-tailviewer"));
        QCOMPARE(app->name, QStringLiteral("Tail Viewer"));

        // Without a desktop entry the executable's name is the identity.
        X11ApplicationIdentity bare({m_dir.filePath("none")});
        QCOMPARE(bare.applicationOfProcess(pid)->id, QStringLiteral("tail"));
        QVERIFY(!bare.applicationOfProcess(999999999));
        QVERIFY(!bare.applicationOfProcess(0));
        viewer->kill();
        viewer->waitForFinished();
    }

    void viewerWindowIsFoundAndCaptured()
    {
        // The "viewer" (this process) holds both documents open.
        QFile a(m_first), b(m_second);
        QVERIFY(a.open(QIODevice::ReadOnly));
        QVERIFY(b.open(QIODevice::ReadOnly));

        QWidget window;
        window.setWindowTitle(QStringLiteral("second.pdf – Dokumentenbetrachter"));
        window.setGeometry(100, 100, 640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const quint32 id = quint32(window.winId());

        // A desktop entry that claims this window class for the viewer.
        // WM_CLASS holds "instance\0Class\0".
        const QByteArray wmClass = X11Probe().property(id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0').value(1);
        QVERIFY(!wmClass.isEmpty());
        const QString apps = m_dir.filePath("windowapps");
        QVERIFY(QDir().mkpath(apps));
        const QString entry = apps + "/org.gnome.Evince.desktop";
        QVERIFY(plantFile(entry, "[Desktop Entry]\nType=Application\nName=Dokumentenbetrachter\nExec=evince %U\n"
                                 "StartupWMClass=" + wmClass + "\n"));

        X11ApplicationIdentity running({apps});
        AtspiBrowserBridge browsers;
        ProcPdfViewerBridge viewers(DocApp::viewerRules());
        FakeKeyWatch keys;
        ScrollCancel cancel(keys);
        ScrollProgress progress;
        BrowserCapture capture(running, browsers, viewers, cancel, progress);
        const PickedWindow picked{qint32(QCoreApplication::applicationPid()), QRectF(100, 100, 640, 480), id, {}};
        const Target target = capture.resolveTarget(picked);
        QCOMPARE(target.kind(), Target::Kind::pdf);
        QCOMPARE(target.pdf().file, QUrl::fromLocalFile(QFileInfo(m_second).canonicalFilePath()));

        int pages = 0;
        capture.setStopRequested([&] { ++pages; return false; });
        const CaptureOutcome out = awaitCapture([&] { return capture.captureTarget(target); });
        QCOMPARE(out.error, QString());
        QCOMPARE(out.image->size(), QSize(1440, 1440));
        QCOMPARE(pages, 2);
        QCOMPARE(out.image->pixelColor(700, 300), QColor(Qt::green));
        QCOMPARE(out.image->pixelColor(700, 1000), QColor(Qt::blue));

        // A window of an application in neither table is scrolled under its name.
        QVERIFY(QFile::remove(entry));
        const Target plain = BrowserCapture(running, browsers, viewers, cancel, progress).resolveTarget(picked);
        QCOMPARE(plain.kind(), Target::Kind::window);
        QCOMPARE(plain.windowName(), QString::fromUtf8(wmClass));
    }
};

ZENTU_TEST_MAIN(TestViewerWindowX11)
#include "tst_viewerwindow_x11.moc"
