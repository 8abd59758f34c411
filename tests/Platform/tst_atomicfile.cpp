// Writing a file all or nothing, against a disk that gives out after any
// number of bytes (full, over quota, failing), and against a planted link:
// the old file is never touched by a failed write, no temporary file stays
// behind, and a name that must be new is never taken. The same
// for the settings file and the autostart entry, swept over every byte: a
// setting that could not be written goes with the next change.
#include "Platform/AtomicFile.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "fakes/FailingFileCalls.h"
#include "fakes/FakeInstallation.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>

namespace {

QByteArray content(qsizetype size, char seed)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(seed + i * 31);
    return data;
}

// Budgets worth failing at: every byte of a small file, the start and end of
// a large one and points spread between.
QList<qint64> budgets(qint64 size)
{
    QList<qint64> out;
    for (qint64 n = 0; n <= size + 1; n += (size <= 2048 || n < 64 || n > size - 64) ? 1 : 97)
        out << n;
    return out;
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FailingFileCalls m_calls;
    QString path() const { return m_dir.path() + QStringLiteral("/history.json"); }
    QStringList leftovers() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).filter(QStringLiteral("tmp"));
    }

private Q_SLOTS:
    // A write smaller than Qt's file buffer fails only at its last flush,
    // which Qt's save file does not check: here the 100 bytes are refused and
    // the old file stays.
    void aSmallWriteOnAFullDiskLeavesTheOldFile()
    {
        QVERIFY(plantFile(path(), "[alte Einträge]"));
        m_calls.failAfter(0, ENOSPC);
        const FileWriteOutcome outcome = AtomicFile::write(m_calls, path(), content(100, 'a'));
        QCOMPARE(outcome.error, ENOSPC);
        QVERIFY(outcome.diskFull());
        QVERIFY(outcome.describe().startsWith(path() + QStringLiteral(": schreiben: ")));
        QCOMPARE(fileContents(path()), QByteArray("[alte Einträge]"));
        QVERIFY(leftovers().isEmpty());
    }

    void everyByteAFailureMayComeAt_data()
    {
        QTest::addColumn<qsizetype>("size");
        for (const qsizetype size : {qsizetype(1), qsizetype(100), qsizetype(16383), qsizetype(16384), qsizetype(20000)})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }
    void everyByteAFailureMayComeAt()
    {
        QFETCH(qsizetype, size);
        const QByteArray fresh = content(size, 'n');
        int failures = 0;
        for (const qint64 budget : budgets(size)) {
            const QByteArray old = content(budget % 50 + 1, 'o');
            QVERIFY(plantFile(path(), old));
            const int error = QList<int>{ENOSPC, EIO, EDQUOT}.at(budget % 3);
            // Every other time the sync fails too once the budget is used up.
            const bool failSync = budget % 2;
            m_calls.failAfter(budget, error, failSync);
            const FileWriteOutcome outcome = AtomicFile::write(m_calls, path(), fresh);
            const bool fits = budget > size || (budget == size && !failSync);
            if (outcome.ok()) {
                QCOMPARE(fileContents(path()), fresh);
            } else {
                ++failures;
                QCOMPARE(outcome.error, error);
                QCOMPARE(fileContents(path()), old);
            }
            QVERIFY2(outcome.ok() == fits, qPrintable(QString::number(budget)));
            QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(' ')));
        }
        QVERIFY(failures >= int(std::min<qsizetype>(size, 64)));
        m_calls.heal();
    }

    void aPlantedLinkIsReplacedNeverFollowed()
    {
        const QString outside = m_dir.path() + QStringLiteral("/fremd.txt");
        QVERIFY(plantFile(outside, "fremd"));
        QFile::remove(path());
        QVERIFY(QFile::link(outside, path()));
        QVERIFY(AtomicFile::write(m_calls, path(), "eigen").ok());
        QVERIFY(!QFileInfo(path()).isSymLink());
        QCOMPARE(fileContents(outside), QByteArray("fremd"));
        QCOMPARE(QFile::permissions(path()) & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());

        // A name that must be new is never taken.
        QCOMPARE(AtomicFile::writeNew(m_calls, path(), "kopie").error, EEXIST);
        QCOMPARE(fileContents(path()), QByteArray("eigen"));
        QVERIFY(leftovers().isEmpty());
    }

    void theSettingsFileIsWholeWhateverFails()
    {
        const QString settings = m_dir.path() + QStringLiteral("/zentu.conf");
        QFile::remove(settings);
        m_calls.heal();
        SettingsFileUserDefaults(m_calls, settings).setValue(QStringLiteral("zentu.settings.v1"), QByteArray("{\"a\":1}"));
        const QByteArray old = fileContents(settings);
        const QByteArray record(300, 'x');
        const qint64 before = m_calls.written();
        SettingsFileUserDefaults(m_calls, settings).setValue(QStringLiteral("app.language"), record);
        const qint64 total = m_calls.written() - before;
        QVERIFY(total > old.size());
        for (qint64 budget = 0; budget <= total; ++budget) {
            QVERIFY(plantFile(settings, old));
            SettingsFileUserDefaults defaults(m_calls, settings);
            m_calls.failAfter(budget, budget % 2 ? EIO : ENOSPC);
            defaults.setValue(QStringLiteral("app.language"), record);
            const bool written = fileContents(settings) != old;
            QCOMPARE(written, budget >= total);
            QCOMPARE(SettingsFileUserDefaults(m_calls, settings).data(QStringLiteral("zentu.settings.v1")),
                     std::optional<QByteArray>("{\"a\":1}"));
            QVERIFY(leftovers().isEmpty());
            m_calls.heal();
            defaults.setValue(QStringLiteral("zentuHideCaptureIntro"), true);
            SettingsFileUserDefaults reread(m_calls, settings);
            QCOMPARE(reread.data(QStringLiteral("app.language")), std::optional<QByteArray>(record));
            QVERIFY(reread.boolValue(QStringLiteral("zentuHideCaptureIntro")));
        }
    }

    void theAutostartEntryIsWholeWhateverFails()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        const QString entry = XdgAutostartLoginItem::entryPath();
        m_calls.heal();
        const FakeInstallation installed;
        QVERIFY(XdgAutostartLoginItem(installed, m_calls, QStringLiteral("/alt/zentu")).registerApp(nullptr));
        const QByteArray old = fileContents(entry);
        for (qint64 budget = 0; budget <= old.size(); ++budget) {
            QVERIFY(plantFile(entry, old));
            m_calls.failAfter(budget, ENOSPC, true);
            QString error;
            const bool registered = XdgAutostartLoginItem(installed, m_calls, QStringLiteral("/neu/zentu")).registerApp(&error);
            QCOMPARE(registered, false); // the sync fails once every byte is in
            QVERIFY(error.startsWith(entry));
            QCOMPARE(fileContents(entry), old);
            QVERIFY(QDir(QFileInfo(entry).path()).entryList(QDir::Files | QDir::Hidden).size() == 1);
        }
        m_calls.heal();
    }
};

ZENTU_TEST_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
