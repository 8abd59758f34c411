// The intro card on a real X server: it dims the whole screen around a
// centred card, Esc from the keyboard cancels it, and a click on OK proceeds.
#include "MenuBar/CaptureIntroPresenter.h"
#include "MenuBar/CaptureIntroView.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"

#include <QPainter>
#include <QProcess>
#include <QScreen>

namespace {
bool xdotool(const QStringList& args) { return QProcess::execute("xdotool", args) == 0; }

class Pattern : public QWidget {
public:
    Pattern() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {}
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(200, 120, 60)); }
};

QImage grabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }
}

class TestCaptureIntroX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dimsTheScreenAndEscapeCancels()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        Pattern background;
        background.setGeometry(screen);
        background.show();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(40, 40) == QColor(200, 120, 60), 15000);

        FakeUserDefaults defaults;
        CaptureIntroPresenter presenter(defaults, nullptr);
        int proceeds = 0, cancels = 0;
        presenter.show(CaptureIntroConfig::screenshot(), [&] { ++proceeds; }, [&] { ++cancels; });
        CaptureIntroView* view = presenter.window();
        QVERIFY(QTest::qWaitForWindowExposed(view));

        // Outside the card the screen is the old picture at 60 %.
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = grabScreen()).pixelColor(40, 40) != QColor(200, 120, 60), 15000);
        const QColor dim = shot.pixelColor(40, 40);
        QVERIFY(qAbs(dim.red() - 120) <= 2 && qAbs(dim.green() - 72) <= 2 && qAbs(dim.blue() - 36) <= 2);
        // The card: light, 344 wide, centred.
        const QPoint centre = screen.center();
        QVERIFY(shot.pixelColor(centre.x(), view->card()->geometry().top() + 5).lightness() > 230);
        QCOMPARE(view->card()->width(), 344);
        QVERIFY(qAbs(view->card()->geometry().center().x() - centre.x()) <= 1);

        QTRY_VERIFY_WITH_TIMEOUT(view->isActiveWindow(), 15000);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_COMPARE_WITH_TIMEOUT(cancels, 1, 15000);
        QCOMPARE(proceeds, 0);
        QVERIFY(!presenter.window());
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(40, 40) == QColor(200, 120, 60), 15000);
    }

    void clickOnOkProceeds()
    {
        FakeUserDefaults defaults;
        CaptureIntroPresenter presenter(defaults, nullptr);
        int proceeds = 0, cancels = 0;
        presenter.show(CaptureIntroConfig::scroll(), [&] { ++proceeds; }, [&] { ++cancels; });
        CaptureIntroView* view = presenter.window();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QTRY_VERIFY_WITH_TIMEOUT(view->proceedButton()->isVisible(), 15000);
        const QPoint ok = view->proceedButton()->mapToGlobal(view->proceedButton()->rect().center());
        QVERIFY(xdotool({"mousemove", QString::number(ok.x()), QString::number(ok.y()), "click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(proceeds, 1, 15000);
        QCOMPARE(cancels, 0);
        QVERIFY(!defaults.boolValue("zentuHideScrollIntro"));
    }
};

ZENTU_TEST_MAIN(TestCaptureIntroX11)
#include "tst_captureintro_x11.moc"
