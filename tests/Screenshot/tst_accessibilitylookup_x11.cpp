// On a real X server with a private session bus: a helper application in
// another process publishes its widgets on the accessibility bus; the picker's
// look-up finds its list and its scroll area under a point.
#include "Platform/X11/AtspiAccessibilityTree.h"
#include "Screenshot/PickedWindowLookup.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"
#include "support/SessionBus.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScrollArea>
#include <QTimer>
#include <cstdio>

namespace {
// The helper: a list and a scroll area; prints their global rectangles.
int runHelper(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(620, 480);
    auto* list = new QListWidget(&window);
    for (int i = 0; i < 300; ++i)
        list->addItem(QStringLiteral("Zeile %1").arg(i));
    list->setGeometry(20, 20, 280, 420);
    auto* scroll = new QScrollArea(&window);
    auto* content = new QLabel(QStringLiteral("Inhalt"));
    content->setMinimumSize(200, 2000);
    scroll->setWidget(content);
    scroll->setGeometry(320, 20, 280, 420);
    window.show();
    QTimer::singleShot(300, [&] {
        for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(scroll)}) {
            const QPoint at = w->mapToGlobal(QPoint(0, 0));
            std::printf("%d %d %d %d\n", at.x(), at.y(), w->width(), w->height());
        }
        std::fflush(stdout);
    });
    return app.exec();
}

QRect readRect(QProcess& helper)
{
    if (!QTest::qWaitFor([&] { return helper.canReadLine(); }, 20000))
        return {};
    const QList<QByteArray> n = helper.readLine().trimmed().split(' ');
    return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
}
} // namespace

class TestAccessibilityLookupX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // A session bus of our own; the accessibility bus is started on demand.
        bus = std::make_unique<SessionBus>();
        QVERIFY(bus->isRunning());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        helper.setProcessEnvironment(env);
        helper.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--helper")});
        QVERIFY(helper.waitForStarted());
        listRect = readRect(helper);
        scrollRect = readRect(helper);
        QVERIFY(!listRect.isEmpty() && !scrollRect.isEmpty());
    }
    void cleanupTestCase()
    {
        helper.kill();
        helper.waitForFinished();
    }

    void findsTheListAndTheScrollArea()
    {
        AtspiAccessibilityTree tree;
        QVERIFY(tree.isAvailable());
        const qint32 pid = qint32(helper.processId());
        FakeWindowServer windows;
        FakeScreenSource screens;
        PickedWindowLookup lookup(windows, tree, screens);
        const qreal windowArea = 620 * 480;

        // The helper publishes its tree shortly after it shows.
        const QPointF inList = QRectF(listRect).center();
        QTRY_VERIFY_WITH_TIMEOUT(lookup.scrollAreaUnder(inList, windowArea, pid).has_value(), 20000);
        QCOMPARE(lookup.scrollAreaUnder(inList, windowArea, pid).value_or(QRectF()).toRect(), listRect);

        // A scroll area is recognised by its scroll bar.
        const QPointF inScroll = QRectF(scrollRect).center();
        QCOMPARE(lookup.scrollAreaUnder(inScroll, windowArea, pid).value_or(QRectF()).toRect(), scrollRect);

        // A point of another process finds nothing of the helper's.
        QVERIFY(!lookup.scrollAreaUnder(inList, windowArea, pid + 100000));
    }

private:
    std::unique_ptr<SessionBus> bus;
    QProcess helper;
    QRect listRect;
    QRect scrollRect;
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--helper") == 0)
        return runHelper(argc, argv);
    IsolatedEnvironment isolatedEnvironment;
    // No session bus until the test starts its own (and no bus launched on
    // the X display behind our back).
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestAccessibilityLookupX11 tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_accessibilitylookup_x11.moc"
