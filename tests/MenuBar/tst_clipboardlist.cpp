#include "Localization/Localizer.h"
#include "Localization/RelativeTimeFormatter.h"
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/ClipboardRowView.h"
#include "PanelFixture.h"
#include "Platform/Qt/XdgAppNameResolver.h"
#include "Storage/Storage.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Theme.h"
#include "support/IsolatedEnvironment.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QToolButton>

using Filter = ClipboardHistoryView::TypeFilter;

class TestClipboardList : public QObject {
    Q_OBJECT

    static QStringList previews(const QList<ClipboardItem>& items)
    {
        QStringList out;
        for (const auto& i : items)
            out << i.preview;
        return out;
    }

private Q_SLOTS:
    void searchAndFilterAgainstTheStore()
    {
        PanelFixture f;
        auto& store = *f.clipboardStore;
        store.addText(QStringLiteral("Einkaufsliste Milch"), std::nullopt);
        store.addImage(PanelFixture::picture(1920, 1080, Qt::green), std::nullopt);
        store.addText(QString(210, QLatin1Char('x')) + QStringLiteral(" Versteckt"), std::nullopt);
        store.addImage(PanelFixture::picture(640, 480, Qt::blue), std::nullopt);
        store.addText(QStringLiteral("zweite\nZeile"), std::nullopt);
        const auto& items = store.items();
        QCOMPARE(items.size(), 5);

        // Type filters keep the store's order.
        QCOMPARE(ClipboardHistoryView::filtered(items, {}, Filter::all).size(), 5);
        QCOMPARE(previews(ClipboardHistoryView::filtered(items, {}, Filter::image)),
                 (QStringList{QStringLiteral("640×480"), QStringLiteral("1920×1080")}));
        QCOMPARE(ClipboardHistoryView::filtered(items, {}, Filter::text).size(), 3);
        // Capitals find lower case; text beyond the 200-character preview is found.
        QCOMPARE(ClipboardHistoryView::filtered(items, QStringLiteral("MILCH"), Filter::all).size(), 1);
        QCOMPARE(ClipboardHistoryView::filtered(items, QStringLiteral("versteckt"), Filter::all).size(), 1);
        // The digits of an image size, and the word for images, find images.
        QCOMPARE(previews(ClipboardHistoryView::filtered(items, QStringLiteral("1920"), Filter::all)),
                 QStringList{QStringLiteral("1920×1080")});
        QCOMPARE(ClipboardHistoryView::filtered(items, QStringLiteral("bild"), Filter::all).size(), 2);
        QCOMPARE(ClipboardHistoryView::filtered(items, QStringLiteral("bild"), Filter::text).size(), 0);
        // Line breaks became blanks in the preview; blanks alone filter nothing.
        QCOMPARE(ClipboardHistoryView::filtered(items, QStringLiteral("zweite zeile"), Filter::all).size(), 1);
        QCOMPARE(ClipboardHistoryView::filtered(items, QStringLiteral("   \n"), Filter::text).size(), 3);

        // The view shows the same, through its own field and filter.
        ClipboardHistoryView view(true, false, store);
        view.resize(380, 520);
        view.show();
        QTest::keyClicks(view.searchField(), QStringLiteral("milch"));
        QCOMPARE(view.rows().size(), 1);
        QVERIFY(view.clearButton()->isVisible());
        QTest::mouseClick(view.clearButton(), Qt::LeftButton);
        QCOMPARE(view.query(), QString());
        QVERIFY(!view.clearButton()->isVisible());
        QCOMPARE(view.rows().size(), 5);
        QTest::mouseClick(view.filterControl(), Qt::LeftButton, {},
                          view.filterControl()->segmentRect(2).center().toPoint());
        QCOMPARE(view.typeFilter(), Filter::image);
        QCOMPARE(view.rows().size(), 2);
        QTest::mouseClick(view.filterControl(), Qt::LeftButton, {},
                          view.filterControl()->segmentRect(1).center().toPoint());
        view.setQuery(QStringLiteral("gibt es nicht"));
        QVERIFY(view.isEmptyStateShown());
        QCOMPARE(view.emptyStateText(), QStringLiteral("Keine Treffer"));
    }

