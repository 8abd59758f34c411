// Where the tray panel opens, and that it stays anchored to the tray while its
// content grows and shrinks.
#include "App/MenuBarPanel.h"
#include "support/IsolatedEnvironment.h"

#include <QVBoxLayout>

class TestMenuBarPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensNextToTheIconInsideTheScreen()
    {
        const QRect area(0, 0, 1920, 1050); // a bottom panel reserves the last 30 px
        const QSize size(340, 500);
        // Icon in a bottom tray: above it, centred on it.
        QCOMPARE(MenuBarPanel::placement(QRect(900, 1054, 22, 22), size, area), QPoint(911 - 170, 1050 - 500));
        // Icon in a top bar: right below it.
        QCOMPARE(MenuBarPanel::placement(QRect(900, 4, 22, 22), size, QRect(0, 30, 1920, 1050)), QPoint(741, 30));
        // Icon in the far right corner: the panel stays on the screen.
        QCOMPARE(MenuBarPanel::placement(QRect(1900, 4, 22, 22), size, QRect(0, 30, 1920, 1050)), QPoint(1920 - 340, 30));
        // Second screen to the right.
        QCOMPARE(MenuBarPanel::placement(QRect(1925, 1054, 22, 22), size, QRect(1920, 0, 1280, 1050)),
                 QPoint(1920, 1050 - 500));
    }

    void staysAnchoredWhileItsContentGrows()
    {
        // Content whose height follows a child, like the panel's sections.
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* section = new QWidget(content);
        section->setFixedSize(340, 200);
        layout->addWidget(section);
        MenuBarPanel panel(content);
        const QRect area(0, 0, 1280, 770); // a bottom tray reserves the last 30 px
        const QRect icon(900, 774, 22, 22);
        panel.showAt(icon, area);
        QCOMPARE(panel.geometry().bottom(), 769);
        QCOMPARE(panel.height(), 200);

        // Entries arrive while it is open: it grows upwards, its bottom stays.
        section->setFixedHeight(560);
        QTRY_COMPARE(panel.height(), 560);
        QCOMPARE(panel.geometry().bottom(), 769);

        // Taller than the screen allows: it fills the area and scrolls.
        section->setFixedHeight(900);
        QTRY_COMPARE(panel.height(), 770);
        QVERIFY(area.contains(panel.geometry()));

        // Shrinking brings it back down to the tray.
        section->setFixedHeight(300);
        QTRY_COMPARE(panel.height(), 300);
        QCOMPARE(panel.geometry().bottom(), 769);
        QCOMPARE(panel.width(), 340);
    }
};

ZENTU_TEST_MAIN(TestMenuBarPanel)
#include "tst_MenuBarPanel.moc"
