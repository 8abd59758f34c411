// Which target a picked window becomes and how each target is captured, with
// fake application, browser and viewer bridges.
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/ScrollCancel.h"
#include "fakes/FakeBrowserBridge.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakePdfViewerBridge.h"
#include "fakes/FakeRunningApplications.h"
#include "support/AwaitCapture.h"
#include "support/CaptureErrorOf.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTimer>

namespace {
const qint64 chromePid = 100, evincePid = 200, editorPid = 300, previewPid = 400;

PickedWindow picked(qint64 pid, QRectF bounds = QRectF(100, 50, 1200, 800))
{
    return PickedWindow{qint32(pid), bounds, 0x2a00007, std::nullopt};
}
}

class TestTargetResolution : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    FakeRunningApplications apps;
    FakeBrowserBridge browsers;
    FakePdfViewerBridge viewers;
    FakeKeyWatch keys;
    ScrollCancel cancel{keys};

private Q_SLOTS:
    void init()
    {
        apps.apps = {{chromePid, {"google-chrome", "Google Chrome"}},
                     {evincePid, {"org.gnome.Evince", "Dokumentenbetrachter"}},
                     {editorPid, {"org.gnome.TextEditor", "Texteditor"}},
                     {previewPid, {"com.apple.Preview", "Vorschau"}}};
        browsers = FakeBrowserBridge();
        viewers = FakePdfViewerBridge();
    }

    void matchingTakesClosestWithinTolerance()
    {
        using Row = DocumentWindow;
        const QRectF pick(100, 50, 1200, 800);
        // Equal distance: the earlier row wins.
        QList<Row> rows{{QRect(110, 50, 1200, 800), "first"}, {QRect(90, 50, 1200, 800), "second"}};
        QCOMPARE(BrowserCapture::closestRow(rows, pick), std::optional<qsizetype>(0));
        // A strictly closer later row replaces it.
        rows.append({QRect(100, 52, 1200, 800), "third"});
        QCOMPARE(BrowserCapture::closestRow(rows, pick), std::optional<qsizetype>(2));
        // Frame and client area differ by a title bar: still the same window.
        QCOMPARE(BrowserCapture::closestRow({{QRect(100, 80, 1200, 770), "client"}}, pick),
                 std::optional<qsizetype>(0));
        // The only listed window lies elsewhere: no match rather than the wrong tab.
        QCOMPARE(BrowserCapture::closestRow({{QRect(1400, 50, 1200, 800), "other"}}, pick), std::nullopt);
        QCOMPARE(BrowserCapture::closestRow({{QRect(100, 50, 300, 200), "small"}}, pick), std::nullopt);
        QCOMPARE(BrowserCapture::closestRow({}, pick), std::nullopt);
    }

    void browserWindowBecomesItsTab()
    {
        BrowserCapture capture(apps, browsers, viewers, cancel);
        browsers.list = {{QRect(2000, 0, 1000, 900), "https://far.example/"},
                         {QRect(100, 50, 1200, 800), "https://www.example.org/news/today.html"}};
        const Target t = capture.resolveTarget(picked(chromePid));
        QCOMPARE(t.kind(), Target::Kind::tab);
        QCOMPARE(t.tab(), (Tab{"www.example.org", QUrl("https://www.example.org/news/today.html")}));
        QCOMPARE(browsers.askedBrowser, QStringLiteral("com.google.Chrome"));
        QCOMPARE(apps.askedWindow, quint32(0x2a00007));
        QCOMPARE(browsers.askedPid, chromePid);

        // Titles: host, else the file name without extension, else the browser's name.
        browsers.list = {{QRect(100, 50, 1200, 800), "file:///home/u/Bericht.final.html"}};
        QCOMPARE(capture.resolveTarget(picked(chromePid)).tab().title, QStringLiteral("Bericht.final"));
        browsers.list = {{QRect(100, 50, 1200, 800), "file:///"}};
        QCOMPARE(capture.resolveTarget(picked(chromePid)).tab().title, QStringLiteral("Google Chrome"));
    }

    void browserThatCannotTellItsPageIsScrolled()
    {
        // No usable row (accessibility off lists nothing; an empty or broken
        // URL; only another window listed) or no answer at all: the window is
        // captured by scrolling, and the log says why.
        BrowserCapture capture(apps, browsers, viewers, cancel);
        const QRect frame(100, 50, 1200, 800);
        for (const QList<DocumentWindow>& list : QList<QList<DocumentWindow>>{
                 {}, {{frame, ""}}, {{frame, "http://exa mple.org/%%"}},
                 {{QRect(1400, 50, 1200, 800), "https://unrelated.example/"}}}) {
            browsers.list = list;
            const Target t = capture.resolveTarget(picked(chromePid));
            QCOMPARE(t.kind(), Target::Kind::window);
            QCOMPARE(t.windowName(), QStringLiteral("Google Chrome"));
            QCOMPARE(t.window(), picked(chromePid));
        }
        browsers.error = QStringLiteral("Browser antwortet nicht.");
        QCOMPARE(capture.resolveTarget(picked(chromePid)).kind(), Target::Kind::window);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral(
            "BROWSER Google Chrome: Google Chrome: kein Tab im gewählten Fenster. — Fenster wird gescrollt")));
        QVERIFY(log.contains(QStringLiteral("BROWSER Google Chrome: Browser antwortet nicht. — Fenster wird gescrollt")));
    }

    void sectionsAndOtherAppsAreScrolled()
    {
        BrowserCapture capture(apps, browsers, viewers, cancel);
        PickedWindow section = picked(chromePid);
        section.scrollRegion = QRectF(200, 300, 400, 400);
        const Target s = capture.resolveTarget(section);
        QCOMPARE(s.kind(), Target::Kind::window);
        QCOMPARE(s.windowName(), QStringLiteral("Google Chrome Abschnitt"));
        QCOMPARE(s.window(), section);
        QCOMPARE(browsers.askedPid, 0); // never asked for a tab

        apps.apps[editorPid].name.clear(); // an app without a name
        QCOMPARE(capture.resolveTarget(picked(editorPid)).windowName(), QStringLiteral("Fenster"));

        QCOMPARE(captureErrorOf([&] { capture.resolveTarget(picked(999)); }),
                 QStringLiteral("Fenster konnte keiner App zugeordnet werden."));
        apps.apps[999] = {"", "Namenlos"};
        QCOMPARE(captureErrorOf([&] { capture.resolveTarget(picked(999)); }),
                 QStringLiteral("Fenster konnte keiner App zugeordnet werden."));
    }

    void viewerWindowBecomesItsDocument()
    {
        BrowserCapture capture(apps, browsers, viewers, cancel);
        viewers.docs = {"/data/notes.txt", "/data/Plan.PDF", "/data/other.pdf"};
        const Target t = capture.resolveTarget(picked(evincePid));
        QCOMPARE(t.kind(), Target::Kind::pdf);
        QCOMPARE(t.pdf(), (Doc{QUrl::fromLocalFile("/data/Plan.PDF"), std::nullopt}));

        // A document is a PDF by its content, whatever it is called.
        const QString renamed = m_dir.filePath("Bericht.dat");
        QVERIFY(PdfFixtures::writeColouredPages(renamed, QSizeF(720, 360), {Qt::red}));
        const QString fake = m_dir.filePath("fake.pdf");
        QVERIFY(plantFile(fake, "not a document"));
        viewers.docs = {fake, renamed};
        QCOMPARE(capture.resolveTarget(picked(evincePid)).pdf().file, QUrl::fromLocalFile(renamed));

        // No PDF to be found, or no answer: the window is scrolled instead.
        viewers.docs = {"/data/picture.png"};
        QCOMPARE(capture.resolveTarget(picked(evincePid)).kind(), Target::Kind::window);
        viewers.documentsError = QStringLiteral("Betrachter antwortet nicht.");
        const Target scrolled = capture.resolveTarget(picked(evincePid));
        QCOMPARE(scrolled.kind(), Target::Kind::window);
        QCOMPARE(scrolled.windowName(), QStringLiteral("Dokumentenbetrachter"));
        QVERIFY(debugLogMessages().contains(
            QStringLiteral("BROWSER Evince: Evince: kein PDF im gewählten Fenster. — Fenster wird gescrollt")));
    }

    void systemViewerNumbersDocumentsBeforeFiltering()
    {
        BrowserCapture capture(apps, browsers, viewers, cancel);
        viewers.docs = {"/d/a.pdf", "/d/b.png", "/d/c.pdf"};
        const QList<Doc> docs = capture.openPDFs(DocApp::table().first(), previewPid, 0);
        QCOMPARE(docs, (QList<Doc>{{QUrl::fromLocalFile("/d/a.pdf"), 1}, {QUrl::fromLocalFile("/d/c.pdf"), 3}}));

        viewers.list = {{QRect(0, 0, 500, 500), "/d/b.png"}, {QRect(100, 50, 1200, 800), "/d/c.pdf"}};
        QCOMPARE(capture.resolveTarget(picked(previewPid)).pdf(), (Doc{QUrl::fromLocalFile("/d/c.pdf"), 3}));
        // The index lookup failing only costs the index.
        viewers.documentsError = QStringLiteral("x");
        QCOMPARE(capture.resolveTarget(picked(previewPid)).pdf(), (Doc{QUrl::fromLocalFile("/d/c.pdf"), std::nullopt}));
        viewers.list = {{QRect(100, 50, 1200, 800), "/d/b.png"}};
        QCOMPARE(capture.resolveTarget(picked(previewPid)).kind(), Target::Kind::window);
    }

    void tabShowingLocalPdfIsRenderedAsDocument()
    {
        const QString file = m_dir.filePath("Folien.PDF");
        QVERIFY(PdfFixtures::writeColouredPages(file, QSizeF(720, 360), {Qt::red, Qt::green}));
        BrowserCapture capture(apps, browsers, viewers, cancel);
        bool pageCaptured = false;
        capture.setPageCapture([&](QUrl) -> QCoro::Task<std::optional<QImage>> {
            pageCaptured = true;
            co_return std::nullopt;
        });
        const Target t = Target::tab(Tab{"Folien", QUrl::fromLocalFile(file)});
        const CaptureOutcome out = awaitCapture([&] { return capture.captureTarget(t); });
        QVERIFY(out.image);
        QCOMPARE(out.image->size(), QSize(1440, 1440));
        QVERIFY(!pageCaptured);

        // Any other page goes to the page capture.
        QUrl asked;
        capture.setPageCapture([&](QUrl url) -> QCoro::Task<std::optional<QImage>> {
            asked = url;
            co_return QImage(1440, 900, QImage::Format_ARGB32_Premultiplied);
        });
        const Target web = Target::tab(Tab{"example.org", QUrl("https://example.org/")});
        QCOMPARE(awaitCapture([&] { return capture.captureTarget(web); }).image->size(), QSize(1440, 900));
        QCOMPARE(asked, QUrl("https://example.org/"));
    }

    void documentsRenderFromLiveCopyOrFile()
    {
        const QString onDisk = m_dir.filePath("disk.pdf");
        const QString shown = m_dir.filePath("shown.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(onDisk, QSizeF(720, 360), {Qt::red}));
        QVERIFY(PdfFixtures::writeColouredPages(shown, QSizeF(720, 360), {Qt::red, Qt::blue}));
        BrowserCapture capture(apps, browsers, viewers, cancel);
        const Target withIndex = Target::pdf(Doc{QUrl::fromLocalFile(onDisk), 2});
        auto render = [&](const Target& t) { return awaitCapture([&] { return capture.captureTarget(t); }); };

        // The system viewer's live copy (two pages) is rendered, then removed.
        viewers.copySource = shown;
        QCOMPARE(render(withIndex).image->size(), QSize(1440, 1440));
        QCOMPARE(viewers.savedIndex, 2);
        QCOMPARE(QFileInfo(viewers.savedPath).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        QVERIFY(!QFile::exists(viewers.savedPath));
        // A copy that is no PDF fails without falling back, and is removed too.
        const QString junk = m_dir.filePath("junk.pdf");
        QVERIFY(plantFile(junk, "junk"));
        viewers.copySource = junk;
        QCOMPARE(render(withIndex).error, QStringLiteral("PDF konnte nicht gelesen werden."));
        QVERIFY(!QFile::exists(viewers.savedPath));
        // No copy possible (every Linux viewer): the file on disk.
        viewers.copySource.clear();
        QCOMPARE(render(withIndex).image->size(), QSize(1440, 720));
        const Target missing = Target::pdf(Doc{QUrl::fromLocalFile(m_dir.filePath("gone.pdf")), std::nullopt});
        QCOMPARE(render(missing).error, QStringLiteral("PDF konnte nicht gelesen werden."));
    }

    void windowsGoToTheScrollLoop()
    {
        BrowserCapture capture(apps, browsers, viewers, cancel);
        PickedWindow seen;
        QString seenName;
        capture.setWindowScroll([&](PickedWindow w, QString name) -> QCoro::Task<BrowserCapture::Result> {
            seen = w;
            seenName = name;
            co_return CapturedScreenshot{QImage(10, 20, QImage::Format_ARGB32_Premultiplied), CaptureKind::scrolling, true};
        });
        const Target w = Target::window(picked(editorPid), "Texteditor");
        const CaptureOutcome scrolled = awaitCapture([&] { return capture.captureTarget(w); });
        QCOMPARE(scrolled.image->size(), QSize(10, 20));
        QVERIFY(scrolled.incomplete); // the loop's verdict reaches the caller
        QCOMPARE(seen, picked(editorPid));
        QCOMPARE(seenName, QStringLiteral("Texteditor"));
    }

    void escapeStopsDocumentCapture()
    {
        auto keys = std::make_shared<FakeKeyWatch>();
        ScrollCancel escape(*keys);
        const QString file = m_dir.filePath("esc.pdf");
        QVERIFY(PdfFixtures::writeColouredPages(file, QSizeF(720, 360), {Qt::red, Qt::green}));
        BrowserCapture capture(apps, browsers, viewers, escape);
        const Target doc = Target::pdf(Doc{QUrl::fromLocalFile(file), std::nullopt});

        // Escape pressed elsewhere on the desktop while the pages render.
        QTimer::singleShot(0, this, [keys] { keys->pressEscape(); });
        CaptureOutcome out = awaitCapture([&] { return capture.captureTarget(doc); });
        QVERIFY(!out.failed());
        QVERIFY(!out.image);
        QCOMPARE(keys->starts, 1);
        QVERIFY(!keys->watching()); // the watch ends with the capture

        // Without Escape the same document renders whole.
        out = awaitCapture([&] { return capture.captureTarget(doc); });
        QCOMPARE(out.image->size(), QSize(1440, 1440));
    }
};

ZENTU_TEST_MAIN(TestTargetResolution)
#include "tst_targetresolution.moc"
