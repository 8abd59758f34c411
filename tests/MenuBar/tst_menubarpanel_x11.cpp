// The panel on a real X server: its window, what a grab of it shows, and real
// pointer and key input through XTest (xdotool).
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/HoverCardButton.h"
#include "MenuBar/MenuBarContentView.h"
#include "MenuBar/ScreenshotPreviewRow.h"
#include "MenuBar/TileHoverModel.h"
#include "PanelFixture.h"
#include "Ui/Theme.h"
#include "fakes/FakeMenuBarActions.h"
#include "support/IsolatedEnvironment.h"

#include <QProcess>
#include <QScreen>

namespace {
bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

bool near(QColor a, QColor b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// Rows of the image (within [top, bottom)) that hold a pixel far from the background.
int inkedRows(const QImage& img, int top, int bottom, QColor background, int tolerance = 40)
{
    int rows = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!near(img.pixelColor(x, y), background, tolerance)) {
                ++rows;
                break;
            }
    return rows;
}
} // namespace

class TestMenuBarPanelX11 : public QObject {
    Q_OBJECT

    QImage grabPanel(QWidget& w)
    {
        QCoreApplication::processEvents();
        return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    static void pointAt(QWidget* w)
    {
        const QPoint p = w->mapToGlobal(w->rect().center());
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    }

    static QRect in(QWidget* part, QWidget* window) { return QRect(part->mapTo(window, QPoint(0, 0)), part->size()); }

private Q_SLOTS:
    void grabShowsWidthAndSections()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        f.screenshotStore->add(PanelFixture::picture(400, 300, QColor(200, 30, 30)), CaptureKind::area);
        f.clipboardStore->addText(QStringLiteral("Zwischengespeicherter Text"), std::nullopt);
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        panel.move(100, 60);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_COMPARE(panel.clipboardList()->height(), 240);

        const QImage shot = grabPanel(panel);
        if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
            shot.save(QStringLiteral("/tmp/panel-x11.png"));
        QCOMPARE(shot.width(), 340);
        QCOMPARE(shot.height(), panel.height());
        const QColor bg = shot.pixelColor(2, panel.header()->height() + 4);

        // Header: the word mark's red dot.
        const QRect header = in(panel.header(), &panel);
        int red = 0;
        for (int y = header.top(); y <= header.bottom(); ++y)
            for (int x = header.left() + 36; x < header.left() + 160; ++x) { // right of the icon
                const QColor c = shot.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 120 && c.blue() < 120;
            }
        QVERIFY2(red > 2, "no brand red in the header");

        // Cards: three tinted cards of equal width with background between them.
        const QRect cards = in(panel.captureActions(), &panel);
        const int cy = cards.top() + 8; // the shorter cards sit centred beside the scroll card
        QList<QPair<int, int>> runs;
        int start = -1;
        for (int x = cards.left(); x <= cards.right() + 1; ++x) {
            const bool tinted = x <= cards.right() && !near(shot.pixelColor(x, cy), bg, 2);
            if (tinted && start < 0)
                start = x;
            if (!tinted && start >= 0) {
                runs << qMakePair(start, x - start);
                start = -1;
            }
        }
        QCOMPARE(runs.size(), 3);
        QVERIFY(qAbs(runs.at(0).second - runs.at(2).second) <= 2);
        QVERIFY(runs.at(1).first - (runs.at(0).first + runs.at(0).second) >= 6);

        // Recent screenshots: the red tile under its title row.
        const QRect tile = in(panel.tiles().first(), &panel);
        QCOMPARE(tile.size(), QSize(96, 70));
        const QColor middle = shot.pixelColor(tile.center());
        QVERIFY(middle.red() > 150 && middle.green() < 80);
        QVERIFY(tile.top() > cards.bottom());
        QVERIFY(inkedRows(shot, in(panel.recentScreenshots(), &panel).top(), tile.top() - 8, bg) >= 5);

        // Clipboard: title, search, filter and the row, then the divider and the footer.
        const QRect clip = in(panel.clipboardSection(), &panel);
        QVERIFY(clip.top() > tile.bottom());
        QVERIFY(inkedRows(shot, clip.top(), clip.bottom(), bg, 4) > 100);
        const QRect footer = in(panel.footer(), &panel);
        QCOMPARE(footer.bottom(), panel.height() - 1);
        QVERIFY(inkedRows(shot, footer.top(), footer.bottom(), bg) >= 8);
        QVERIFY(!near(shot.pixelColor(170, footer.top() - 1), bg, 2)); // the divider
    }

    void realPointerAndKeys()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        const ScreenshotItem shot = f.screenshotStore->add(PanelFixture::picture(80, 60, Qt::blue), CaptureKind::area);
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        panel.move(200, 100);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));

        // Hovering a tile lights its frame in the accent colour.
        ScreenshotPreviewRow* tile = panel.tiles().first();
        // The window manager may still move the window: aim anew on each try.
        QVERIFY(QTest::qWaitFor([&] {
            pointAt(tile);
            QTest::qWait(60);
            return TileHoverModel::shared().hoveredID() == shot.id;
        }, 5000));
        QTRY_VERIFY(near(grabPanel(panel).pixelColor(tile->mapTo(&panel, QPoint(tile->width() / 2, 0))),
                         Theme::accent(tile), 60));

        // Delete over the tile in the focused panel removes the screenshot.
        QVERIFY(xdotool({"key", "Delete"}));
        QTRY_VERIFY(f.screenshotStore->items().isEmpty());
        QTRY_VERIFY(!panel.recentScreenshots()->isVisible());

        // Resting on the full-screen card swaps its title for the hotkey chip.
        panel.setDismiss(rec.dismiss());
        rec.calls.clear();
        HoverCardButton* card = panel.captureCards().at(1);
        QVERIFY(QTest::qWaitFor([&] {
            pointAt(card);
            QTest::qWait(30);
            return card->underMouse();
        }, 5000));
        QTRY_VERIFY(qAbs(card->swapProgress() - 1.0) < 0.001);
        QTest::qWait(50);
        const QImage hovered = grabPanel(panel);
        const QRect chip = card->chipRect().toRect().translated(card->mapTo(&panel, QPoint(0, 0)));
        const QColor cardFill = hovered.pixelColor(card->mapTo(&panel, QPoint(card->width() / 2, 4)));
        // The capsule is a shade darker than the card around it.
        QVERIFY(!near(hovered.pixelColor(chip.left() + 3, chip.center().y()), cardFill, 2));
        QVERIFY(near(hovered.pixelColor(chip.left() - 4, chip.center().y()), cardFill, 2));

        // A click on it closes the panel, then asks for the capture.
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE(rec.calls, (QStringList{"dismiss", "captureFullScreen"}));
    }
};

ZENTU_TEST_MAIN(TestMenuBarPanelX11)
#include "tst_menubarpanel_x11.moc"
