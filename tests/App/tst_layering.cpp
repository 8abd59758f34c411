// The include rules that keep the layers apart, read from the source tree:
// only the composition root picks concrete X11/Qt backends, platform code
// knows nothing of the app, and the storage layer stays below the clipboard
// and the debug log.
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace {

const QString sourceRoot = QStringLiteral(ZENTU_SOURCE_DIR "/src/");

struct Edge {
    QString from; // both relative to src/
    QString to;
};

// Every quoted include of every file below src/ that names a file of src/.
QList<Edge> includeEdges()
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"([^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QList<Edge> edges;
    QDirIterator it(sourceRoot, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString from = path.mid(sourceRoot.size());
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString name = m.next().captured(1);
            QString to;
            if (QFile::exists(sourceRoot + name))
                to = name;
            else if (const QString local = QDir::cleanPath(QFileInfo(from).path() + QLatin1Char('/') + name);
                     QFile::exists(sourceRoot + local))
                to = local;
            if (!to.isEmpty())
                edges.append({from, to});
        }
    }
    return edges;
}

bool isBackend(const QString& file)
{
    return file.startsWith(QLatin1String("Platform/X11/")) || file.startsWith(QLatin1String("Platform/Qt/"));
}

// The app's and the page-capture helper's.
bool isCompositionRoot(const QString& file)
{
    return file.startsWith(QLatin1String("App/DefaultCoordinatorServices.")) || file == QLatin1String("App/main.cpp")
        || file == QLatin1String("PageCapture/main.cpp");
}

QString area(const QString& file) { return file.section(QLatin1Char('/'), 0, 0); }

QStringList violations(const QList<Edge>& edges, const std::function<bool(const Edge&)>& forbidden)
{
    QStringList found;
    for (const Edge& e : edges)
        if (forbidden(e))
            found.append(e.from + QStringLiteral(" -> ") + e.to);
    return found;
}

} // namespace

class TestLayering : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_edges = includeEdges();
        // A broken walk would pass every rule below.
        QVERIFY2(m_edges.size() > 500, qPrintable(QString::number(m_edges.size())));
    }

    void onlyTheCompositionRootPicksBackends()
    {
        const QStringList found = violations(m_edges, [](const Edge& e) {
            return isBackend(e.to) && area(e.from) != QLatin1String("Platform") && !isCompositionRoot(e.from);
        });
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void platformCodeKnowsNothingOfTheApp()
    {
        // The diagnostic log is the one thing every layer writes to.
        const QStringList found = violations(m_edges, [](const Edge& e) {
            return area(e.from) == QLatin1String("Platform") && area(e.to) != QLatin1String("Platform")
                && e.to != QLatin1String("Storage/DebugLog.h");
        });
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void platformCodeReportsFailuresInItsOwnTerms()
    {
        // Without an include a platform interface can still promise the app's
        // error type; the app translates the platform's errors instead.
        QStringList found;
        QDirIterator it(sourceRoot + QStringLiteral("Platform"), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains("CaptureError"))
                found.append(file.fileName().mid(sourceRoot.size()));
        }
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void storageStaysBelowClipboardAndLog()
    {
        const QStringList found = violations(m_edges, [](const Edge& e) {
            // The clipboard code stores its history: never the other way round.
            if (area(e.from) == QLatin1String("Storage") && area(e.to) == QLatin1String("Clipboard"))
                return true;
            // The log sits below everything that writes to it: of the app it
            // knows only where its file goes.
            return e.from.startsWith(QLatin1String("Storage/DebugLog.")) && area(e.to) != QLatin1String("Platform")
                && e.to != QLatin1String("Storage/DebugLog.h") && e.to != QLatin1String("Storage/AppFolders.h");
        });
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

private:
    QList<Edge> m_edges;
};

ZENTU_TEST_MAIN(TestLayering)
#include "tst_layering.moc"
