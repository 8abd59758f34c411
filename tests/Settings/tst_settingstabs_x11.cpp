// The settings tabs and the first-run window on a real X server, in German
// and in English: every text fits its control (nothing cut off) and shows up
// in the window's pixels. The tab bar switches tabs (also for screen readers)
// and a language change rebuilds the window, also from the General tab's own
// picker; the first-run window shows its ready line, reports its height and
// hands back on OK or Return. Then the Privacy tab's switch asks for the
// account password in a real window through PAM's "login" service; a wrong
// password, typed through the X server, is said so in the same window, which
// grows to show every line and takes the next try; Escape leaves the filter on.
#include "SettingsFixture.h"
#include "Platform/Qt/PamOwnerAuthenticator.h"
#include "Platform/Qt/PasswordDialog.h"
#include "Platform/Qt/PasswordField.h"
#include "Settings/GeneralSettingsTab.h"
#include "Settings/LanguagePicker.h"
#include "Settings/OnboardingView.h"
#include "Settings/PermissionRow.h"
#include "Settings/PrivacySettingsTab.h"
#include "Settings/SettingsView.h"
#include "Ui/HoverRowButton.h"
#include "Ui/ProminentButton.h"
#include "Ui/SegmentedControl.h"
#include "Ui/ToggleSwitch.h"
#include "support/ChildNamed.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>

namespace {

// What of the root widget is really on screen (not scrolled away).
bool onScreen(const QWidget* w, const QWidget* root)
{
    if (!w->isVisibleTo(root) || w->width() <= 0)
        return false;
    QRect visible(w->mapTo(root, QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QScrollArea*>(p))
            visible &= QRect(static_cast<const QScrollArea*>(p)->viewport()->mapTo(root, QPoint(0, 0)),
                             static_cast<const QScrollArea*>(p)->viewport()->size());
    return visible.height() >= w->height() / 2 && visible.intersects(root->rect());
}

// Texts that do not fit their control, as "text (needs × has)".
QStringList clipped(const QWidget* root)
{
    QStringList out;
    for (const QLabel* l : root->findChildren<QLabel*>()) {
        if (!onScreen(l, root) || l->text().isEmpty() || l->textFormat() == Qt::RichText || !l->pixmap().isNull())
            continue;
        const QRect box = l->contentsRect();
        if (l->wordWrap()) {
            if (l->heightForWidth(l->width()) > l->height() + 1)
                out << QStringLiteral("%1 (height %2 > %3)").arg(l->text()).arg(l->heightForWidth(l->width())).arg(l->height());
        } else if (l->fontMetrics().horizontalAdvance(l->text()) > box.width() + 1) {
            out << QStringLiteral("%1 (%2 > %3)").arg(l->text()).arg(l->fontMetrics().horizontalAdvance(l->text())).arg(box.width());
        }
    }
    for (const QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!onScreen(b, root) || b->text().isEmpty())
            continue;
        if (b->sizeHint().width() > b->width() + 1 || b->sizeHint().height() > b->height() + 1)
            out << QStringLiteral("%1 (%2 > %3)").arg(b->text()).arg(b->sizeHint().width()).arg(b->width());
    }
    for (const QComboBox* c : root->findChildren<QComboBox*>())
        if (onScreen(c, root) && c->sizeHint().width() > c->width() + 1)
            out << QStringLiteral("%1 (%2 > %3)").arg(c->currentText()).arg(c->sizeHint().width()).arg(c->width());
    return out;
}

// Pixels the X server shows inside a widget that pass the test.
int onScreenWhere(const QWidget* w, const std::function<bool(QColor)>& test)
{
    return countPixels(grabScreen(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())), {}, test);
}
// Dark (text) pixels.
int inkOnScreen(const QWidget* w)
{
    return onScreenWhere(w, [](QColor c) { return c.lightness() < 120; });
}

// The window on screen past its opening splash, showing the tab.
QWidget* shownTab(SettingsView& view, SettingsTab tab)
{
    QSignalSpy finished(&view, &SettingsView::introFinished);
    view.show();
    if (!QTest::qWaitFor([&] { return finished.count() == 1; }, 10000))
        return nullptr;
    view.selectTab(tab);
    return view.tabView();
}

} // namespace

