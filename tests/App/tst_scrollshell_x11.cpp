// The scrolling capture through the program's shell on a real X server with
// openbox and no compositing manager:
// - a pinned picture over the target steps aside with the program's other
//   windows, shows in no frame, and comes back where it was, above the target,
//   put on every workspace again;
// - the picker's still shows what lay beneath a pinned picture and an editor
//   that stepped aside, once that has painted itself again;
// - a section dragged past its window's edges is captured inside the window
//   only: every row of the result is a row of the list, none shows our cover
//   or its card;
// - a page taller than the whole-page road's height limit is cut there and
//   announced as incomplete (toast and log), never as copied, while the
//   progress panel counts the bands as the helper renders them.
#include "App/AppCoordinator.h"
#include "App/PinnedImages.h"
#include "Pinned/PinnedImageWindowController.h"
#include "Toasts/ToastModel.h"
#include "Toasts/ToastPresenter.h"
#include "Platform/SettingsKeys.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "Screenshot/WindowPicker.h"
#include "Debug/DebugLog.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "fakes/FakeBrowserBridge.h"
#include "fakes/FakeAppPlatform.h"
#include "fakes/FakeWindowContents.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakePdfViewerBridge.h"
#include "fakes/FakeApplicationIdentity.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11RepaintWatch.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/DebugLogMessages.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollEngineRig.h"
#include "support/ScreenDriver.h"
#include "support/ScrollListProcess.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

namespace {

constexpr qint64 browserPid = 4242;
const QRect browserFrame(100, 100, 1200, 800);

// The whole-page road as the program runs it (the page-capture helper
// renders the page), on a window that fake bridges name a browser's tab.
class PageRoad final : public ScrollTargetRoad {
public:
    PageRoad(ScrollProgress& progress, const QUrl& page)
        : m_capture(m_apps, m_browsers, m_viewers, m_cancel, progress)
    {
        m_apps.apps = {{browserPid, {QStringLiteral("chromium"), QStringLiteral("Chromium")}}};
        m_browsers.list = {{browserFrame, page.toString()}};
    }
    Target resolveTarget(const PickedWindow& picked) override { return m_capture.resolveTarget(picked); }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target target) override
    {
        return m_capture.captureTarget(std::move(target));
    }

private:
    FakeApplicationIdentity m_apps;
    FakeBrowserBridge m_browsers;
    FakePdfViewerBridge m_viewers;
    FakeKeyWatch m_keys;
    ScrollCancel m_cancel{m_keys};
    BrowserCapture m_capture;
};

bool pickerShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<PickerView*>(w) && w->isVisible())
            return true;
    return false;
}

} // namespace

class TestScrollShellX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe x;
    QTemporaryDir dir;

    // The list's bounds once the window server lists it, and once it has painted.
    QRectF shownList(const ScrollListProcess& list)
    {
        QRectF bounds;
        (void)QTest::qWaitFor([&] {
            for (const WindowInfo& w : rig->windows().windowList().value_or(QList<WindowInfo>()))
                if (w.number == list.id && w.bounds.size() == list.layout.rect.size())
                    bounds = w.bounds;
            return !bounds.isEmpty();
        }, 15000);
        const QRectF band(bounds.topLeft(), QSizeF(list.layout.rect.width(), list.layout.header));
        (void)QTest::qWaitFor([&] {
            const QImage grab = rig->engine().grabber().image(band, 1).convertToFormat(QImage::Format_RGB32);
            return grab == ScrollPattern::band(list.layout.rect.width(), list.layout.header, 1);
        }, 15000);
        return bounds;
    }

    // A coordinator over fakes whose scrolling capture runs this picker and
    // road, without the intro card.
    static void prepare(FakeAppPlatform& services, ScrollCapture::Picker picker,
                        std::shared_ptr<ScrollTargetRoad> road)
    {
        services.defaults.setValue(QString::fromLatin1(SettingsKeys::hideScrollIntro), true);
        services.scrollPicker = std::move(picker);
        services.scrollRoad = std::move(road);
    }

    static std::optional<ScreenshotItem> stored(AppCoordinator& coordinator, int timeoutMs)
    {
        if (!QTest::qWaitFor([&] { return !coordinator.environment().screenshotStore->items().isEmpty(); }, timeoutMs))
            return std::nullopt;
        return coordinator.environment().screenshotStore->items().first();
    }

