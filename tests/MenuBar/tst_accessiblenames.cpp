// What a screen reader finds: every control of the panel, the clipboard list
// and the intro card has a role and says its visible text (or, for an icon,
// its tooltip); the names lead to working actions.
#include "MenuBar/CaptureIntroConfig.h"
#include "MenuBar/CaptureIntroView.h"
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/ClipboardRowView.h"
#include "MenuBar/MenuBarContentView.h"
#include "PanelFixture.h"
#include "Ui/SegmentedControl.h"
#include "fakes/FakeMenuBarActions.h"
#include "support/IsolatedEnvironment.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QToolButton>

namespace {

// Controls a user can act on: buttons of every kind, text fields, and the
// widgets that stand in for buttons (the tiles' mouse layer).
bool isInteractive(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w)
        || w->inherits("TileMouseArea");
}

// "Class: problem" for every interactive control below root that a screen
// reader could not name, or that has no role a reader acts on.
QStringList unnamed(QWidget* root)
{
    static const QList<QAccessible::Role> roles{QAccessible::Button, QAccessible::RadioButton, QAccessible::CheckBox,
                                                QAccessible::EditableText};
    QStringList out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!isInteractive(w))
            continue;
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(w);
        const QString what = QString::fromLatin1(w->metaObject()->className());
        if (!acc)
            out << what + ": no interface";
        else if (acc->text(QAccessible::Name).trimmed().isEmpty())
            out << what + ": no name";
        else if (!roles.contains(acc->role()))
            out << what + ": role " + QString::number(acc->role());
    }
    return out;
}

QAccessibleInterface* named(QWidget* root, const QString& name)
{
    for (QWidget* w : root->findChildren<QWidget*>())
        if (QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(w))
            if (isInteractive(w) && acc->text(QAccessible::Name) == name)
                return acc;
    return nullptr;
}

void press(QAccessibleInterface* acc)
{
    QVERIFY(acc && acc->actionInterface());
    acc->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

} // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyControlHasANameAndARole()
    {
        PanelFixture f;
        f.denyScreenRecording(); // the banner and its button too
        f.screenshotStore->add(PanelFixture::picture(40, 30, Qt::red), CaptureKind::window);
        f.clipboardStore->addText(QStringLiteral("Erster Eintrag"), std::nullopt);
        f.clipboardStore->addImage(PanelFixture::picture(20, 10, Qt::blue), std::nullopt);
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace,
                                 rec.actions());
        panel.show();
        QStringList problems = unnamed(&panel);

        ClipboardHistoryView window(true, false, *f.clipboardStore);
        window.setQuery(QStringLiteral("Eintrag")); // the clear button shows
        problems << unnamed(&window);

        for (const CaptureIntroConfig& config : {CaptureIntroConfig::screenshot(), CaptureIntroConfig::scroll()}) {
            CaptureIntroView intro(config, QImage());
            problems << unnamed(&intro);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void segmentsAndTrashWorkThroughTheirActions()
    {
        PanelFixture f;
        f.clipboardStore->addText(QStringLiteral("Eintrag"), std::nullopt);
        f.clipboardStore->addImage(PanelFixture::picture(20, 10, Qt::blue), std::nullopt);
        ClipboardHistoryView list(false, true, *f.clipboardStore);
        list.show();
        QAccessibleInterface* filters = QAccessible::queryAccessibleInterface(list.filterControl());
        QAccessibleInterface* image = filters->child(2);
        QCOMPARE(image->text(QAccessible::Name), QStringLiteral("Bild"));
        press(image);
        QTRY_COMPARE(list.typeFilter(), ClipboardHistoryView::TypeFilter::image);
        QVERIFY(image->state().checked);
        press(QAccessible::queryAccessibleInterface(list.rows().first()->deleteButton()));
        QTRY_COMPARE(f.clipboardStore->items().size(), 1);
    }
};

ZENTU_TEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
