// Which programs the scrolling capture sends no keys: terminals and text
// editors, told by the window's class or the application's id, whatever
// the spelling; browsers, viewers and lists may get keys.
#include "Screenshot/ScrollInputPolicy.h"

#include <QTest>

Q_DECLARE_METATYPE(ScrollInputPolicy::Kind)

class TestScrollInputPolicy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kinds_data()
    {
        using K = ScrollInputPolicy::Kind;
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<K>("kind");
        QTest::newRow("xterm") << "debian-xterm" << "XTerm" << K::terminal;
        QTest::newRow("uxterm, class only") << "" << "UXTerm" << K::terminal;
        QTest::newRow("GNOME Terminal") << "org.gnome.Terminal" << "Gnome-terminal" << K::terminal;
        QTest::newRow("GNOME Console") << "org.gnome.Console" << "kgx" << K::terminal;
        QTest::newRow("Konsole") << "org.kde.konsole" << "konsole" << K::terminal;
        QTest::newRow("xfce4-terminal") << "xfce4-terminal" << "Xfce4-terminal" << K::terminal;
        QTest::newRow("kitty") << "kitty" << "kitty" << K::terminal;
        QTest::newRow("Mousepad") << "org.xfce.mousepad" << "Mousepad" << K::textEditor;
        QTest::newRow("gedit") << "org.gnome.gedit" << "Gedit" << K::textEditor;
        QTest::newRow("Kate") << "org.kde.kate" << "kate" << K::textEditor;
        QTest::newRow("Chromium") << "chromium" << "Chromium" << K::ordinary;
        QTest::newRow("Firefox") << "firefox-esr" << "firefox-esr" << K::ordinary;
        QTest::newRow("Evince") << "org.gnome.Evince" << "Evince" << K::ordinary;
        QTest::newRow("zenity") << "zenity" << "Zenity" << K::ordinary;
        QTest::newRow("nothing known") << "" << "" << K::ordinary;
    }
    void kinds()
    {
        QFETCH(QString, id);
        QFETCH(QString, windowClass);
        QFETCH(ScrollInputPolicy::Kind, kind);
        QCOMPARE(ScrollInputPolicy::kindOf(id, windowClass), kind);
        QCOMPARE(ScrollInputPolicy::keysAllowed(kind), kind == ScrollInputPolicy::Kind::ordinary);
    }
};

QTEST_GUILESS_MAIN(TestScrollInputPolicy)
#include "tst_scrollinputpolicy.moc"
