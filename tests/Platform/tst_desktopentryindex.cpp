// The installed applications' desktop entries: read once, read again when a
// folder changes (also one inside them, and one that appears later), an
// earlier folder's entry hiding a later one, and names in the user's language.
#include "Platform/DesktopEntryIndex.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/time.h>

namespace {
// Dates the folders an hour back, as folders nobody touched lately are.
void settle(const QString& root)
{
    // One time for every call: two calls a second boundary apart would
    // otherwise date the folders differently, which reads as a change.
    static const time_t then = time(nullptr) - 3600;
    const timeval hourAgo{then, 0};
    const timeval times[2] = {hourAgo, hourAgo};
    QStringList dirs{root};
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        dirs.append(it.next());
    for (const QString& dir : dirs)
        QVERIFY(utimes(QFile::encodeName(dir).constData(), times) == 0);
}

QStringList ids(const DesktopEntryIndex::Entries& entries)
{
    QStringList out;
    for (const DesktopEntryIndex::Entry& e : *entries)
        out.append(e.id);
    out.sort();
    return out;
}
}

class TestDesktopEntryIndex : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entriesAreReadAgainOnlyWhenAFolderChanges()
    {
        QTemporaryDir home, system;
        const QString user = home.filePath("applications");
        QVERIFY(plantFile(system.filePath("org.example.Notes.desktop"), "[Desktop Entry]\nName=Notes\n"));
        QVERIFY(plantFile(system.filePath("kde/kate.desktop"), "[Desktop Entry]\nName=Kate\n"));
        settle(system.path());
        DesktopEntryIndex index({user, system.path()});

        const DesktopEntryIndex::Entries first = index.entries();
        QCOMPARE(ids(first), (QStringList{"kde-kate", "org.example.Notes"}));
        // Nothing changed: the same entries, not read again (an edit in place
        // that leaves the folders' times alone is not seen).
        QVERIFY(plantFile(system.filePath("org.example.Notes.desktop"), "[Desktop Entry]\nName=Edited\n"));
        settle(system.path());
        QCOMPARE(index.entries(), first);
        QCOMPARE(index.find("org.example.Notes")->name, QStringLiteral("Notes"));

        // A program installed into a folder inside the folders.
        QVERIFY(plantFile(system.filePath("kde/dolphin.desktop"), "[Desktop Entry]\nName=Dolphin\n"));
        QCOMPARE(ids(index.entries()), (QStringList{"kde-dolphin", "kde-kate", "org.example.Notes"}));
        QCOMPARE(index.find("org.example.Notes.desktop")->name, QStringLiteral("Edited"));
        // The user's folder, made after the first look, comes first.
        QVERIFY(plantFile(user + "/org.example.Notes.desktop", "[Desktop Entry]\nName=Meine Notizen\nHidden=true\n"));
        QCOMPARE(index.find("org.example.Notes")->name, QStringLiteral("Meine Notizen"));
        QVERIFY(index.find("org.example.Notes")->hidden);
        // An uninstalled program goes.
        QVERIFY(QFile::remove(system.filePath("kde/kate.desktop")));
        QVERIFY(!index.find("kde-kate"));
        QVERIFY(!index.find(QString()));
        QVERIFY(index.entries() != first);
    }

    void applicationsAreNamedFromTheIndex()
    {
        QTemporaryDir dir;
        QVERIFY(plantFile(dir.filePath("kde/kate.desktop"),
                          "[Desktop Entry]\nName=Kate\nName[de]=Kate-Editor\nExec=kate %U\n[Desktop Action x]\nName[de]=Anders\n"));
        QVERIFY(plantFile(dir.filePath("gone.desktop"), "[Desktop Entry]\nName=Weg\nExec=sleep\nHidden=true\n"));
        X11ApplicationIdentity apps({dir.path()});
        QCOMPARE(apps.displayName("kde-kate", "de"), std::optional<QString>("Kate-Editor"));
        QCOMPARE(apps.displayName("kde-kate.desktop", "fr"), std::optional<QString>("Kate"));
        QCOMPARE(apps.displayName("gone", "de"), std::optional<QString>("Weg"));
        QVERIFY(!apps.displayName("kde/kate", "de"));
        QVERIFY(!apps.displayName("org.example.Missing", "de"));

        // A process whose executable a hidden entry names is known by the
        // executable alone; installed later, by its entry.
        QProcess sleeper;
        sleeper.start("sleep", {"30"});
        QVERIFY(sleeper.waitForStarted());
        const ApplicationIdentity::App before = apps.applicationOfProcess(sleeper.processId()).value();
        QCOMPARE(before.id, QStringLiteral("sleep"));
        QVERIFY(plantFile(dir.filePath("org.example.Sleeper.desktop"), "[Desktop Entry]\nName=Schläfer\nExec=/usr/bin/sleep\n"));
        const ApplicationIdentity::App after = apps.applicationOfProcess(sleeper.processId()).value();
        QCOMPARE(after, (ApplicationIdentity::App{"org.example.Sleeper", "Schläfer", sleeper.processId()}));
        sleeper.kill();
        sleeper.waitForFinished();
        QVERIFY(!apps.applicationOfProcess(sleeper.processId()));
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntryIndex)
#include "tst_desktopentryindex.moc"