private Q_SLOTS:
    void initTestCase()
    {
        rig = std::make_unique<ScrollEngineRig>();
        QVERIFY(rig->input().isAvailable());
    }

    void init()
    {
        // Each case reads its own capture from a history of its own.
        QDir(testFolders().baseDirectory()).removeRecursively();
        DebugLog::restart();
    }

    void pinnedPictureStepsAsideAndComesBack()
    {
        ScrollListProcess list({QRect(700, 200, 420, 600), 2600, 48, 44, 900});
        QVERIFY(list.id);
        const QRectF bounds = shownList(list);
        QVERIFY(!bounds.isEmpty());

        FakeAppPlatform services;
        prepare(services, rig->engine().picker(), rig->engine().road());
        AppCoordinator coordinator(services.platform(), services);
        QImage picture(600, 400, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 255));
        coordinator.editorServices().pinned.pin(picture);
        PinnedImageWindowController* pinned = coordinator.editorServices().pinned.windows().front();
        const auto pinId = xcb_window_t(pinned->winId());
        QTRY_VERIFY_WITH_TIMEOUT(x.viewable(pinId), 15000);
        const QRect pinnedAt = x.rootGeometry(pinId);
        QVERIFY2(pinnedAt.intersects(bounds.toRect()), "the pinned picture lies over the list");
        QCOMPARE(services.desktops.shown.count(pinId), 1);

        coordinator.captureScrollingWindow();
        QVERIFY(QTest::qWaitFor(pickerShown, 15000));
        QTest::qWait(200); // mapped above everything
        QVERIFY(!pinned->isVisible()); // aside before the picker shows
        x.click(bounds.toRect().topLeft() + QPoint(40, 100));

        const std::optional<ScreenshotItem> item = stored(coordinator, 200000);
        QVERIFY(item);
        const QImage result = coordinator.environment().screenshotStore->image(*item);
        const QImage expected = list.fullRendering();
        QCOMPARE(result.size(), expected.size());
        const int differ = ScrollListProcess::differingRows(result, expected);
        QVERIFY2(differ <= expected.height() / 200, qPrintable(QStringLiteral("%1 rows differ").arg(differ)));

        // Back where it was, above the list, on every workspace again.
        QTRY_VERIFY_WITH_TIMEOUT(pinned->isVisible() && x.viewable(pinId), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(x.rootGeometry(pinId), pinnedAt, 15000);
        QCOMPARE(services.desktops.shown.count(pinId), 2);
        const QList<WindowInfo> front = rig->windows().windowList().value_or(QList<WindowInfo>());
        qsizetype pinIndex = -1, listIndex = -1;
        for (qsizetype i = 0; i < front.size(); ++i) {
            if (front[i].number == pinId)
                pinIndex = i;
            if (front[i].number == list.id)
                listIndex = i;
        }
        QVERIFY(pinIndex >= 0 && listIndex >= 0 && pinIndex < listIndex);
    }

    void thePickersStillShowsWhatLiesBeneathTheWindowsThatStepAside()
    {
        // A pinned picture and an editor over another program's window, no
        // intro card: the picker's still is taken once the window beneath
        // has painted where they were, not before (black there, or they
        // themselves).
        // A busy program: it paints what was covered 150 ms later.
        HelperWindow beneath(QRect(150, 100, 1160, 700), 61, HelperWindow::Style::slowToRepaint);
        QVERIFY(beneath.id);
        FakeAppPlatform services;
        const auto compositing = std::make_shared<X11CompositingInfo>();
        QVERIFY(!compositing->isCompositing());
        services.compositingInfo = compositing;
        services.repaintWatch = [compositing] { return std::make_unique<X11RepaintWatch>(compositing); };
        prepare(services, rig->engine().picker(), rig->engine().road());
        FakeWindowContents contents;
        contents.editor = [](const QImage&, const ScreenshotItem&) {
            auto editor = std::make_unique<QWidget>();
            editor->setStyleSheet(QStringLiteral("background: rgb(0, 200, 0);"));
            editor->setGeometry(200, 150, 500, 400);
            return editor;
        };
        AppCoordinator coordinator(services.platform(), services, &contents);
        coordinator.openEditor(QImage(), ScreenshotItem{});
        QImage picture(600, 400, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 255));
        coordinator.editorServices().pinned.pin(picture);
        QWidget* editor = coordinator.editorWindows().front().get();
        QWidget* pinned = coordinator.editorServices().pinned.windows().front();
        const QRect pinnedAt = pinned->geometry(), editorAt = editor->geometry();
        QTRY_VERIFY_WITH_TIMEOUT(x.viewable(xcb_window_t(pinned->winId())) && x.viewable(xcb_window_t(editor->winId())),
                                 15000);
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(QRect(pinnedAt.center(), QSize(1, 1))).pixelColor(0, 0) == QColor(255, 0, 255),
                                 15000);

        coordinator.captureScrollingWindow();
        PickerView* view = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* v = qobject_cast<PickerView*>(w); v && v->isVisible())
                    view = v;
            return view != nullptr;
        }, 15000));
        const QImage still = view->still().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(still.size(), QSize(1920, 1080));
        int wrong = 0;
        for (const QRect& area : {pinnedAt, editorAt})
            for (int y = area.top(); y <= area.bottom(); y += 3)
                for (int x = area.left(); x <= area.right(); x += 3)
                    wrong += (still.pixel(x, y) & 0xFFFFFF)
                        != (HelperWindow::pattern(x - beneath.rect.x(), y - beneath.rect.y(), beneath.seed) & 0xFFFFFF);
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        const QString log = debugLogText();
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 pixels wrong; %2").arg(wrong).arg(log.mid(log.indexOf("neu gezeichnet") - 40, 120))));
        QTRY_VERIFY_WITH_TIMEOUT(pinned->isVisible() && editor->isVisible(), 15000);
    }

    void sectionPastItsWindowsEdgesHoldsNothingOfOurs()
    {
        ScrollListProcess list({QRect(300, 120, 420, 600), 2600, 48, 44, 900});
        QVERIFY(list.id);
        const QRectF bounds = shownList(list);
        QCOMPARE(bounds, QRectF(300, 120, 420, 600));

        auto run = rig->startRun();
        // From inside the list to far past its right and bottom edges.
        x.drag(QPoint(350, 200), QPoint(1000, 1000));
        const std::optional<CapturedScreenshot> captured = awaitTask(std::move(run), 200000);
        QVERIFY(captured);
        QVERIFY(debugLogMessages().contains(QStringLiteral("SCROLL Abschnitt auf das Fenster beschnitten: 370x520 @ 350,200")));

        // Every row is one of the list's own (its content or its footer, the
        // columns of the section): none of the cover, its card or the screen
        // beside the window.
        const QImage image = captured->image.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.width(), 370);
        const QImage expected = list.fullRendering().copy(50, 0, 370, list.fullRendering().height());
        QSet<QByteArray> rows;
        for (int y = 0; y < expected.height(); ++y)
            rows.insert(QByteArray(reinterpret_cast<const char*>(expected.constScanLine(y)), 370 * 4));
        int foreign = 0;
        for (int y = 0; y < image.height(); ++y)
            foreign += !rows.contains(QByteArray(reinterpret_cast<const char*>(image.constScanLine(y)), 370 * 4));
        QCOMPARE(foreign, 0);
        QVERIFY(!captured->incomplete);
        QVERIFY(image.height() >= list.layout.rows - 32);
        QTRY_VERIFY(!rig->engine().cover().window());
    }

    void pageCutAtTheHeightLimitIsAnnouncedIncomplete()
    {
        // 500 screens of 900 pt: cut at 30,000 pt.
        const QString file = dir.filePath(QStringLiteral("long.html"));
        QVERIFY(plantFile(file, "<!doctype html><html><body style='margin:0'>"
                                "<div style='height:450000px;background:linear-gradient(#fff,#036)'></div>"
                                "</body></html>"));
        FakeAppPlatform services;
        prepare(services,
                []() -> QCoro::Task<std::optional<PickedWindow>> {
                    co_return PickedWindow{qint32(browserPid), QRectF(browserFrame), 7, std::nullopt};
                },
                std::make_shared<PageRoad>(services.scrollPanel.progress(), QUrl::fromLocalFile(file)));
        AppCoordinator coordinator(services.platform(), services);

        // The panel is up and counts each band as it is rendered.
        QList<int> counted;
        bool panelShown = true;
        QObject counting;
        connect(&services.scrollPanel.progress(), &ScrollProgress::stripsChanged, &counting, [&](int strips) {
            counted.append(strips);
            panelShown = panelShown && services.scrollPanel.panel() && services.scrollPanel.panel()->isVisible();
        });

        coordinator.captureScrollingWindow();
        const std::optional<ScreenshotItem> item = stored(coordinator, 200000);
        QVERIFY(item);
        QCOMPARE(coordinator.environment().screenshotStore->image(*item).size(), QSize(1440, 30000));
        // Announced once the picture is on the clipboard (its PNG is made off the main thread).
        QTRY_COMPARE_WITH_TIMEOUT(coordinator.toast().model().text(), QStringLiteral("Scroll-Aufnahme möglicherweise unvollständig"), 10000);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("BROWSER Unvollständig: Höhengrenze erreicht — 30000 von 450000 pt")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE Scroll fertig (unvollständig): 1440x30000")));

        QCOMPARE(counted.size(), 34); // bands at 0, 900, … 28800 and 29100
        for (int i = 0; i < counted.size(); ++i)
            QCOMPARE(counted[i], i + 1);
        QVERIFY(panelShown);
        QCOMPARE(services.scrollPanel.progress().heightPx(), 30000);
        QTRY_VERIFY(!services.scrollPanel.panel());
    }
};

ZENTU_TEST_MAIN(TestScrollShellX11)
#include "tst_scrollshell_x11.moc"