    void emptyStates()
    {
        PanelFixture f;
        ClipboardHistoryView panel(false, true, *f.clipboardStore);
        ClipboardHistoryView window(true, false, *f.clipboardStore);
        panel.show();
        window.show();
        // Empty history: the panel shows only the empty state, the window the search field alone.
        QVERIFY(!panel.isSearchBlockShown());
        QVERIFY(window.isSearchBlockShown());
        QVERIFY(!window.isFilterRowShown());
        QCOMPARE(panel.emptyStateText(), QStringLiteral("Noch keine Einträge"));
        // Blanks are a query: the search block stays, and nothing matches.
        panel.setQuery(QStringLiteral("  "));
        QVERIFY(panel.isSearchBlockShown());
        QCOMPARE(panel.emptyStateText(), QStringLiteral("Keine Treffer"));
        panel.setQuery(QString());

        // A filter chosen while there were entries drops back to "Alle" when the
        // history empties and the filter row goes away.
        f.clipboardStore->addText(QStringLiteral("eins"), std::nullopt);
        QVERIFY(window.isFilterRowShown());
        window.setTypeFilter(Filter::image);
        QCOMPARE(window.emptyStateText(), QStringLiteral("Keine Treffer"));
        f.clipboardStore->clearAll(false);
        QVERIFY(!window.isFilterRowShown());
        QCOMPARE(window.typeFilter(), Filter::all);
        QCOMPARE(window.filterControl()->currentIndex(), 0);
        QCOMPARE(window.emptyStateText(), QStringLiteral("Noch keine Einträge"));
    }

    void pagesOfTwenty()
    {
        PanelFixture f;
        for (int i = 0; i < 45; ++i)
            f.clipboardStore->addText(QStringLiteral("Eintrag %1").arg(i), std::nullopt);
        ClipboardHistoryView window(true, false, *f.clipboardStore);
        ClipboardHistoryView panel(false, true, *f.clipboardStore);
        QCOMPARE(window.rows().size(), 20);
        QVERIFY(!window.isLoadMoreHintShown() || !window.isVisible());
        window.resize(380, 520);
        window.show();
        panel.resize(316, 240);
        panel.show();
        QVERIFY(window.isLoadMoreHintShown());
        QVERIFY(!panel.isLoadMoreHintShown());
        // Only the last rendered row brings more.
        window.loadMoreIfNeeded(window.rows().at(5)->item());
        QCOMPARE(window.displayLimit(), 20);
        window.loadMoreIfNeeded(window.rows().last()->item());
        QCOMPARE(window.rows().size(), 40);
        window.loadMoreIfNeeded(window.rows().last()->item());
        QCOMPARE(window.rows().size(), 45);
        QVERIFY(!window.isLoadMoreHintShown());
        // Query and filter changes start over at 20; store changes do not.
        window.setTypeFilter(Filter::text);
        QCOMPARE(window.displayLimit(), 20);
        window.loadMoreIfNeeded(window.rows().last()->item());
        f.clipboardStore->addText(QStringLiteral("neu"), std::nullopt);
        QCOMPARE(window.displayLimit(), 40);
        window.setQuery(QStringLiteral("Eintrag"));
        QCOMPARE(window.displayLimit(), 20);

        // Scrolling the panel's list to its end brings the next page by itself.
        QScrollBar* bar = panel.scrollArea()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QTRY_COMPARE(panel.rows().size(), 40);
        QVERIFY(!panel.isLoadMoreHintShown());
    }

