#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/MenuBarContentView.h"
#include "MenuBar/ScreenshotPreviewRow.h"
#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileHoverSync.h"
#include "MenuBar/TileMouseArea.h"
#include "PanelFixture.h"
#include "Storage/Storage.h"
#include "fakes/FakeMenuBarActions.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QFile>
#include <QLineEdit>
#include <QMenu>

class TestScreenshotTiles : public QObject {
    Q_OBJECT

    static QStringList menuTitles(QMenu* menu)
    {
        QStringList titles;
        for (QAction* a : menu->actions())
            titles << (a->isSeparator() ? QStringLiteral("—") : a->text());
        return titles;
    }
    static QAction* entry(QMenu* menu, const QString& title)
    {
        for (QAction* a : menu->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    }
    static void pointAt(QWidget* w)
    {
        QCursor::setPos(w->mapToGlobal(w->rect().center()));
        TileHoverSync::shared().tick();
    }

private Q_SLOTS:
    void clickOpensTheEditor()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        const MenuBarActions actions = rec.actions();
        const QImage picture = PanelFixture::picture(50, 40, Qt::red);
        const ScreenshotItem item = f.screenshotStore->add(picture, CaptureKind::window);
        ScreenshotPreviewRow tile(item, actions, *f.screenshotStore, f.workspace, TileHoverModel::shared(), {96, 70});
        tile.show();
        QCOMPARE(tile.mouseArea()->toolTip(), QStringLiteral("Fenster"));
        TileMouseArea* area = tile.mouseArea();
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(rec.calls, QStringList{QStringLiteral("openEditor")});
        QCOMPARE(rec.editorItems.first().id, item.id);
        QCOMPARE(rec.editorImages.first().pixelColor(5, 5), QColor(Qt::red));
        // Pressed inside, released outside: nothing.
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(200, 10));
        QCOMPARE(rec.calls.size(), 1);
        // The accessibility press does what a click does.
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(area);
        QVERIFY(acc && acc->actionInterface());
        QCOMPARE(acc->role(), QAccessible::Button);
        QCOMPARE(acc->text(QAccessible::Name), QStringLiteral("Fenster"));
        acc->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(rec.calls.size(), 2);
    }

    void contextMenuEntries()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        const MenuBarActions actions = rec.actions();
        ScreenshotItem item = f.screenshotStore->add(PanelFixture::picture(30, 30, Qt::blue), CaptureKind::area);
        ScreenshotPreviewRow tile(item, actions, *f.screenshotStore, f.workspace, TileHoverModel::shared(), {96, 70});
        std::unique_ptr<QMenu> menu(tile.makeContextMenu());
        QCOMPARE(menuTitles(menu.get()), (QStringList{"Bearbeiten", "Kopieren", "Favorit", "Im Dateimanager zeigen", "—",
                                                      "Löschen"}));
        entry(menu.get(), "Favorit")->trigger();
        QVERIFY(f.screenshotStore->items().first().isFavorite);
        tile.setItem(f.screenshotStore->items().first());
        menu.reset(tile.makeContextMenu());
        QVERIFY(entry(menu.get(), "Favorit entfernen"));
        entry(menu.get(), "Favorit entfernen")->trigger();
        QVERIFY(!f.screenshotStore->items().first().isFavorite);

        entry(menu.get(), "Im Dateimanager zeigen")->trigger();
        QCOMPARE(f.workspace.revealedFiles,
                 QStringList{testFolders().screenshotsDirectory() + QLatin1Char('/') + item.fileName});
        QVERIFY(rec.notices.isEmpty());
        // Neither a selecting file manager nor the folder: the user is told.
        f.workspace.revealSucceeds = false;
        entry(menu.get(), "Im Dateimanager zeigen")->trigger();
        QCOMPARE(rec.notices, QStringList{QStringLiteral("Der Dateimanager konnte nicht geöffnet werden.")});
        rec.calls.clear();
        entry(menu.get(), "Kopieren")->trigger();
        QCOMPARE(rec.calls, QStringList{QStringLiteral("copyScreenshotImage")});
        QCOMPARE(rec.copiedImages.first().size(), QSize(30, 30));
        entry(menu.get(), "Bearbeiten")->trigger();
        QCOMPARE(rec.calls.last(), QStringLiteral("openEditor"));

        // Without a readable image, copy and edit do nothing; the tile shows the kind.
        f.screenshotStore->waitForPendingWrites();
        QFile::remove(testFolders().screenshotsDirectory() + QLatin1Char('/') + item.fileName);
        QFile::remove(testFolders().thumbnailsDirectory() + QLatin1Char('/') + *item.thumbnailFileName);
        rec.calls.clear();
        entry(menu.get(), "Kopieren")->trigger();
        entry(menu.get(), "Bearbeiten")->trigger();
        QVERIFY(rec.calls.isEmpty());
        ScreenshotPreviewRow bare(item, actions, *f.screenshotStore, f.workspace, TileHoverModel::shared(), {96, 70});
        QVERIFY(!bare.showsThumbnail());
        QCOMPARE(ScreenshotPreviewRow::kindSymbol(CaptureKind::scrolling),
                 QStringLiteral("rectangle.portrait.arrowtriangle.2.outward"));

        entry(menu.get(), "Löschen")->trigger();
        QVERIFY(f.screenshotStore->items().isEmpty());
    }

    void deleteKeyActsOnlyInTheShownPanel()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        f.clipboardStore->addText(QStringLiteral("etwas"), std::nullopt);
        const ScreenshotItem older = f.screenshotStore->add(PanelFixture::picture(20, 20, Qt::red), CaptureKind::area);
        const ScreenshotItem newer = f.screenshotStore->add(PanelFixture::picture(20, 20, Qt::green), CaptureKind::area);
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.show();
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QVERIFY(TileHoverSync::shared().isPolling());
        QVERIFY(TileHoverSync::shared().hasKeyMonitor());

        // Pointer elsewhere: Delete leaves the tiles alone.
        QCursor::setPos(panel.mapToGlobal(QPoint(5, 5)));
        TileHoverSync::shared().tick();
        QVERIFY(TileHoverModel::shared().hoveredID().isNull());
        QTest::keyClick(&panel, Qt::Key_Delete);
        QCOMPARE(f.screenshotStore->items().size(), 2);

        // Pointer on the first tile: it lights up, and Backspace removes it.
        ScreenshotPreviewRow* first = panel.tiles().first();
        QCOMPARE(first->item().id, newer.id);
        pointAt(first);
        QCOMPARE(TileHoverModel::shared().hoveredID(), newer.id);
        QVERIFY(first->isHovered());
        QVERIFY(!panel.tiles().last()->isHovered());

        // While a text field has focus the key belongs to the text.
        QLineEdit* search = panel.clipboardList()->searchField();
        search->setFocus();
        QVERIFY(search->hasFocus());
        QTest::keyClick(search, Qt::Key_Backspace);
        QCOMPARE(f.screenshotStore->items().size(), 2);
        search->clearFocus();

        // Another window of the app has the keyboard: nothing happens to the tiles.
        QWidget editor;
        auto* field = new QWidget(&editor);
        field->setFocusPolicy(Qt::StrongFocus);
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        TileHoverSync::shared().tick();
        QTest::keyClick(&editor, Qt::Key_Delete);
        QCOMPARE(f.screenshotStore->items().size(), 2);
        editor.hide();

        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        pointAt(panel.tiles().first());
        QTest::keyClick(&panel, Qt::Key_Backspace);
        QCOMPARE(f.screenshotStore->items().size(), 1);
        QCOMPARE(f.screenshotStore->items().first().id, older.id);

        // Hidden panel: the poll and the key watch stop, nothing stays hovered.
        pointAt(panel.tiles().first());
        QVERIFY(!TileHoverModel::shared().hoveredID().isNull());
        panel.hide();
        QVERIFY(!TileHoverSync::shared().isPolling());
        QVERIFY(!TileHoverSync::shared().hasKeyMonitor());
        QVERIFY(TileHoverModel::shared().hoveredID().isNull());
        QTest::keyClick(&panel, Qt::Key_Delete);
        QCOMPARE(f.screenshotStore->items().size(), 1);
        panel.show();
        QVERIFY(TileHoverSync::shared().isPolling());
    }
};

ZENTU_TEST_MAIN(TestScreenshotTiles)
#include "tst_screenshottiles.moc"
