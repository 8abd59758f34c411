// Which target a picked window becomes and how each target is captured, with
// fake application, browser and viewer bridges.
#include "Localization/Localizer.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollProgress.h"
#include "Debug/DebugLog.h"
#include "fakes/FakeBrowserBridge.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakePdfViewerBridge.h"
#include "fakes/FakeApplicationIdentity.h"
#include "support/AwaitCapture.h"
#include "support/CaptureErrorOf.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/PdfFixtures.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
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
    FakeApplicationIdentity apps;
    FakeBrowserBridge browsers;
    FakePdfViewerBridge viewers;
    FakeKeyWatch keys;
    ScrollCancel cancel{keys};
    ScrollProgress progress;
    std::optional<BrowserCapture> capture;
    Target resolve(qint64 pid) { return capture->resolveTarget(picked(pid)); }
    CaptureOutcome render(const Target& t) { return awaitCapture([&] { return capture->captureTarget(t); }); }
    QString pdfFile(const QString& name, const QList<QColor>& pages)
    {
        const QString file = m_dir.filePath(name);
        return PdfFixtures::writeColouredPages(file, QSizeF(720, 360), pages) ? file : QString();
    }

private Q_SLOTS:
    void init()
    {
        apps.apps = {{chromePid, {"google-chrome", "Google Chrome"}},
                     {evincePid, {"org.gnome.Evince", "Dokumentenbetrachter"}},
                     {editorPid, {"org.gnome.TextEditor", "Texteditor"}},
                     {previewPid, {"com.apple.Preview", "Vorschau"}}};
        browsers = FakeBrowserBridge();
        viewers = FakePdfViewerBridge();
        capture.emplace(apps, browsers, viewers, cancel, progress);
        DebugLog::restart();
    }

    void matchingTakesClosestWithinTolerance()
    {
        auto closest = [](const QList<DocumentWindow>& rows) {
            return BrowserCapture::closestRow(rows, QRectF(100, 50, 1200, 800)).value_or(-1);
        };
        // Equal distance: the earlier row wins; a strictly closer later row replaces it.
        QList<DocumentWindow> rows{{QRect(110, 50, 1200, 800), "first"}, {QRect(90, 50, 1200, 800), "second"}};
        QCOMPARE(closest(rows), 0);
        rows.append({QRect(100, 52, 1200, 800), "third"});
        QCOMPARE(closest(rows), 2);
        // Frame and client area differ by a title bar: still the same window.
        QCOMPARE(closest({{QRect(100, 80, 1200, 770), "client"}}), 0);
        // A much smaller window: no match rather than the wrong tab.
        QCOMPARE(closest({{QRect(100, 50, 300, 200), "small"}}), -1);
    }

    void browserWindowBecomesItsTab()
    {
        browsers.list = {{QRect(2000, 0, 1000, 900), "https://far.example/"},
                         {QRect(100, 50, 1200, 800), "https://www.example.org/news/today.html"}};
        const Target t = resolve(chromePid);
        QCOMPARE(t.kind(), Target::Kind::tab);
        QCOMPARE(t.tab(), (Tab{"www.example.org", QUrl("https://www.example.org/news/today.html")}));
        QCOMPARE(browsers.askedBrowser, QStringLiteral("com.google.Chrome"));
        QCOMPARE(apps.askedWindow, quint32(0x2a00007));
        QCOMPARE(browsers.askedPid, chromePid);
        // Titles: host, else the file name without extension, else the browser's name.
        browsers.list = {{QRect(100, 50, 1200, 800), "file:///home/u/Bericht.final.html"}};
        QCOMPARE(resolve(chromePid).tab().title, QStringLiteral("Bericht.final"));
        browsers.list = {{QRect(100, 50, 1200, 800), "file:///"}};
        QCOMPARE(resolve(chromePid).tab().title, QStringLiteral("Google Chrome"));
    }

    void browserThatCannotTellItsPageIsScrolled()
    {
        // (An English session: the log stays German.)
        const Localizer::Scope english(std::make_shared<Localizer>([] { return QStringList{QStringLiteral("en")}; }));
        // No usable row (nothing listed, an empty or broken URL, only another
        // window) or no answer at all: the window is captured by scrolling.
        const QRect frame(100, 50, 1200, 800);
        for (const QList<DocumentWindow>& list : QList<QList<DocumentWindow>>{
                 {}, {{frame, ""}}, {{frame, "http://exa mple.org/%%"}},
                 {{QRect(1400, 50, 1200, 800), "https://unrelated.example/"}}}) {
            browsers.list = list;
            const Target t = resolve(chromePid);
            QCOMPARE(t.kind(), Target::Kind::window);
            QCOMPARE(t.windowName(), QStringLiteral("Google Chrome"));
            QCOMPARE(t.window(), picked(chromePid));
        }
        browsers.error = QStringLiteral("Browser antwortet nicht.");
        QCOMPARE(resolve(chromePid).kind(), Target::Kind::window);
        // The log names the browser once, in German whatever the language.
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(
            QStringLiteral("BROWSER Google Chrome: kein Tab im gewählten Fenster. — Fenster wird gescrollt")));
        QVERIFY(log.contains(QStringLiteral("BROWSER Google Chrome: Browser antwortet nicht. — Fenster wird gescrollt")));
        // The user's text is translated.
        browsers.error.reset();
        QCOMPARE(captureErrorOf([&] { capture->matchTab(*Browser::find("chromium"), chromePid, QRectF()); }),
                 QStringLiteral("Chromium: no tab in the chosen window."));
    }

    void sectionsAndOtherAppsAreScrolled()
    {
        PickedWindow section = picked(chromePid);
        section.scrollRegion = QRectF(200, 300, 400, 400);
        const Target s = capture->resolveTarget(section);
        QCOMPARE(s.kind(), Target::Kind::window);
        QCOMPARE(s.windowName(), QStringLiteral("Google Chrome Abschnitt"));
        QCOMPARE(s.window(), section);
        QCOMPARE(browsers.askedPid, 0); // never asked for a tab
        // A section reaching past its window's edges is scrolled inside the
        // window only: beyond it the grabs would show the screen, our cover on it.
        section.scrollRegion = QRectF(1000, 600, 500, 400);
        QCOMPARE(capture->resolveTarget(section).window().scrollRegion, QRectF(1000, 600, 300, 250));
        QVERIFY(debugLogMessages().contains(QStringLiteral("SCROLL Abschnitt auf das Fenster beschnitten: 300x250 @ 1000,600")));

        apps.apps[editorPid].name.clear(); // an app without a name
        QCOMPARE(resolve(editorPid).windowName(), QStringLiteral("Fenster"));
        // An unknown process, or one without an identity.
        const QString unmatched = QStringLiteral("Fenster konnte keiner App zugeordnet werden.");
        QCOMPARE(captureErrorOf([&] { resolve(999); }), unmatched);
        apps.apps[999] = {"", "Namenlos"};
        QCOMPARE(captureErrorOf([&] { resolve(999); }), unmatched);
    }

    void viewerWindowBecomesItsDocument()
    {
        viewers.docs = {"/data/notes.txt", "/data/Plan.PDF", "/data/other.pdf"};
        QCOMPARE(resolve(evincePid).pdf(), (Doc{QUrl::fromLocalFile("/data/Plan.PDF"), std::nullopt}));
        // A document is a PDF by its content, whatever it is called.
        const QString renamed = pdfFile("Bericht.dat", {Qt::red}), fake = m_dir.filePath("fake.pdf");
        QVERIFY(plantFile(fake, "not a document"));
        viewers.docs = {fake, renamed};
        QCOMPARE(resolve(evincePid).pdf().file, QUrl::fromLocalFile(renamed));
        // No PDF to be found, or no answer: the window is scrolled instead.
        viewers.docs = {"/data/picture.png"};
        QCOMPARE(resolve(evincePid).kind(), Target::Kind::window);
        viewers.documentsError = QStringLiteral("Betrachter antwortet nicht.");
        const Target scrolled = resolve(evincePid);
        QCOMPARE(scrolled.kind(), Target::Kind::window);
        QCOMPARE(scrolled.windowName(), QStringLiteral("Dokumentenbetrachter"));
    }

    void systemViewerNumbersDocumentsBeforeFiltering()
    {
        const QUrl a = QUrl::fromLocalFile("/d/a.pdf"), c = QUrl::fromLocalFile("/d/c.pdf");
        viewers.docs = {"/d/a.pdf", "/d/b.png", "/d/c.pdf"};
        QCOMPARE(capture->openPDFs(DocApp::table().first(), previewPid, 0), (QList<Doc>{{a, 1}, {c, 3}}));
        viewers.list = {{QRect(0, 0, 500, 500), "/d/b.png"}, {QRect(100, 50, 1200, 800), "/d/c.pdf"}};
        QCOMPARE(resolve(previewPid).pdf(), (Doc{c, 3}));
        // The index lookup failing only costs the index.
        viewers.documentsError = QStringLiteral("x");
        QCOMPARE(resolve(previewPid).pdf(), (Doc{c, std::nullopt}));
        viewers.list = {{QRect(100, 50, 1200, 800), "/d/b.png"}};
        QCOMPARE(resolve(previewPid).kind(), Target::Kind::window);
    }

    void tabShowingLocalPdfIsRenderedAsDocument()
    {
        const QString file = pdfFile("Folien.PDF", {Qt::red, Qt::green});
        QList<QUrl> asked;
        capture->setPageCapture([&](QUrl url) -> QCoro::Task<BrowserCapture::Result> {
            asked.append(url);
            co_return CapturedScreenshot::make(QImage(1440, 900, QImage::Format_ARGB32_Premultiplied),
                                               CaptureKind::scrolling);
        });
        QCOMPARE(render(Target::tab(Tab{"Folien", QUrl::fromLocalFile(file)})).image->size(), QSize(1440, 1440));
        QVERIFY(asked.isEmpty());
        // Any other page goes to the page capture.
        QCOMPARE(render(Target::tab(Tab{"example.org", QUrl("https://example.org/")})).image->size(), QSize(1440, 900));
        QCOMPARE(asked, QList<QUrl>{QUrl("https://example.org/")});
    }

    void documentsRenderFromLiveCopyOrFile()
    {
        const Target withIndex = Target::pdf(Doc{QUrl::fromLocalFile(pdfFile("disk.pdf", {Qt::red})), 2});
        // The system viewer's live copy (two pages) is rendered, then removed.
        viewers.copySource = pdfFile("shown.pdf", {Qt::red, Qt::blue});
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
        PickedWindow seen;
        QString seenName;
        capture->setWindowScroll([&](PickedWindow w, QString name) -> QCoro::Task<BrowserCapture::Result> {
            seen = w;
            seenName = name;
            co_return CapturedScreenshot{QImage(10, 20, QImage::Format_ARGB32_Premultiplied), CaptureKind::scrolling, true};
        });
        const CaptureOutcome scrolled = render(Target::window(picked(editorPid), "Texteditor"));
        QCOMPARE(scrolled.image->size(), QSize(10, 20));
        QVERIFY(scrolled.incomplete); // the loop's verdict reaches the caller
        QCOMPARE(seen, picked(editorPid));
        QCOMPARE(seenName, QStringLiteral("Texteditor"));
    }

    void escapeStopsDocumentCapture()
    {
        const Target doc = Target::pdf(Doc{QUrl::fromLocalFile(pdfFile("esc.pdf", {Qt::red, Qt::green})), std::nullopt});
        // Escape pressed elsewhere on the desktop while the pages render.
        QTimer::singleShot(0, this, [this] { keys.pressEscape(); });
        const CaptureOutcome out = render(doc);
        QVERIFY(!out.failed() && !out.image);
        QVERIFY(!keys.watching()); // the watch ends with the capture
        // Without Escape the same document renders whole, and the panel
        // counts its pages as they are drawn.
        progress.setStrips(0); // as the panel does when it shows
        QSignalSpy counted(&progress, &ScrollProgress::stripsChanged);
        QCOMPARE(render(doc).image->size(), QSize(1440, 1440));
        QCOMPARE(counted, (QList<QVariantList>{{1}, {2}}));
        QCOMPARE(progress.heightPx(), 1440);
    }
};

ZENTU_TEST_MAIN(TestTargetResolution)
#include "tst_targetresolution.moc"
