// The include rules that keep the layers apart, read from the source tree.
// Every area of src/ has a rank, and a file includes only files of its own
// area or of areas ranked below it, so the areas' include graph has no cycle.
// Besides, only the composition roots pick concrete X11/Qt backends, and
// platform code reports failures in its own terms.
#include "support/IsolatedEnvironment.h"
#include "support/ProgramSources.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString sourceRoot = QStringLiteral(ZENTU_SOURCE_DIR "/src/");

// From the ground up. Areas of one rank know nothing of each other.
const QMap<QString, int>& ranks()
{
    static const QMap<QString, int> table{
        {"Debug", 0},                      // the log every layer writes to
        {"Text", 0},                       // how Qt shows the texts every layer hands it
        {"Platform", 1},                   // one interface per desktop service
        {"Platform/Qt", 2},                // their backends
        {"Platform/X11", 2},
        {"Localization", 3},               // the translation lookup
        {"Models", 4},                     // value types and records
        {"Storage", 5},                    // settings, histories, folders
        {"Clipboard", 6},                  // services on top of the stores
        {"Hotkeys", 6},
        {"Permissions", 6},
        {"Updates", 6},
        {"Ui", 7},                         // widgets shared by the windows
        {"Editor", 8},                     // the windows and what they show
        {"Pinned", 8},
        {"Screenshot", 8},
        {"Toasts", 8},
        {"MenuBar", 9},                    // views that start captures and open editors
        {"Settings", 9},
        {"App", 10},                       // the composition roots
        {"PageCapture", 10},
    };
    return table;
}

struct Edge {
    QString from; // both relative to src/
    QString to;
};

// The names a text includes, in quotes or angle brackets.
QStringList includedNames(const QString& text)
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*[\"<]([^\">]+)[\">]"),
                                            QRegularExpression::MultilineOption);
    QStringList names;
    for (auto m = include.globalMatch(text); m.hasNext();)
        names.append(m.next().captured(1));
    return names;
}

// Every include of every file below src/ that names a file of src/, written
// from src/ (as the public include directory allows) or from the file's folder.
QList<Edge> includeEdges()
{
    QList<Edge> edges;
    for (const auto& [from, text] : programSources().asKeyValueRange()) {
        for (const QString& name : includedNames(text)) {
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

// The platform's backends are areas of their own; elsewhere the first folder.
QString area(const QString& file)
{
    const QStringList parts = file.split(QLatin1Char('/'));
    if (parts.size() > 2 && parts[0] == QLatin1String("Platform"))
        return parts[0] + QLatin1Char('/') + parts[1];
    return parts.size() > 1 ? parts[0] : QString();
}

bool isBackend(const QString& file)
{
    return area(file) == QLatin1String("Platform/X11") || area(file) == QLatin1String("Platform/Qt");
}

// The app's and the page-capture helper's.
bool isCompositionRoot(const QString& file)
{
    return file.startsWith(QLatin1String("App/DesktopServices.")) || file == QLatin1String("App/main.cpp")
        || file == QLatin1String("PageCapture/main.cpp");
}

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

    void readsBothIncludeForms()
    {
        const QStringList names = includedNames(QStringLiteral("#include \"Editor/EditorViewModel.h\"\n"
                                                               "  #  include <Platform/X11/XcbConnection.h>\n"
                                                               "#include <QWidget> // a library's\n"));
        QCOMPARE(names, (QStringList{"Editor/EditorViewModel.h", "Platform/X11/XcbConnection.h", "QWidget"}));
    }

    void everyAreaHasARank()
    {
        QSet<QString> unranked;
        for (const QString& file : programSources().keys())
            if (const QString a = area(file); !a.isEmpty() && !ranks().contains(a))
                unranked.insert(a);
        QVERIFY2(unranked.isEmpty(), qPrintable(QStringList(unranked.begin(), unranked.end()).join(QLatin1Char(' '))));
    }

    void includesRunDownOnly()
    {
        const QStringList found = violations(m_edges, [](const Edge& e) {
            const QString from = area(e.from);
            const QString to = area(e.to);
            return from != to && ranks().value(to, 99) >= ranks().value(from, -1);
        });
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void onlyTheCompositionRootPicksBackends()
    {
        const QStringList found = violations(m_edges, [](const Edge& e) {
            return isBackend(e.to) && !e.from.startsWith(QLatin1String("Platform/")) && !isCompositionRoot(e.from);
        });
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void platformCodeReportsFailuresInItsOwnTerms()
    {
        // Without an include a platform interface can still promise the app's
        // error type; the app translates the platform's errors instead.
        QStringList found;
        for (const auto& [file, text] : programSources().asKeyValueRange())
            if (file.startsWith(QLatin1String("Platform/")) && text.contains(QLatin1String("CaptureError")))
                found.append(file);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

private:
    QList<Edge> m_edges;
};

ZENTU_TEST_MAIN(TestLayering)
#include "tst_layering.moc"
