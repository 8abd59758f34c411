// The tray panel's content over real stores: sections that follow the
// histories and the permission, cards that close the panel before capturing,
// hotkey hints that follow the settings and fit their card, a rebuild in a new
// language; its screenshot tiles (a click or a screen reader's press opens the
// editor, the context menu, Delete only on the hovered tile of the shown,
// focused panel; a tile follows its picture when it is cut, and a picture as
// tall as a long scrolling capture opens and copies from disk); and a name
// and role for every control a screen reader meets.
#include "Localization/Localizer.h"
#include "MenuBar/CaptureButton.h"
#include "MenuBar/CaptureIntroConfig.h"
#include "MenuBar/CaptureIntroView.h"
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/MenuBarContentView.h"
#include "MenuBar/ScreenshotPreviewRow.h"
#include "MenuBar/SectionHeader.h"
#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileHoverSync.h"
#include "MenuBar/TileMouseArea.h"
#include "PanelFixture.h"
#include "Ui/HoverRowButton.h"
#include "fakes/FakeMenuBarActions.h"
#include "support/ChildNamed.h"
#include "support/IsolatedEnvironment.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

namespace {
struct Panel {
    PanelFixture f;
    FakeMenuBarActions rec;
    std::unique_ptr<MenuBarContentView> view;
    explicit Panel(QWidget* host = nullptr)
        : view(std::make_unique<MenuBarContentView>(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions,
                                                    f.workspace, f.frameClock, f.tileHoverSync, rec.actions(), nullptr,
                                                    host))
    {
    }
    QStringList sectionTitles() const
    {
        QStringList titles;
        for (SectionHeader* h : view->findChildren<SectionHeader*>())
            if (h->isVisibleTo(view.get()))
                titles << h->text();
        return titles;
    }
};
// "Class: problem" for every control below root a user can act on (buttons,
// text fields, the tiles' mouse layer) that a screen reader could not name, or
// that has no role a reader acts on.
QStringList unnamed(QWidget* root)
{
    static const QList<QAccessible::Role> roles{QAccessible::Button, QAccessible::RadioButton, QAccessible::CheckBox,
                                                QAccessible::EditableText};
    QStringList out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLineEdit*>(w) && !w->inherits("TileMouseArea"))
            continue;
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(w);
        const QString what = QString::fromLatin1(w->metaObject()->className());
        if (acc->text(QAccessible::Name).trimmed().isEmpty())
            out << what + ": no name";
        else if (!roles.contains(acc->role()))
            out << what + ": role " + QString::number(acc->role());
    }
    return out;
}

void trigger(QMenu* menu, const QString& title)
{
    for (QAction* a : menu->actions())
        if (a->text() == title)
            return a->trigger();
    QFAIL(qPrintable(title));
}

void pointAt(TileHoverSync& hover, QWidget* w, std::optional<QPoint> at = {})
{
    QCursor::setPos(w->mapToGlobal(at.value_or(w->rect().center())));
    hover.tick();
}

} // namespace

class TestMenuBarPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sectionsFollowTheStoresAndThePermission()
    {
        Panel p;
        MenuBarContentView& panel = *p.view;
        // Refused while the panel was closed, granted again by the time it
        // opens: read again on every appearance.
        p.f.denyScreenRecording();
        QTRY_VERIFY(p.f.screens.contentRequests > 0);
        p.f.capturePermissions.preflight = true;
        const int reads = p.f.capturePermissions.preflightCalls;
        panel.show();
        panel.hide();
        panel.show();
        QCOMPARE(p.f.capturePermissions.preflightCalls, reads + 2);
        QVERIFY(!childNamed<QWidget>(panel, "permissionBanner")->isVisible());
        QVERIFY(!childNamed<QWidget>(panel, "recentScreenshots")->isVisible());
        QCOMPARE(p.sectionTitles(), QStringList{QStringLiteral("ZWISCHENABLAGE")});

        // Refused: the banner comes before the cards.
        p.f.denyScreenRecording();
        QVERIFY(childNamed<QWidget>(panel, "permissionBanner")->isVisible());
        QVERIFY(childNamed<QWidget>(panel, "permissionBanner")->y() < childNamed<QWidget>(panel, "captureActions")->y());

        // The twelve newest screenshots, newest first.
        QDateTime t = QDateTime::currentDateTimeUtc();
        p.f.screenshotStore->setClock([&t] { return t = t.addSecs(1); });
        QList<ScreenshotItem> added;
        for (int i = 0; i < 13; ++i)
            added << p.f.screenshotStore->add(PanelFixture::picture(20, 20, QColor(i * 10, 0, 0)), CaptureKind::area);
        QCOMPARE(p.sectionTitles(), (QStringList{QStringLiteral("LETZTE SCREENSHOTS"), QStringLiteral("ZWISCHENABLAGE")}));
        QCOMPARE(panel.tiles().size(), 12);
        QCOMPARE(panel.tiles().first()->item().id, added.last().id);
        // Removing the newest brings the oldest into the strip.
        p.f.screenshotStore->remove(added.last());
        QCOMPARE(panel.tiles().size(), 12);
        QCOMPARE(panel.tiles().last()->item().id, added.first().id);
    }

    void cardsCloseThePanelBeforeTheCapture()
    {
        Panel p;
        MenuBarContentView& panel = *p.view;
        panel.setDismiss(p.rec.dismiss());
        panel.show();
        p.rec.calls.clear();
        for (auto* card : panel.captureCards())
            QTest::mouseClick(card, Qt::LeftButton);
        QCOMPARE(p.rec.calls, (QStringList{"dismiss", "captureInteractive", "dismiss", "captureFullScreen", "dismiss",
                                           "captureScrollingWindow"}));
        // The other buttons act without closing the panel.
        p.rec.calls.clear();
        QTest::mouseClick(childNamed<HoverRowButton>(panel, "settingsButton"), Qt::LeftButton);
        QTest::mouseClick(childNamed<HoverRowButton>(panel, "quitButton"), Qt::LeftButton);
        QTest::mouseClick(childNamed<QPushButton>(panel, "allButton"), Qt::LeftButton);
        QCOMPARE(p.rec.calls, (QStringList{"openSettings", "quit", "showClipboardHistory"}));
        // Refused: the banner says why and what to do, and offers no button
        // that could only log (X11 has no settings page to open).
        p.f.denyScreenRecording();
        QTRY_VERIFY(childNamed<QLabel>(panel, "bannerText")->isVisible());
        QVERIFY(childNamed<QLabel>(panel, "bannerText")->text().contains(QStringLiteral("X-Server")));
        QVERIFY(childNamed<QLabel>(panel, "bannerText")->parentWidget()->findChildren<QAbstractButton*>().isEmpty());
        p.f.screenshotStore->add(PanelFixture::picture(20, 20, Qt::blue), CaptureKind::area);
        QTest::mouseClick(childNamed<QToolButton>(panel, "folderButton"), Qt::LeftButton);
        QCOMPARE(p.f.workspace.openedFolders, QStringList{testFolders().screenshotsDirectory()});
        QVERIFY(panel.isVisible());

        // Without a dismiss hook a card hides the window the panel lives in.
        QWidget popup;
        Panel hosted(&popup);
        popup.show();
        QTest::mouseClick(hosted.view->captureCards().at(1), Qt::LeftButton);
        QVERIFY(!popup.isVisible());
        QCOMPARE(hosted.rec.calls.last(), QStringLiteral("captureFullScreen"));
    }

    void hintsFollowTheHotkeysAndFitTheirCard()
    {
        Panel p;
        p.view->show();
        const auto cards = p.view->captureCards();
        p.f.settings.setHotkey(HotkeyCombo{0, HotkeyCombo::command | HotkeyCombo::control | HotkeyCombo::option | HotkeyCombo::shift},
                               HotkeyAction::captureFullScreen);
        QCOMPARE(cards.at(1)->hotkey(), QStringLiteral("Super+Ctrl+Alt+Shift+A"));
        // The longest names still fit inside the card.
        QVERIFY(QRectF(cards.at(1)->rect()).adjusted(4, 0, -4, 0).contains(cards.at(1)->chipRect()));
    }

    void languageChangeRebuildsThePanel()
    {
        const auto localizer = std::make_shared<Localizer>([] { return QStringList{QStringLiteral("de")}; });
        const Localizer::Scope installed(localizer);
        Panel p;
        MenuBarContentView& panel = *p.view;
        panel.show();
        QPointer<HoverCardButton> before = panel.captureCards().at(1);
        const QString markBefore = childNamed<QLabel>(panel, "wordMark")->text();
        QSignalSpy rebuilt(&panel, &MenuBarContentView::rebuilt);
        localizer->setLanguage(QStringLiteral("en"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(rebuilt.count(), 1);
        QVERIFY(before.isNull() || panel.captureCards().at(1) != before.data());
        QCOMPARE(static_cast<CaptureButton*>(panel.captureCards().at(1))->title(), QStringLiteral("Screen"));
        QCOMPARE(p.sectionTitles(), QStringList{QStringLiteral("CLIPBOARD")});
        QCOMPARE(childNamed<QLabel>(panel, "wordMark")->text(), markBefore); // the brand is never translated
        localizer->setLanguage(QStringLiteral("de"));
    }

    void tileOpensTheEditorAndItsMenuActs()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        const MenuBarActions actions = rec.actions(); // the tiles keep a reference
        ScreenshotItem item = f.screenshotStore->add(PanelFixture::picture(30, 30, Qt::red), CaptureKind::window);
        ScreenshotPreviewRow tile(item, actions, *f.screenshotStore, f.workspace, f.tileHoverSync, {96, 70});
        tile.show();
        // A click, or a screen reader's press, opens the editor; a press released outside does nothing.
        TileMouseArea* area = childNamed<TileMouseArea>(tile, "mouseArea");
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(200, 10));
        QAccessible::queryAccessibleInterface(area)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(rec.calls, (QStringList{"openEditor", "openEditor"}));
        QCOMPARE(rec.editorItems.first().id, item.id);
        QCOMPARE(rec.editorImages.first().pixelColor(5, 5), QColor(Qt::red));

        std::unique_ptr<QMenu> menu(tile.makeContextMenu());
        trigger(menu.get(), "Favorit");
        QVERIFY(f.screenshotStore->items().first().isFavorite);
        tile.setItem(f.screenshotStore->items().first());
        menu.reset(tile.makeContextMenu());
        trigger(menu.get(), "Favorit entfernen");
        QVERIFY(!f.screenshotStore->items().first().isFavorite);
        trigger(menu.get(), "Im Dateimanager zeigen");
        QCOMPARE(f.workspace.revealedFiles, QStringList{testFolders().screenshotsDirectory() + QLatin1Char('/') + item.fileName});
        QVERIFY(rec.notices.isEmpty());
        // Neither a selecting file manager nor the folder: the user is told.
        f.workspace.revealSucceeds = false;
        trigger(menu.get(), "Im Dateimanager zeigen");
        QCOMPARE(rec.notices, QStringList{QStringLiteral("Der Dateimanager konnte nicht geöffnet werden.")});
        rec.calls.clear();
        trigger(menu.get(), "Kopieren");
        trigger(menu.get(), "Bearbeiten");
        QCOMPARE(rec.calls, (QStringList{"copyScreenshotImage", "openEditor"}));
        QCOMPARE(rec.copiedImages.first().size(), QSize(30, 30));

        // Without a readable picture, copy and edit say why and do nothing
        // else; the tile shows the kind.
        f.screenshotStore->waitForPendingWrites();
        QFile::remove(testFolders().screenshotsDirectory() + QLatin1Char('/') + item.fileName);
        QFile::remove(testFolders().thumbnailsDirectory() + QLatin1Char('/') + *item.thumbnailFileName);
        rec.calls.clear();
        rec.notices.clear();
        trigger(menu.get(), "Kopieren");
        trigger(menu.get(), "Bearbeiten");
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(rec.calls, (QStringList{"notify", "notify", "notify"}));
        QCOMPARE(rec.notices.first(), QStringLiteral("Bild nicht geöffnet: Datei fehlt"));
        QVERIFY(!ScreenshotPreviewRow(item, actions, *f.screenshotStore, f.workspace, f.tileHoverSync, {96, 70})
                     .showsThumbnail());
        trigger(menu.get(), "Löschen");
        QVERIFY(f.screenshotStore->items().isEmpty());
    }

    // A cut picture shows in its tile at once, whether the panel is shown or
    // not; a picture as tall as a long scrolling capture, stored and opened
    // again from disk, is copied whole.
    void tilesFollowTheirPicturesAtAnySize()
    {
        Panel p;
        MenuBarContentView& panel = *p.view;
        const ScreenshotItem item = p.f.screenshotStore->add(PanelFixture::picture(400, 300, Qt::red), CaptureKind::area);
        panel.show();
        const auto centre = [&] {
            ScreenshotPreviewRow* tile = panel.tiles().value(0);
            return tile ? tile->grab().toImage().pixelColor(tile->width() / 2, tile->height() / 2) : QColor();
        };
        QCOMPARE(centre(), QColor(Qt::red));
        p.f.screenshotStore->updateImage(PanelFixture::picture(200, 150, Qt::blue), {}, item);
        QCOMPARE(centre(), QColor(Qt::blue));
        p.f.screenshotStore->waitForPendingWrites();
        panel.hide();
        p.f.screenshotStore->updateImage(PanelFixture::picture(100, 75, Qt::green), {}, p.f.screenshotStore->items().front());
        p.f.screenshotStore->waitForPendingWrites();
        // A capture stored while the panel is closed gets its tile (and
        // thumbnail) only when the panel opens, at the front.
        p.f.screenshotStore->add(PanelFixture::picture(40, 30, Qt::yellow), CaptureKind::area);
        p.f.screenshotStore->waitForPendingWrites();
        QCOMPARE(panel.tiles().size(), 1);
        panel.show();
        QCOMPARE(panel.tiles().size(), 2);
        QCOMPARE(centre(), QColor(Qt::yellow));
        QCOMPARE(panel.tiles().value(1)->grab().toImage().pixelColor(48, 35), QColor(Qt::green));

        QImage tall(1440, 45000, QImage::Format_RGB32);
        tall.fill(Qt::darkCyan);
        tall.setPixel(1439, 44999, qRgb(255, 0, 0));
        const ScreenshotItem stored = p.f.screenshotStore->add(tall, CaptureKind::scrolling);
        tall = QImage();
        p.f.screenshotStore->waitForPendingWrites();
        ScreenshotHistoryStore reopened(p.f.settings, testFolders());
        const MenuBarActions actions = p.rec.actions();
        ScreenshotPreviewRow tile(reopened.items().front(), actions, reopened, p.f.workspace, p.f.tileHoverSync, {96, 70});
        QCOMPARE(tile.item().id, stored.id);
        QVERIFY(tile.showsThumbnail());
        tile.copyImage();
        QCOMPARE(p.rec.notices, QStringList());
        QCOMPARE(p.rec.copiedImages.last().size(), QSize(1440, 45000));
        QCOMPARE(p.rec.copiedImages.last().pixel(1439, 44999), qRgb(255, 0, 0));
    }

    void deleteKeyActsOnlyInTheShownPanel()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        const ScreenshotItem older = f.screenshotStore->add(PanelFixture::picture(20, 20, Qt::red), CaptureKind::area);
        const ScreenshotItem newer = f.screenshotStore->add(PanelFixture::picture(20, 20, Qt::green), CaptureKind::area);
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace,
                                 f.frameClock, f.tileHoverSync, rec.actions());
        panel.show();
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));

        // Pointer elsewhere: Delete leaves the tiles alone.
        pointAt(f.tileHoverSync, &panel, QPoint(5, 5));
        QTest::keyClick(&panel, Qt::Key_Delete);
        QCOMPARE(f.screenshotStore->items().size(), 2);

        // Pointer on the first tile: it alone lights up.
        ScreenshotPreviewRow* first = panel.tiles().first();
        pointAt(f.tileHoverSync, first);
        QCOMPARE(f.tileHover.hoveredID(), newer.id);
        QVERIFY(first->isHovered() && !panel.tiles().last()->isHovered());

        // While a text field has focus the key belongs to the text.
        QLineEdit* search = childNamed<QLineEdit>(*childNamed<ClipboardHistoryView>(panel, "clipboardList"), "searchField");
        search->setFocus();
        QTest::keyClick(search, Qt::Key_Backspace);
        QCOMPARE(f.screenshotStore->items().size(), 2);
        search->clearFocus();

        // Another window of the app has the keyboard: nothing happens to the tiles.
        QWidget editor;
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        f.tileHoverSync.tick();
        QTest::keyClick(&editor, Qt::Key_Delete);
        QCOMPARE(f.screenshotStore->items().size(), 2);
        editor.hide();

        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        pointAt(f.tileHoverSync, panel.tiles().first());
        QTest::keyClick(&panel, Qt::Key_Backspace);
        QCOMPARE(f.screenshotStore->items().size(), 1);
        QCOMPARE(f.screenshotStore->items().first().id, older.id);

        // Hidden panel: the poll and the key watch stop, nothing stays hovered.
        pointAt(f.tileHoverSync, panel.tiles().first());
        panel.hide();
        QVERIFY(!f.tileHoverSync.isPolling() && !f.tileHoverSync.hasKeyMonitor());
        QVERIFY(f.tileHover.hoveredID().isNull());
        QTest::keyClick(&panel, Qt::Key_Delete);
        QCOMPARE(f.screenshotStore->items().size(), 1);
    }

    void everyControlHasANameAndARole()
    {
        Panel p;
        PanelFixture& f = p.f;
        f.denyScreenRecording(); // the banner and its button too
        f.screenshotStore->add(PanelFixture::picture(40, 30, Qt::red), CaptureKind::window);
        f.clipboardStore->addText(QStringLiteral("Erster Eintrag"), std::nullopt);
        f.clipboardStore->addImage(PanelFixture::picture(20, 10, Qt::blue), std::nullopt);
        p.view->show();
        QStringList problems = unnamed(p.view.get());

        ClipboardHistoryView window(true, false, *f.clipboardStore);
        window.setQuery(QStringLiteral("Eintrag")); // the clear button shows
        problems << unnamed(&window);

        for (const CaptureIntroConfig& config : {CaptureIntroConfig::screenshot(), CaptureIntroConfig::scroll()}) {
            CaptureIntroView intro(config, QImage());
            problems << unnamed(&intro);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
};

ZENTU_TEST_MAIN(TestMenuBarPanel)
#include "tst_menubarpanel.moc"
