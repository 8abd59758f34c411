// On a real X server with a private session bus: a helper application in
// another process publishes its widgets on the accessibility bus; the picker's
// look-up finds its list and its scroll area under a point and logs the chain.
#include "support/DebugLogMessages.h"
#include "Platform/X11/AtspiAccessibilityTree.h"
#include "Screenshot/PickedWindowLookup.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeWindowServer.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace {

// The helper: a list and a scroll area; prints their global rectangles.
int runHelper(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("lookup helper"));
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
        auto print = [](const char* name, QWidget* w) {
            const QRect r(w->mapToGlobal(QPoint(0, 0)), w->size());
            std::printf("%s %d %d %d %d\n", name, r.x(), r.y(), r.width(), r.height());
        };
        print("list", list);
        print("scroll", scroll);
        std::fflush(stdout);
    });
    return app.exec();
}

QRect parseRect(const QList<QByteArray>& parts)
{
    return QRect(parts[1].toInt(), parts[2].toInt(), parts[3].toInt(), parts[4].toInt());
}

} // namespace

class TestAccessibilityLookupX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // A session bus of our own; the accessibility bus is started on demand.
        bus.setProgram(QStringLiteral("dbus-daemon"));
        bus.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        bus.start();
        QVERIFY(bus.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(bus.canReadLine(), 10000);
        const QByteArray address = bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(address));
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        helper.setProcessEnvironment(env);
        helper.setProgram(QCoreApplication::applicationFilePath());
        helper.setArguments({QStringLiteral("--helper")});
        helper.start();
        QVERIFY(helper.waitForStarted());
        while (listRect.isNull() || scrollRect.isNull()) {
            QTRY_VERIFY_WITH_TIMEOUT(helper.canReadLine(), 20000);
            const QList<QByteArray> parts = helper.readLine().trimmed().split(' ');
            if (parts.size() == 5 && parts[0] == "list")
                listRect = parseRect(parts);
            if (parts.size() == 5 && parts[0] == "scroll")
                scrollRect = parseRect(parts);
        }
    }
    void cleanupTestCase()
    {
        helper.kill();
        helper.waitForFinished();
        bus.kill();
        bus.waitForFinished();
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
        // Nor does a window area too small for the list to be a section of it.
        QVERIFY(!lookup.scrollAreaUnder(inList, 280 * 420, pid));

        lookup.logAXChain(inList, pid);
        const QString text = debugLogText();
        QVERIFY2(text.contains(QStringLiteral("SCROLL AXChain @%1,%2 pid %3: ").arg(int(inList.x())).arg(int(inList.y())).arg(pid)),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("AXList/- 280x420")), qPrintable(text));
    }

private:
    QProcess bus;
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
