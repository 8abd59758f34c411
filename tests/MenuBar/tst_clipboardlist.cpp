// The clipboard list over a real store: search and type filters, empty
// states, pages of twenty, the hover following the pointer when a click copies
// an entry back to the top, and what a row says about its entry: its text as
// it is (direction controls by name), how long ago (kept current while shown),
// and a tooltip that goes with the row.
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/ClipboardRowView.h"
#include "PanelFixture.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Localization/RelativeTimeFormatter.h"
#include "Ui/SegmentedControl.h"
#include "Ui/TooltipHost.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/ChildNamed.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QCursor>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

using Filter = ClipboardHistoryView::TypeFilter;

class TestClipboardList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void searchAndFiltersFindWhatTheUserMeans()
    {
        PanelFixture f;
        auto& store = *f.clipboardStore;
        store.addText(QStringLiteral("Einkaufsliste Milch"), std::nullopt);
        store.addImage(PanelFixture::picture(1920, 1080, Qt::green), std::nullopt);
        store.addText(QString(210, QLatin1Char('x')) + QStringLiteral(" Versteckt"), std::nullopt);
        store.addImage(PanelFixture::picture(640, 480, Qt::blue), std::nullopt);
        store.addText(QStringLiteral("zweite\nZeile"), std::nullopt);
        auto count = [&](const char* query, Filter filter = Filter::all) {
            return ClipboardHistoryView::filtered(store.items(), QString::fromUtf8(query), filter).size();
        };
        QCOMPARE(count("", Filter::image), 2);
        QCOMPARE(count("", Filter::text), 3);
        // Capitals find lower case; text beyond the 200-character preview is found.
        QCOMPARE(count("MILCH"), 1);
        QCOMPARE(count("versteckt"), 1);
        // The digits of an image size and the word for images find images.
        QCOMPARE(count("1920"), 1);
        QCOMPARE(count("bild"), 2);
        QCOMPARE(count("bild", Filter::text), 0);
        // Line breaks read as blanks; blanks alone filter nothing.
        QCOMPARE(count("zweite zeile"), 1);
        QCOMPARE(count("   \n", Filter::text), 3);

        // The window's field, clear button and filter segments do the same.
        ClipboardHistoryView view(true, false, store);
        view.resize(380, 520);
        view.show();
        QTest::keyClicks(childNamed<QLineEdit>(view, "searchField"), QStringLiteral("milch"));
        QCOMPARE(view.rows().size(), 1);
        QTest::mouseClick(childNamed<QToolButton>(view, "clearButton"), Qt::LeftButton);
        QCOMPARE(view.query(), QString());
        QVERIFY(!childNamed<QToolButton>(view, "clearButton")->isVisible());
        // A segment pressed through its own accessible entry, as a screen reader does.
        QAccessibleInterface* image = QAccessible::queryAccessibleInterface(childNamed<SegmentedControl>(view, "filterControl"))->child(2);
        QCOMPARE(image->text(QAccessible::Name), QStringLiteral("Bild"));
        image->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(view.rows().size(), 2);
        QVERIFY(image->state().checked);
        view.setQuery(QStringLiteral("gibt es nicht"));
        QCOMPARE(view.emptyStateText(), QStringLiteral("Keine Treffer"));
    }

    void emptyStatesAndAFilterLeftOverFromEntries()
    {
        PanelFixture f;
        ClipboardHistoryView panel(false, true, *f.clipboardStore);
        ClipboardHistoryView window(true, false, *f.clipboardStore);
        panel.show();
        window.show();
        // Empty: the panel shows the empty state alone, the window its search field.
        QVERIFY(!panel.isSearchBlockShown());
        QVERIFY(window.isSearchBlockShown() && !window.isFilterRowShown());
        QCOMPARE(panel.emptyStateText(), QStringLiteral("Noch keine Einträge"));

        // A filter chosen while there were entries goes back to "Alle" with the
        // filter row when the history empties.
        f.clipboardStore->addText(QStringLiteral("eins"), std::nullopt);
        window.setTypeFilter(Filter::image);
        f.clipboardStore->clearAll(false);
        QVERIFY(!window.isFilterRowShown());
        QCOMPARE(window.typeFilter(), Filter::all);
        QCOMPARE(childNamed<SegmentedControl>(window, "filterControl")->currentIndex(), 0);
        QCOMPARE(window.emptyStateText(), QStringLiteral("Noch keine Einträge"));
    }

    void pagesOfTwenty()
    {
        PanelFixture f;
        for (int i = 0; i < 45; ++i)
            f.clipboardStore->addText(QStringLiteral("Eintrag %1").arg(i), std::nullopt);
        ClipboardHistoryView window(true, false, *f.clipboardStore);
        ClipboardHistoryView panel(false, true, *f.clipboardStore);
        window.resize(380, 520);
        window.show();
        panel.resize(316, 240);
        panel.show();
        QCOMPARE(window.rows().size(), 20);
        QVERIFY(window.isLoadMoreHintShown());
        // Only the last rendered row brings more.
        window.loadMoreIfNeeded(window.rows().at(5)->item());
        QCOMPARE(window.rows().size(), 20);
        window.loadMoreIfNeeded(window.rows().last()->item());
        window.loadMoreIfNeeded(window.rows().last()->item());
        QCOMPARE(window.rows().size(), 45);
        QVERIFY(!window.isLoadMoreHintShown());
        // A new entry keeps the pages; a query starts over at 20.
        f.clipboardStore->addText(QStringLiteral("neu"), std::nullopt);
        QCOMPARE(window.displayLimit(), 45);
        window.setQuery(QStringLiteral("Eintrag"));
        QCOMPARE(window.displayLimit(), 20);

        // Scrolling the panel's list to its end brings the next page by itself.
        QScrollBar* bar = childNamed<QScrollArea>(panel, "scrollArea")->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QTRY_COMPARE(panel.rows().size(), 40);
    }

    void hoverFollowsThePointer()
    {
        PanelFixture f;
        for (const char* text : {"drei", "zwei", "eins"})
            f.clipboardStore->addText(QString::fromLatin1(text), std::nullopt);
        ClipboardHistoryView view(false, true, *f.clipboardStore);
        view.resize(316, 240);
        view.move(40, 40);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto hovered = [&] {
            QStringList out;
            for (ClipboardRowView* r : view.rows())
                if (r->isHovering())
                    out << r->item().preview;
            return out;
        };

        // A click copies the third row and moves it to the top; the pointer
        // stays where it was, over what is now the third row.
        ClipboardRowView* third = view.rows().at(2);
        QCursor::setPos(third->mapToGlobal(third->rect().center()));
        QTRY_COMPARE(hovered(), QStringList{"drei"});
        QTest::mouseClick(third, Qt::LeftButton, {}, third->rect().center());
        QCOMPARE(f.clipboard.string(), std::optional<QString>(QStringLiteral("drei")));
        QCOMPARE(view.rows().first()->item().preview, QStringLiteral("drei"));
        QVERIFY(view.rows().first()->justCopied() && !view.rows().at(1)->justCopied());
        QTRY_COMPARE(hovered(), QStringList{"zwei"});
        QVERIFY(!childNamed<QToolButton>(*view.rows().first(), "favoriteButton")->isVisible());
        // The lit row's trash removes that entry.
        QTRY_VERIFY(childNamed<QToolButton>(*view.rows().at(2), "deleteButton")->isVisible());
        QTest::mouseClick(childNamed<QToolButton>(*view.rows().at(2), "deleteButton"), Qt::LeftButton);
        QCOMPARE(f.clipboardStore->items().size(), 2);
        QCOMPARE(f.clipboardStore->items().last().preview, QStringLiteral("eins"));

        // Closed under the pointer and opened again elsewhere: nothing lit.
        view.hide();
        QVERIFY2(hovered().isEmpty(), qPrintable(hovered().join(',')));
        QCursor::setPos(QPoint(600, 600));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::qWait(20);
        QVERIFY(hovered().isEmpty());
    }

    void rowDetails()
    {
        // Source names: installed application, last part of the id, whole id, none.
        const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        QDir().mkpath(apps);
        QFile desktop(apps + QStringLiteral("/org.example.Notes.desktop"));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\n[Desktop Action x]\nName=Other\n");
        desktop.close();
        X11ApplicationIdentity resolver;
        auto name = [&](std::optional<QString> id, const char* lang) { return ClipboardRowView::sourceAppName(id, &resolver, lang); };
        QCOMPARE(name(QStringLiteral("org.example.Notes"), "de"), std::optional<QString>(QStringLiteral("Notizen")));
        QCOMPARE(name(QStringLiteral("org.example.Notes"), "fr"), std::optional<QString>(QStringLiteral("Notes")));
        QCOMPARE(name(QStringLiteral("com.vendor.Missing"), "de"), std::optional<QString>(QStringLiteral("Missing")));
        QCOMPARE(name(QStringLiteral("keepassxc"), "de"), std::optional<QString>(QStringLiteral("keepassxc")));
        // Names with a dot in them are not cut at it.
        QCOMPARE(name(QStringLiteral("Zentu.it"), "de"), std::optional<QString>(QStringLiteral("Zentu.it")));
        QCOMPARE(name(QStringLiteral("Node.js"), "de"), std::optional<QString>(QStringLiteral("Node.js")));
        // The app's own id names the app, installed or not.
        QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Zentu.it"));
        QCOMPARE(name(QStringLiteral("com.quorel.zentu"), "de"), std::optional<QString>(QStringLiteral("Zentu.it")));
        QGuiApplication::setDesktopFileName(QString());
        // Never looked up as a path.
        QCOMPARE(name(QStringLiteral("../../etc/passwd"), "de"), std::optional<QString>(QStringLiteral("../../etc/passwd")));
        QVERIFY(!name(QString(), "de") && !name(std::nullopt, "de"));

        // An image whose file is gone shows a badge instead of a broken picture.
        PanelFixture f;
        f.clipboardStore->addImage(PanelFixture::picture(30, 20, Qt::red), std::nullopt);
        const ClipboardItem image = f.clipboardStore->items().first();
        f.clipboardStore->waitForPendingWrites();
        QVERIFY(ClipboardRowView(image, true, *f.clipboardStore, &resolver).showsImageThumbnail());
        QVERIFY(QFile::remove(testFolders().clipboardImagesDirectory() + QLatin1Char('/') + *image.imageFileName));
        QVERIFY(!ClipboardRowView(image, true, *f.clipboardStore, &resolver).showsImageThumbnail());
    }

    void rowsSayWhatIsThereAndHowLongAgoUntilTheyGo()
    {
        PanelFixture f;
        auto& store = *f.clipboardStore;
        // A right-to-left override would show "Rechnung" + "exe.pdf": the row
        // writes the mark by name instead, exactly as that text would look.
        store.addText(QStringLiteral("Rechnung\u202Efdp.exe"), std::nullopt);
        store.addText(QStringLiteral("Rechnung[RLO]fdp.exe"), std::nullopt);
        const auto picture = [&](const ClipboardItem& item) {
            ClipboardRowView row(item, false, store, nullptr);
            row.resize(360, row.heightForWidth(360));
            return row.grab().toImage();
        };
        ClipboardItem overridden = store.items().at(1), named = store.items().at(0);
        // Two days ago: the same time text, whenever the rows are drawn.
        overridden.createdAt = named.createdAt = QDateTime::currentDateTimeUtc().addDays(-2);
        QCOMPARE(picture(overridden), picture(named));

        // Shown, the rows' times follow the clock, all together; hidden, nothing ticks.
        QCursor::setPos(5000, 5000);
        ManualDelayScheduler delays;
        ClipboardHistoryView view(true, false, store);
        auto* tips = new TooltipHost(delays, &view);
        view.resize(380, 520);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QList<ClipboardRowView*> rows = view.rows();
        QCOMPARE(rows.size(), 2);
        const QString first = rows[0]->shownTime();
        QTRY_VERIFY(view.clock()->isActive() && view.clock()->remainingTime() <= 1000 + ClipboardHistoryView::tickSlackMs);
        QTRY_VERIFY_WITH_TIMEOUT(rows[0]->shownTime() != first, 3000);
        QCOMPARE(rows[1]->shownTime(), rows[0]->shownTime());
        // A minute on, the next change is a minute away, not a second.
        QDateTime minuteAgo = QDateTime::currentDateTimeUtc().addSecs(-61);
        QVERIFY(RelativeTimeFormatter::msUntilChange(minuteAgo, minuteAgo.addSecs(61)) == 59 * 1000);
        QVERIFY(RelativeTimeFormatter::msUntilChange(minuteAgo, minuteAgo.addMSecs(500)) == 500);
        QCOMPARE(RelativeTimeFormatter::msUntilChange(minuteAgo, minuteAgo.addSecs(3 * 3600 + 5)), qint64(3600 - 5) * 1000);

        // "Klicken zum Kopieren" goes with its row when a search filters it away.
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), rows[1]->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(rows[1], &enter);
        delays.advance(TooltipHost::showDelayMs);
        QCOMPARE(tips->shownText(), QStringLiteral("Klicken zum Kopieren"));
        QVERIFY(tips->window()->isVisible());
        view.setQuery(QStringLiteral("[RLO]"));
        QCOMPARE(view.rows().size(), 1);
        QVERIFY(!tips->isShowing() && !tips->window()->isVisible());

        view.hide();
        QVERIFY(!view.clock()->isActive());
    }
};

ZENTU_TEST_MAIN(TestClipboardList)
#include "tst_clipboardlist.moc"
