// A PDF viewer window on a real X server: its application is identified from
// the window (WM_CLASS matched to a desktop entry), the document it shows is
// told from its title among the PDFs its process holds open, and that
// document is captured page by page.
#include "Platform/X11/AtspiBrowserBridge.h"
#include "Platform/X11/ProcPdfViewerBridge.h"
#include "Platform/X11/X11RunningApplications.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/DocApp.h"
#include "Screenshot/ScrollCancel.h"
#include "fakes/FakeKeyWatch.h"
#include "support/AwaitCapture.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QWidget>

namespace {
QString wmClassOf(WId window)
{
    // WM_CLASS(STRING) = "instance", "Class"
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window), "WM_CLASS"});
    if (!xprop.waitForFinished(5000))
        return QString();
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput());
    const QStringList quoted = out.split(QLatin1Char('"'));
    return quoted.size() >= 4 ? quoted[3] : QString();
}
}

class TestViewerWindowX11 : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void viewerWindowIsFoundAndCaptured()
    {
        const QString first = m_dir.filePath("erstes.pdf");
        const QString second = m_dir.filePath("zweites.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(first, QSizeF(720, 360), {Qt::red}));
        QVERIFY(PdfFixtures::writeColouredPages(second, QSizeF(720, 360), {Qt::green, Qt::blue}));
        // The "viewer" (this process) holds both documents open.
        QFile a(first), b(second);
        QVERIFY(a.open(QIODevice::ReadOnly));
        QVERIFY(b.open(QIODevice::ReadOnly));

        QWidget window;
        window.setWindowTitle(QStringLiteral("zweites.pdf – Dokumentenbetrachter"));
        window.setGeometry(100, 100, 640, 480);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const quint32 id = quint32(window.winId());
        QCOMPARE(ProcPdfViewerBridge::x11WindowTitle(id), window.windowTitle());

        // A desktop entry that claims this window class for the viewer.
        const QString wmClass = wmClassOf(window.winId());
        QVERIFY(!wmClass.isEmpty());
        const QString apps = m_dir.filePath("applications");
        QVERIFY(QDir().mkpath(apps));
        QFile entry(apps + "/org.gnome.Evince.desktop");
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Dokumentenbetrachter\nExec=evince %U\nStartupWMClass="
                    + wmClass.toUtf8() + "\n");
        entry.close();

        X11RunningApplications running({apps});
        const std::optional<RunningApplications::App> app = running.application(QCoreApplication::applicationPid(), id);
        QVERIFY(app);
        QCOMPARE(app->id, QStringLiteral("org.gnome.Evince"));
        QCOMPARE(app->name, QStringLiteral("Dokumentenbetrachter"));

        AtspiBrowserBridge browsers;
        ProcPdfViewerBridge viewers(DocApp::viewerRules());
        FakeKeyWatch keys;
        ScrollCancel cancel(keys);
        BrowserCapture capture(running, browsers, viewers, cancel);
        const PickedWindow picked{qint32(QCoreApplication::applicationPid()), QRectF(100, 100, 640, 480), id, {}};
        const Target target = capture.resolveTarget(picked);
        QCOMPARE(target.kind(), Target::Kind::pdf);
        QCOMPARE(target.pdf().file, QUrl::fromLocalFile(QFileInfo(second).canonicalFilePath()));

        int pages = 0;
        capture.setStopRequested([&] { ++pages; return false; });
        const CaptureOutcome out = awaitCapture([&] { return capture.captureTarget(target); });
        QCOMPARE(out.error, QString());
        QCOMPARE(out.image->size(), QSize(1440, 1440));
        QCOMPARE(pages, 2);
        QCOMPARE(out.image->pixelColor(700, 300), QColor(Qt::green));
        QCOMPARE(out.image->pixelColor(700, 1000), QColor(Qt::blue));

        // A window of an application in neither table is scrolled under its name.
        QVERIFY(entry.remove());
        const Target plain = BrowserCapture(running, browsers, viewers, cancel).resolveTarget(picked);
        QCOMPARE(plain.kind(), Target::Kind::window);
        QCOMPARE(plain.windowName(), wmClass);
    }
};

ZENTU_TEST_MAIN(TestViewerWindowX11)
#include "tst_viewerwindow_x11.moc"
