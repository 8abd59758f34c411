// The widget kit: clicks that land in padding and on segment edges count, the
// frame clock stops once nothing is shown, the hover group's open and close
// timing, one kind of delayed tooltip that never covers its control,
// see-through windows that follow the compositor, the colour well with the
// colour panel bridge, and symbol names that all resolve to a glyph of their
// own.
#include "Editor/CompactColorWell.h"
#include "Editor/SwatchButton.h"
#include "Text/ButtonText.h"
#include "Ui/ColorPanelController.h"
#include "Ui/FrameClock.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/HoverRowButton.h"
#include "Ui/IconRegistry.h"
#include "Ui/Popover.h"
#include "Ui/ProminentButton.h"
#include "Ui/SegmentedControl.h"
#include "Ui/TooltipHost.h"
#include "Ui/TransientUi.h"
#include "fakes/FakeCompositingInfo.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/ChildNamed.h"
#include "support/IsolatedEnvironment.h"
#include "support/ProgramSources.h"

#include <QAccessible>
#include <QColorDialog>
#include <QEnterEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>

namespace {

void enter(QWidget* w)
{
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(w, &e);
}
void leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// Every symbol name the program's sources hand to the icon registry: string
// literals in a statement that paints or names a symbol, literals returned by
// functions that give symbol names, and dotted names anywhere (which are
// symbols unless they are settings keys, identifiers or file names).
QSet<QString> symbolNamesInSources()
{
    static const QRegularExpression literal(QStringLiteral("\"([a-z][a-z0-9]*(?:\\.[a-z0-9]+)*)\""));
    static const QRegularExpression symbolStatement(
        QStringLiteral("IconRegistry::|[sS]ymbol|systemImage|HoverRowButton\\(|CaptureButton\\(|ZoomButton\\(|showToast\\("));
    static const QRegularExpression symbolFunction(
        QStringLiteral("\\b\\w*(?:[sS]ymbol|systemImage)\\w*\\s*\\([^;{}]*\\)\\s*(?:const\\s*)?\\{"));
    static const QRegularExpression notASymbol(
        QStringLiteral("^(?:zentu|app|com|org|me|io|net)\\.|\\.(?:json|png|jpg|log|conf|desktop|ttf|plist|svg|txt|qm|css)$"));
    QSet<QString> names;
    for (const auto& [path, text] : programSources().asKeyValueRange()) {
        if (path == QLatin1String("Ui/IconRegistry.cpp"))
            continue;
        auto collect = [&](const QString& piece, bool dottedOnly) {
            for (auto m = literal.globalMatch(piece); m.hasNext();) {
                const QString name = m.next().captured(1);
                if ((!dottedOnly || name.contains(QLatin1Char('.'))) && !notASymbol.match(name).hasMatch())
                    names.insert(name);
            }
        };
        collect(text, true);
        for (const QString& statement : text.split(QRegularExpression(QStringLiteral("[;{}]"))))
            if (symbolStatement.match(statement).hasMatch())
                collect(statement, false);
        for (auto m = symbolFunction.globalMatch(text); m.hasNext();) {
            // The function's body, up to its matching brace.
            const auto match = m.next();
            int depth = 1;
            qsizetype end = match.capturedEnd();
            while (end < text.size() && depth > 0) {
                depth += text[end] == QLatin1Char('{') ? 1 : text[end] == QLatin1Char('}') ? -1 : 0;
                ++end;
            }
            collect(text.mid(match.capturedEnd(), end - match.capturedEnd()), false);
        }
    }
    return names;
}

} // namespace

