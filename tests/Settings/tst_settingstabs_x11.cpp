// The settings tabs and the first-run window on a real X server, in German
// and in English: every text fits its control (nothing cut off) and shows up
// in the window's pixels. Then the Privacy tab's switch asks for the account
// password in a real window through PAM's "login" service; a wrong password,
// typed through the X server, leaves the filter on.
#include "SettingsFixture.h"
#include "Platform/Qt/PamOwnerAuthenticator.h"
#include "Platform/Qt/PasswordDialog.h"
#include "Platform/Qt/PasswordField.h"
#include "Settings/OnboardingView.h"
#include "Settings/PrivacySettingsTab.h"
#include "Settings/SettingsView.h"
#include "Ui/HoverRowButton.h"
#include "Ui/ToggleSwitch.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QAbstractButton>
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

// Dark (text) pixels the X server shows inside a widget.
int inkOnScreen(const QWidget* w)
{
    const QImage shot = grabScreen(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
    int dark = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            dark += shot.pixelColor(x, y).lightness() < 120;
    return dark;
}

void saveGrab(QWidget* w, const QString& name)
{
    if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
        w->grab().save(QStringLiteral("/tmp/%1.png").arg(name));
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
        QSignalSpy finished(&view, &SettingsView::introFinished);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        for (const QString lang : {QStringLiteral("de"), QStringLiteral("en")}) {
            f.localizer->setLanguage(lang);
            for (const SettingsTab tab : allCases<SettingsTab>()) {
                view.selectTab(tab);
                QWidget* shown = view.tabView();
                QTRY_VERIFY(shown->isVisible() && onScreen(shown, &view));
                const QString where = lang + QLatin1Char('-') + rawValue(tab);
                const QStringList cut = clipped(shown);
                QVERIFY2(cut.isEmpty(), qPrintable(where + ": " + cut.join(QStringLiteral("; "))));
                // Drawn by the X server: text in the tab's area.
                QTRY_VERIFY2_WITH_TIMEOUT(inkOnScreen(shown) > 400, qPrintable(where), 10000);
                saveGrab(&view, QStringLiteral("settings-%1").arg(where));
            }
        }
    }

    void firstRunWindowFitsItsTextsInGermanAndEnglish()
    {
        SettingsFixture f;
        f.capturePermissions.trusted = false;
        f.permissions->refresh();
        QList<double> heights;
        OnboardingView view(*f.permissions, [] {}, [&](double h) { heights << h; });
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (const QString lang : {QStringLiteral("de"), QStringLiteral("en")}) {
            f.localizer->setLanguage(lang);
            QTRY_VERIFY(!heights.isEmpty());
            view.resize(460, view.measuredHeight());
            QTRY_COMPARE(view.height(), view.measuredHeight());
            const QStringList cut = clipped(&view);
            QVERIFY2(cut.isEmpty(), qPrintable(lang + ": " + cut.join(QStringLiteral("; "))));
            QTRY_VERIFY_WITH_TIMEOUT(inkOnScreen(&view) > 1000, 10000);
            // The missing permission's card shows its orange sign on screen.
            saveGrab(&view, QStringLiteral("onboarding-") + lang);
        }
    }

    void wrongPasswordTypedOnTheKeyboardLeavesTheFilterOn()
    {
        SettingsFixture f;
        PamOwnerAuthenticator login; // the "login" service, as the program uses it
        SettingsContext context = f.context();
        context.authenticator = &login;
        SettingsView view(context);
        QSignalSpy finished(&view, &SettingsView::introFinished);
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        view.selectTab(SettingsTab::privacy);
        auto* tab = qobject_cast<PrivacySettingsTab*>(view.tabView());
        QVERIFY(tab);
        if (!login.canAuthenticate())
            QSKIP("PAM cannot start the login service on this machine");
        ToggleSwitch* toggle = tab->sensitiveToggle();
        QTRY_VERIFY(onScreen(toggle, &view));
        X11Probe x;
        x.click(toggle->mapToGlobal(toggle->rect().center()));

        QTRY_VERIFY_WITH_TIMEOUT(login.dialog() && login.dialog()->isActiveWindow(), 15000);
        PasswordDialog* dialog = login.dialog();
        QCOMPARE(dialog->reasonLabel()->text(), QStringLiteral("Schutz für sensible Inhalte deaktivieren"));
        QVERIFY(xdotool({"type", "--delay", "20", "kein-richtiges-Passwort"}));
        QTRY_COMPARE_WITH_TIMEOUT(dialog->field()->characterCount(), 23, 10000);
        saveGrab(dialog, QStringLiteral("password-window"));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(!login.isBusy(), 20000);
        QVERIFY(toggle->isChecked());
        QCOMPARE(f.stored().ignoreSensitiveContent, true);
    }
};

ZENTU_TEST_MAIN(TestSettingsTabsX11)
#include "tst_settingstabs_x11.moc"