    void rowActionsReachTheStore()
    {
        PanelFixture f;
        auto& store = *f.clipboardStore;
        store.addText(QStringLiteral("alt"), std::nullopt);
        store.addText(QStringLiteral("neu"), std::nullopt);
        int internalWrites = 0;
        store.onInternalWrite = [&] { ++internalWrites; };
        ClipboardHistoryView view(false, true, store);
        view.resize(316, 240);
        view.show();
        ClipboardRowView* old = view.rows().at(1);
        QCOMPARE(old->item().preview, QStringLiteral("alt"));
        QVERIFY(!old->justCopied());

        // Click: back on the clipboard, marked copied, moved to the top.
        QTest::mouseClick(old, Qt::LeftButton, {}, QPoint(20, old->height() / 2));
        QCOMPARE(f.clipboard.string(), std::optional<QString>(QStringLiteral("alt")));
        QCOMPARE(internalWrites, 1);
        QCOMPARE(view.rows().first()->item().preview, QStringLiteral("alt"));
        QVERIFY(view.rows().first()->justCopied());
        QVERIFY(!view.rows().at(1)->justCopied());
        // The badge moves with the next copy.
        QTest::mouseClick(view.rows().at(1), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(f.clipboard.string(), std::optional<QString>(QStringLiteral("neu")));
        QVERIFY(view.rows().first()->justCopied());
        QVERIFY(!view.rows().at(1)->justCopied());

        // Hover shows star and trash; the star toggles without copying.
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        ClipboardRowView* row = view.rows().at(1);
        QCursor::setPos(row->mapToGlobal(row->rect().center()));
        QTRY_VERIFY(row->favoriteButton()->isVisible());
        QCOMPARE(row->backgroundFill(), Theme::primary(0.08, row));
        const QString before = *f.clipboard.string();
        QTest::mouseClick(row->favoriteButton(), Qt::LeftButton);
        QVERIFY(store.items().at(1).isFavorite);
        QCOMPARE(*f.clipboard.string(), before);
        QCOMPARE(internalWrites, 2);
        QTest::qWait(20);
        QVERIFY(row->isHovering()); // the row under the pointer keeps its state
        QCursor::setPos(view.mapToGlobal(QPoint(-50, -50)));
        QTRY_VERIFY(!row->favoriteButton()->isVisible());
        QCOMPARE(row->backgroundFill(), Theme::withAlpha(Theme::yellow(), 0.1));

        QCursor::setPos(row->mapToGlobal(row->rect().center()));
        QTRY_VERIFY(row->deleteButton()->isVisible());
        QTest::mouseClick(row->deleteButton(), Qt::LeftButton);
        QCOMPARE(store.items().size(), 1);
        QCOMPARE(view.rows().size(), 1);
    }

    void hoverFollowsThePointer()
    {
        PanelFixture f;
        auto& store = *f.clipboardStore;
        for (const char* text : {"drei", "zwei", "eins"})
            store.addText(QString::fromLatin1(text), std::nullopt);
        ClipboardHistoryView view(false, true, store);
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
        const QPoint spot = third->mapToGlobal(third->rect().center());
        QCursor::setPos(spot);
        QTRY_COMPARE(hovered(), QStringList{"drei"});
        QTest::mouseClick(third, Qt::LeftButton, {}, third->rect().center());
        QCOMPARE(view.rows().first()->item().preview, QStringLiteral("drei"));
        QTRY_COMPARE(hovered(), QStringList{"zwei"});
        QVERIFY(!view.rows().first()->favoriteButton()->isVisible());

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
        XdgAppNameResolver resolver;
        QCOMPARE(ClipboardRowView::sourceAppName(QStringLiteral("org.example.Notes"), &resolver, "de"),
                 std::optional<QString>(QStringLiteral("Notizen")));
        QCOMPARE(ClipboardRowView::sourceAppName(QStringLiteral("org.example.Notes"), &resolver, "fr"),
                 std::optional<QString>(QStringLiteral("Notes")));
        QCOMPARE(ClipboardRowView::sourceAppName(QStringLiteral("com.vendor.Missing"), &resolver, "de"),
                 std::optional<QString>(QStringLiteral("Missing")));
        QCOMPARE(ClipboardRowView::sourceAppName(QStringLiteral("keepassxc"), &resolver, "de"),
                 std::optional<QString>(QStringLiteral("keepassxc")));
        QCOMPARE(ClipboardRowView::sourceAppName(QStringLiteral("../../etc/passwd"), &resolver, "de"),
                 std::optional<QString>(QStringLiteral("/etc/passwd"))); // never looked up as a path
        QVERIFY(!ClipboardRowView::sourceAppName(QString(), &resolver, "de"));
        QVERIFY(!ClipboardRowView::sourceAppName(std::nullopt, &resolver, "de"));

        // An image whose file is gone shows the photo badge; a text the text badge.
        PanelFixture f;
        f.clipboardStore->addImage(PanelFixture::picture(30, 20, Qt::red), std::nullopt);
        f.clipboardStore->addText(QStringLiteral("t"), std::nullopt);
        ClipboardRowView textRow(f.clipboardStore->items().at(0), true, *f.clipboardStore, &resolver);
        QCOMPARE(textRow.iconSymbol(), QStringLiteral("doc.plaintext"));
        const ClipboardItem image = f.clipboardStore->items().at(1);
        ClipboardRowView imageRow(image, true, *f.clipboardStore, &resolver);
        QVERIFY(imageRow.showsImageThumbnail());
        f.clipboardStore->waitForPendingWrites();
        QVERIFY(QFile::remove(testFolders().clipboardImagesDirectory() + QLatin1Char('/') + *image.imageFileName));
        ClipboardRowView missing(image, true, *f.clipboardStore, &resolver);
        QVERIFY(!missing.showsImageThumbnail());
        QCOMPARE(missing.iconSymbol(), QStringLiteral("photo"));

        // Relative times in the interface language.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QCOMPARE(RelativeTimeFormatter::abbreviated(now.addSecs(-300), now, "de"), QStringLiteral("vor 5 Min."));
        QCOMPARE(RelativeTimeFormatter::abbreviated(now.addSecs(-300), now, "en"), QStringLiteral("5 min. ago"));
        QCOMPARE(RelativeTimeFormatter::abbreviated(now.addSecs(-3 * 86400), now, "en"), QStringLiteral("3 days ago"));
        QCOMPARE(RelativeTimeFormatter::abbreviated(now.addSecs(-59), now, "en"), QStringLiteral("59 sec. ago"));
    }
};

ZENTU_TEST_MAIN(TestClipboardList)
#include "tst_clipboardlist.moc"