class TestSettingsTabsX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTabFitsItsTextsInGermanAndEnglish()
    {
        SettingsFixture f;
        f.bundle.info = {{"shortVersion", "2.3"}, {"build", "41"}};
        SettingsView view(f.context());
        QVERIFY(shownTab(view, SettingsTab::general));
        SegmentedControl* bar = view.tabBar();
        QSignalSpy changed(&view, &SettingsView::tabChanged);
        for (const QString& lang : {QStringLiteral("de"), QStringLiteral("en")}) {
            if (lang != QLatin1String("de")) {
                // From the General tab's own picker: the tab is rebuilt under it.
                view.selectTab(SettingsTab::general);
                QPointer<GeneralSettingsTab> general = qobject_cast<GeneralSettingsTab*>(view.tabView());
                QVERIFY(general);
                childNamed<LanguagePicker>(*general, "languagePicker")->choose(lang);
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
                QVERIFY(general.isNull() || general != view.tabView());
                bar = view.tabBar(); // made anew
                QCOMPARE(bar->labels(), (QStringList{"General", "History", "Hotkeys", "Privacy", "About"}));
            }
            for (int i = 0; i < 5; ++i) {
                // Switched by a click on the bar; the pill slides there.
                const SettingsTab tab = allCases<SettingsTab>()[i];
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->segmentRect(i).center().toPoint());
                QCOMPARE(view.tab(), tab);
                QTRY_COMPARE(bar->pillRect(), bar->segmentRect(i));
                QWidget* shown = view.tabView();
                QTRY_VERIFY(shown->isVisible() && onScreen(shown, &view));
                const QString where = lang + QLatin1Char('-') + rawValue(tab);
                const QStringList cut = clipped(shown);
                QVERIFY2(cut.isEmpty(), qPrintable(where + ": " + cut.join(QStringLiteral("; "))));
                // Drawn by the X server: text in the tab's area.
                QTRY_VERIFY2_WITH_TIMEOUT(inkOnScreen(shown) > 400, qPrintable(where), 10000);
            }
        }
        // The selected tab again changes nothing.
        const qsizetype switches = changed.count();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->segmentRect(4).center().toPoint());
        QCOMPARE(changed.count(), switches);
        // Screen readers see a tab list of the five names, the selected one marked.
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(acc->role(), QAccessible::PageTabList);
        QCOMPARE(acc->childCount(), 5);
        QCOMPARE(acc->child(4)->role(), QAccessible::PageTab);
        QCOMPARE(acc->child(4)->text(QAccessible::Name), QStringLiteral("About"));
        QVERIFY(acc->child(4)->state().selected);

        // A name too long for its fifth of the bar is drawn smaller, not cut
        // early; the selected tab survives the change.
        f.localizer->setLanguage(QStringLiteral("ru"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        bar = view.tabBar();
        QVERIFY(bar->labelScale(3) < 1.0 && bar->labelScale(3) >= 0.6);
        QCOMPARE(bar->labelScale(0), 1.0);
        QCOMPARE(view.tab(), SettingsTab::about);
        QCOMPARE(bar->currentIndex(), 4);
    }

    void firstRunWindowFitsItsTextsInGermanAndEnglish()
    {
        SettingsFixture f;
        f.capturePermissions.trusted = false;
        f.permissions->refresh();
        QList<double> heights;
        int closes = 0;
        OnboardingView view(*f.permissions, [&] { ++closes; }, [&](double h) { heights << h; });
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(childNamed<QLabel>(*childNamed<PermissionRow>(view, "accessibilityCard"), "refusalLabel")->isVisible() && !childNamed<QWidget>(view, "readyRow")->isVisible());
        // The first measurement: the whole content.
        QTRY_COMPARE(heights.size(), 1);
        QCOMPARE(heights.first(), double(view.measuredHeight()));
        for (const QString& lang : {QStringLiteral("de"), QStringLiteral("en")}) {
            f.localizer->setLanguage(lang);
            QTRY_COMPARE(double(view.measuredHeight()), heights.last());
            view.resize(460, view.measuredHeight());
            QTRY_COMPARE(view.height(), view.measuredHeight());
            const QStringList cut = clipped(&view);
            QVERIFY2(cut.isEmpty(), qPrintable(lang + ": " + cut.join(QStringLiteral("; "))));
            QTRY_VERIFY_WITH_TIMEOUT(inkOnScreen(&view) > 1000, 10000);
        }

        // Both there: the refusal goes, the ready line comes, the height is
        // measured and reported again.
        const double before = heights.last();
        f.capturePermissions.trusted = true;
        f.permissions->refresh();
        QVERIFY(childNamed<PermissionRow>(view, "accessibilityCard")->isGranted() && childNamed<QWidget>(view, "readyRow")->isVisible()
                && childNamed<QLabel>(view, "note")->isVisible());
        QVERIFY(childNamed<QLabel>(*childNamed<PermissionRow>(view, "accessibilityCard"), "refusalLabel")->isHidden());
        QTRY_VERIFY(heights.last() != before);
        QCOMPARE(heights.last(), double(view.measuredHeight()));
        // Reported only above 200, and only on a change.
        heights.clear();
        for (double h : {200.0, 200.5, 200.5, std::numeric_limits<double>::quiet_NaN()})
            view.reportHeight(h);
        QCOMPARE(heights, QList<double>{200.5});

        // OK, or Return wherever the focus is, hands back.
        childNamed<ProminentButton>(view, "okButton")->click();
        f.capturePermissions.trusted = false;
        f.permissions->refresh();
        childNamed<ProminentButton>(view, "okButton")->clearFocus();
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(closes, 2);
        QCOMPARE(f.capturePermissions.prompts, 0);
    }

    void wrongPasswordTypedOnTheKeyboardIsSaidAndTheWindowStays()
    {
        SettingsFixture f;
        PamOwnerAuthenticator login; // the "login" service, as the program uses it
        SettingsContext context = f.context();
        context.authenticator = &login;
        SettingsView view(context);
        auto* tab = qobject_cast<PrivacySettingsTab*>(shownTab(view, SettingsTab::privacy));
        QVERIFY(tab);
        if (!login.canAuthenticate())
            QSKIP("PAM cannot start the login service on this machine");
        ToggleSwitch* toggle = childNamed<ToggleSwitch>(*tab, "sensitiveToggle");
        QTRY_VERIFY(onScreen(toggle, &view));
        X11Probe x;
        x.click(toggle->mapToGlobal(toggle->rect().center()));

        QTRY_VERIFY_WITH_TIMEOUT(login.dialog() && login.dialog()->isActiveWindow(), 15000);
        const QPointer<PasswordDialog> dialog = login.dialog();
        QCOMPARE(childNamed<QLabel>(*dialog, "reasonLabel")->text(), QStringLiteral("Schutz für sensible Inhalte deaktivieren"));
        // The field names the account whose password it wants.
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(childNamed<PasswordField>(*dialog, "field"));
        QCOMPARE(field->text(QAccessible::Name), QStringLiteral("Passwort für „%1“").arg(login.accountName()));
        const QString wrong = QStringLiteral("Das Passwort war falsch. Bitte versuche es noch einmal.");
        // Twice wrong, typed through the X server: each time the same window
        // says so, takes the next try, and the filter stays on.
        for (const char* typed : {"kein-richtiges-Passwort", "auch-falsch"}) {
            QVERIFY(xdotool({"type", "--delay", "20", QString::fromLatin1(typed)}));
            QTRY_COMPARE_WITH_TIMEOUT(childNamed<PasswordField>(*dialog, "field")->characterCount(), int(qstrlen(typed)), 10000);
            QVERIFY(xdotool({"key", "Return"}));
            // (Before Return arrives the field still holds the typing; while
            // PAM works the note says so and the field is off.)
            QTRY_VERIFY_WITH_TIMEOUT(dialog && dialog->note() == wrong && childNamed<PasswordField>(*dialog, "field")->isEnabled()
                                         && childNamed<PasswordField>(*dialog, "field")->isEmpty(), 20000);
            QAccessibleInterface* note = QAccessible::queryAccessibleInterface(childNamed<QLabel>(*dialog, "noteLabel"));
            QCOMPARE(note->text(QAccessible::Name), wrong);
            QVERIFY(!note->state().invisible);
            QCOMPARE(login.dialog(), dialog.data());
            QVERIFY(dialog->isVisible() && login.isBusy());
            // The window grew with the note: no line of it, nor of the
            // headline, is cut.
            QTRY_VERIFY2(clipped(dialog).isEmpty(), qPrintable(clipped(dialog).join(QStringLiteral("; "))));
            // Drawn by the X server, in the warning red.
            QTRY_VERIFY_WITH_TIMEOUT(onScreenWhere(childNamed<QLabel>(*dialog, "noteLabel"), [](QColor c) {
                return c.red() > c.green() + 60 && c.red() > c.blue() + 60;
            }) > 20, 10000);
            QVERIFY(toggle->isChecked());
        }
        // Escape ends it: the window goes, the filter stays on.
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!login.isBusy() && !dialog, 20000);
        QVERIFY(toggle->isChecked());
        QCOMPARE(f.stored().ignoreSensitiveContent, true);
    }
};

ZENTU_TEST_MAIN(TestSettingsTabsX11)
#include "tst_settingstabs_x11.moc"