class TestWidgetKit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hoverRowTakesClicksInItsPadding()
    {
        HoverRowButton b(QStringLiteral("gearshape"), QStringLiteral("Einstellungen"));
        b.show();
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(clicked.count(), 1);
    }

    void segmentedControlSelectsByClick()
    {
        SegmentedControl c({QStringLiteral("Alle"), QStringLiteral("Text"), QStringLiteral("Bild")});
        c.resize(300, c.sizeHint().height());
        c.show();
        QSignalSpy changed(&c, &SegmentedControl::currentIndexChanged);
        QCOMPARE(c.segmentRect(0).width(), c.segmentRect(2).width());
        // A click on the edge of a segment, away from its text, selects it too.
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.segmentRect(2).topRight().toPoint() + QPoint(-2, 2));
        QCOMPARE(c.currentIndex(), 2);
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.segmentRect(2).center().toPoint());
        QCOMPARE(changed.count(), 1);
    }

    void frameClockRunsOnlyWhileSomethingIsShown()
    {
        FrameClock clock;
        QWidget w;
        clock.attach(&w);
        QVERIFY(!clock.isRunning());
        w.show();
        clock.attach(&w);
        QVERIFY(clock.isRunning());
        w.hide();
        QTRY_VERIFY(!clock.isRunning());
        clock.detach(&w);
    }

    void hoverGroupOpensAndClosesOnTime()
    {
        ManualDelayScheduler clock;
        QWidget window;
        auto* chip = new QLabel(QStringLiteral("chip"));
        QPushButton* choice = nullptr;
        auto* group = new HoverExpandGroup(
            chip,
            [&choice](std::function<void()> close) {
                choice = new QPushButton(QStringLiteral("choose"));
                QObject::connect(choice, &QPushButton::clicked, close);
                return choice;
            },
            clock, &window);
        window.show();

        // Resting on the chip opens it; moving into the popover within 0.3 s keeps it open.
        enter(group);
        QVERIFY(group->isOpen() && group->popover()->isVisible());
        QCOMPARE(group->popover()->mode(), Popover::Mode::hover);
        leave(group);
        clock.advance(HoverExpandGroup::closeDelayMs - 1);
        enter(group->popover());
        clock.advance(1000);
        QVERIFY(group->isOpen());
        // Leaving both closes it 0.3 s later.
        leave(group->popover());
        clock.advance(HoverExpandGroup::closeDelayMs);
        QVERIFY(!group->isOpen() && !group->popover()->isVisible());

        // A click toggles; a close scheduled before it never acts later.
        enter(group);
        leave(group);
        QTest::mouseClick(group, Qt::LeftButton);
        QVERIFY(!group->isOpen());
        QCOMPARE(clock.pendingCount(), 0);
        QTest::mouseClick(group, Qt::LeftButton);
        QVERIFY(group->isOpen());
        clock.advance(1000);
        QVERIFY(group->isOpen());

        // A control that closes the group closes it at once, pointer inside or not.
        enter(group->popover());
        QTest::mouseClick(choice, Qt::LeftButton);
        QVERIFY(!group->isOpen());
        // A group taken off the toolbar closes and leaves nothing pending.
        enter(group);
        leave(group);
        group->hide();
        QVERIFY(!group->isOpen());
        QCOMPARE(clock.pendingCount(), 0);
    }

    void oneKindOfTooltipThatNeverCoversItsControl()
    {
        QCursor::setPos(5000, 5000); // the pointer rests on none of the controls
        ManualDelayScheduler clock;
        QWidget root;
        root.setGeometry(100, 100, 600, 300);
        auto* a = new QPushButton(QStringLiteral("A"), &root);
        auto* b = new QPushButton(QStringLiteral("B"), &root);
        auto* undo = new QPushButton(QStringLiteral("U"), &root);
        a->setGeometry(20, 20, 40, 24);
        b->setGeometry(62, 20, 40, 24);
        undo->setGeometry(104, 20, 26, 22);
        auto* host = new TooltipHost(clock, &root);
        root.show();
        QVERIFY(QTest::qWaitForWindowExposed(&root));
        gooeyTip(a, QStringLiteral("Kopieren"));
        gooeyTip(b, QStringLiteral("OCR"));
        undo->setToolTip(QStringLiteral("Rückgängig (Ctrl+Z)"));
        QCOMPARE(TooltipHost::forControl(a), host);

        // Passing over in less than 0.3 s shows nothing.
        enter(a);
        clock.advance(TooltipHost::showDelayMs - 1);
        leave(a);
        clock.advance(1000);
        QVERIFY(!host->isShowing());

        enter(a);
        clock.advance(TooltipHost::showDelayMs);
        QCOMPARE(host->shownControl(), a);
        TooltipWindow* tip = host->window();
        QVERIFY(tip && tip->isVisible());
        // Centred under its control and never over it, also where it starts sliding in.
        const QRect aOnScreen(a->mapToGlobal(QPoint(0, 0)), a->size());
        QVERIFY(host->bubbleRect().top() - tip->startLift() >= aOnScreen.top() + aOnScreen.height());
        QVERIFY(qAbs(host->bubbleRect().center().x() - (aOnScreen.left() + aOnScreen.width() / 2.0)) <= 1);

        // A control that only has the platform's tooltip text gets the app's
        // tip; the platform's own never shows.
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), undo->mapToGlobal(QPoint(2, 2)));
        QVERIFY(QApplication::sendEvent(undo, &help));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!(w->inherits("QTipLabel") && w->isVisible()));
        leave(a);
        QVERIFY(!host->isShowing() && !tip->isVisible());
        enter(undo);
        clock.advance(TooltipHost::showDelayMs);
        QCOMPARE(host->shownControl(), undo);
        QCOMPARE(host->shownText(), QStringLiteral("Rückgängig (Ctrl+Z)"));

        // To the neighbour: the first tip goes at once, the second comes after its own rest.
        leave(undo);
        QVERIFY(!host->isShowing());
        enter(b);
        clock.advance(TooltipHost::showDelayMs);
        QCOMPARE(host->shownText(), QStringLiteral("OCR"));
        // Pressing the control takes its tip away; so does the control disappearing.
        QTest::mousePress(b, Qt::LeftButton);
        QVERIFY(!host->isShowing());
        QTest::mouseRelease(b, Qt::LeftButton);
        enter(a);
        clock.advance(TooltipHost::showDelayMs);
        a->hide();
        QVERIFY(!host->isShowing());

        // Controls in a popover opened from the window are served too, and
        // their tips may reach beyond the popover; a dialog is a place of its own.
        Popover popover(Popover::Mode::hover, b);
        auto* inside = new QPushButton(QStringLiteral("in"));
        inside->setToolTip(QStringLiteral("Rechteck (R)"));
        popover.setContent(inside);
        popover.showAt(b);
        QCOMPARE(TooltipHost::forControl(inside), host);
        enter(inside);
        clock.advance(TooltipHost::showDelayMs);
        QCOMPARE(host->shownControl(), inside);
        QVERIFY(!popover.geometry().contains(host->bubbleRect().toRect()));
        QWidget dialog(&root, Qt::Dialog);
        QCOMPARE(TooltipHost::forControl(new QPushButton(&dialog)), nullptr);

        // Where the screen ends below the control, the tip hangs above it, on the screen.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QWidget low;
        low.setGeometry(screen.right() - 60, screen.bottom() - 39, 60, 40);
        auto* corner = new QPushButton(QStringLiteral("C"), &low);
        corner->setGeometry(30, 10, 30, 24);
        corner->setToolTip(QStringLiteral("Ein langer Text am Rand des Bildschirms"));
        auto* lowHost = new TooltipHost(clock, &low);
        low.show();
        enter(corner);
        clock.advance(TooltipHost::showDelayMs);
        QVERIFY(lowHost->isShowing());
        QVERIFY(lowHost->bubbleRect().bottom() <= corner->mapToGlobal(QPoint(0, 0)).y());
        QVERIFY(QRectF(screen).contains(lowHost->bubbleRect()));
    }

    void seeThroughWindowsFollowTheCompositor()
    {
        auto compositor = std::make_shared<FakeCompositingInfo>();
        const QColor magenta(255, 0, 255);
        QList<QRect> stills;
        TransientUi ui(nullptr, compositor, [&](const QRect& r) {
            stills << r;
            QImage still(r.size(), QImage::Format_ARGB32_Premultiplied);
            still.fill(magenta);
            return still;
        });
        QWidget window;
        window.setGeometry(100, 100, 400, 300);
        auto* anchor = new QPushButton(QStringLiteral("chip"), &window);
        anchor->setGeometry(150, 20, 60, 24);
        window.show();
        Popover popover(Popover::Mode::hover, anchor);
        auto* content = new QWidget;
        content->setFixedSize(200, 80);
        popover.setContent(content);
        const auto blackOrClear = [&](const QImage& shot, const QRegion& where) {
            for (const QRect& r : where)
                for (int y = r.top(); y <= r.bottom(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x) {
                        const QRgb c = shot.pixel(x, y);
                        if (qAlpha(c) < 255 || qRed(c) + qGreen(c) + qBlue(c) < 150)
                            return true;
                    }
            return false;
        };

        // No compositor: cut to the card and its arrow, edge pixels over a
        // still of the popover's own rectangle taken as it shows.
        popover.showAt(anchor);
        QCOMPARE(stills, QList<QRect>{popover.geometry()});
        QVERIFY(!popover.isCompositing() && popover.hasStill());
        const QRegion cut = popover.mask();
        QVERIFY(cut.contains(popover.rect().center()));
        QVERIFY(!cut.contains(QPoint(0, Popover::arrowHeight))); // a rounded corner
        QVERIFY(!cut.contains(QPoint(0, 0)));                     // beside the arrow
        QImage shot = popover.grab().toImage();
        QVERIFY(!blackOrClear(shot, cut));
        int tinted = 0;
        for (const QRect& r : cut)
            for (int x = r.left(); x <= r.right(); ++x)
                tinted += qRed(shot.pixel(x, r.top())) > qGreen(shot.pixel(x, r.top())) + 30;
        QVERIFY2(tinted > 10, "the edge pixels blend the card into what lay beneath");

        // A compositor starts: really translucent, uncut, no still.
        compositor->set(true);
        QVERIFY(popover.isCompositing() && !popover.hasStill() && popover.mask().isEmpty());
        QCOMPARE(qAlpha(popover.grab().toImage().pixel(0, Popover::arrowHeight)), 0);
        popover.hide();
        stills.clear();
        popover.showAt(anchor);
        QVERIFY(stills.isEmpty());

        // It stops while the popover is open: cut again at once; the screen
        // beneath is covered now, so the edges take the card's colour.
        compositor->set(false);
        QVERIFY(!popover.isCompositing() && !popover.hasStill());
        QCOMPARE(popover.mask(), cut);
        QVERIFY(!blackOrClear(popover.grab().toImage(), cut));
        // Shown anew it takes a still again, which a move leaves behind.
        popover.hide();
        popover.showAt(anchor);
        QVERIFY(popover.hasStill());
        popover.move(popover.pos() + QPoint(10, 0));
        QVERIFY(!popover.hasStill());

        // The tooltip window is one of them.
        ManualDelayScheduler clock;
        auto* host = new TooltipHost(clock, &window);
        gooeyTip(anchor, QStringLiteral("Seitenverhältnis"));
        enter(anchor);
        clock.advance(TooltipHost::showDelayMs);
        QVERIFY(host->isShowing());
        QCOMPARE(stills.last(), host->window()->geometry());
        QVERIFY(host->window()->hasStill() && !host->window()->mask().isEmpty());
    }

    void colourWellKeepsOpacityAndTalksToThePanel()
    {
        ColorPanelController panel;
        QWidget window;
        auto* fill = new CompactColorWell(panel, &window);
        auto* badge = new CompactColorWell(panel, &window);
        window.show();
        QList<RGBAColor> fillEdits, badgeEdits;
        connect(fill, &CompactColorWell::colorEdited, [&](const RGBAColor& c) { fillEdits << c; });
        connect(badge, &CompactColorWell::colorEdited, [&](const RGBAColor& c) { badgeEdits << c; });

        // 25 % opacity survives a palette colour; the popover stays open.
        fill->setColor({1, 0, 0, 0.25});
        QVERIFY(fillEdits.isEmpty());
        QTest::mouseClick(fill, Qt::LeftButton);
        QVERIFY(fill->isPopoverOpen());
        QTest::mouseClick(fill->swatches()[4], Qt::LeftButton);
        const RGBAColor blue = RGBAColor::palette()[4];
        QCOMPARE(fillEdits.last(), (RGBAColor{blue.red, blue.green, blue.blue, 0.25}));
        QVERIFY(fill->isPopoverOpen());
        childNamed<QSlider>(*fill, "opacitySlider")->setValue(290);
        QCOMPARE(fillEdits.last().alpha, 0.29);
        QCOMPARE(childNamed<QLabel>(*fill, "opacityText")->text(), QStringLiteral("29%"));

        // "Weitere Farben…" hands the colour to the panel and closes the popover;
        // presenting it is no change of colour.
        const qsizetype beforePanel = fillEdits.size();
        QTest::mouseClick(childNamed<HoverRowButton>(*fill, "moreColorsButton"), Qt::LeftButton);
        QVERIFY(!fill->isPopoverOpen());
        QVERIFY(panel.panel()->isVisible());
        QVERIFY(panel.panel()->testOption(QColorDialog::ShowAlphaChannel));
        QCOMPARE(panel.panel()->currentColor().rgba(), fill->color().toQColor().rgba());
        QCOMPARE(fillEdits.size(), beforePanel);
        panel.panel()->setCurrentColor(QColor(0, 128, 0, 200));
        QTRY_COMPARE(fillEdits.last().toQColor(), QColor(0, 128, 0, 200));
        QCOMPARE(fillEdits.size(), beforePanel + 1); // one edit, however many steps the dialog reports

        // The last well that presented the panel gets its changes, and only it.
        QTest::mouseClick(badge, Qt::LeftButton);
        QTest::mouseClick(childNamed<HoverRowButton>(*badge, "moreColorsButton"), Qt::LeftButton);
        const qsizetype fillCount = fillEdits.size();
        panel.panel()->setCurrentColor(QColor(1, 2, 3));
        QTRY_VERIFY(!badgeEdits.isEmpty());
        QCOMPARE(badgeEdits.last().toQColor(), QColor(1, 2, 3));
        QCOMPARE(fillEdits.size(), fillCount);

        // A well that goes away takes its callback along: later changes go nowhere.
        delete badge;
        QVERIFY(!panel.hasCallback());
        panel.panel()->setCurrentColor(QColor(9, 9, 9));
        QCoreApplication::processEvents(); // a delivery would be queued
        QCOMPARE(fillEdits.size(), fillCount);
        QCOMPARE(badgeEdits.last().toQColor(), QColor(1, 2, 3));
        // Any well can present it again.
        QTest::mouseClick(fill, Qt::LeftButton);
        QTest::mouseClick(childNamed<HoverRowButton>(*fill, "moreColorsButton"), Qt::LeftButton);
        panel.panel()->setCurrentColor(QColor(4, 5, 6));
        QTRY_COMPARE(fillEdits.last().toQColor(), QColor(4, 5, 6));

        // Another controller has a panel of its own, which its end closes
        // (the program ends its one before the application).
        auto other = std::make_unique<ColorPanelController>();
        other->present(Qt::red, &window, [](const QColor&) {});
        QPointer<QColorDialog> otherPanel = other->panel();
        QVERIFY(otherPanel && otherPanel != panel.panel() && panel.hasCallback());
        other.reset();
        QVERIFY(otherPanel.isNull());
        QVERIFY(panel.panel()->isVisible());
    }

    // An "&" in a text is shown as written, by Qt's own buttons and by ours
    // that paint themselves, and makes no Alt shortcut.
    void ampersandsShowAsWritten()
    {
        const QString text = QStringLiteral("Hilfe & FAQ");
        QCOMPARE(ButtonText::shown(ButtonText::escaped(text)), text);
        QCOMPARE(ButtonText::shown(QStringLiteral("&Datei")), QStringLiteral("Datei"));
        QPushButton plain(ButtonText::escaped(text));
        HoverRowButton row(QString(), text);
        ProminentButton prominent(text);
        for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{&plain, &row, &prominent}) {
            QVERIFY(b->shortcut().isEmpty());
            QCOMPARE(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name), text);
        }
    }

    void everySymbolTheSourcesUseDrawsAsItself()
    {
        const QSet<QString> names = symbolNamesInSources();
        // The scan sees the names of every path: tools, toolbar, panel, toasts.
        for (const char* expected : {"cursorarrow", "line.diagonal", "aqi.medium", "chevron.down", "plus.circle.fill",
                                     "paintpalette", "gearshape", "exclamationmark.triangle.fill", "crop"})
            QVERIFY2(names.contains(QString::fromLatin1(expected)), expected);
        QStringList missing;
        for (const QString& name : names)
            if (!IconRegistry::resolves(name))
                missing << name;
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("would fall back: ") + missing.join(QStringLiteral(", "))));
    }
};

ZENTU_TEST_MAIN(TestWidgetKit)
#include "tst_widgetkit.moc"
