#include "Platform/Qt/ProcRunningApplications.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

namespace {
QStringList defaultApplicationDirs()
{
    QStringList dirs;
    for (const QString& d : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        dirs.append(d + QStringLiteral("/applications"));
    return dirs;
}

struct DesktopEntry {
    QString program; // first word of Exec, without quotes
    QString name;    // Name[lang] when present, else Name
    bool hidden = false;
};

DesktopEntry readEntry(const QString& path)
{
    DesktopEntry entry;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    const QString lang = QLocale().name().section(QLatin1Char('_'), 0, 0);
    QString localizedName;
    bool inMain = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMain)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec")) {
            QString program = value.section(QLatin1Char(' '), 0, 0);
            program.remove(QLatin1Char('"'));
            entry.program = program;
        } else if (key == QLatin1String("Name")) {
            entry.name = value;
        } else if (key == QStringLiteral("Name[%1]").arg(lang)) {
            localizedName = value;
        } else if (key == QLatin1String("NoDisplay") || key == QLatin1String("Hidden")) {
            entry.hidden = entry.hidden || value == QLatin1String("true");
        }
    }
    if (!localizedName.isEmpty())
        entry.name = localizedName;
    return entry;
}

bool sameProgram(const QString& execProgram, const QString& exePath, const QString& argv0)
{
    if (execProgram.isEmpty())
        return false;
    if (execProgram.contains(QLatin1Char('/'))) {
        const QString resolved = QFileInfo(execProgram).canonicalFilePath();
        return execProgram == exePath || (!resolved.isEmpty() && resolved == exePath) || execProgram == argv0;
    }
    // A bare name runs from PATH: compare with the executable's and argv[0]'s names.
    return execProgram == QFileInfo(exePath).fileName() || execProgram == QFileInfo(argv0).fileName();
}
}

ProcRunningApplications::ProcRunningApplications(QString procRoot, QStringList applicationDirs)
    : m_procRoot(std::move(procRoot))
    , m_applicationDirs(applicationDirs.isEmpty() ? defaultApplicationDirs() : std::move(applicationDirs))
{
}

std::optional<RunningApplications::App> ProcRunningApplications::application(qint64 pid)
{
    if (pid <= 0)
        return std::nullopt;
    const QString proc = m_procRoot + QLatin1Char('/') + QString::number(pid);
    const QString exePath = QFileInfo(proc + QStringLiteral("/exe")).symLinkTarget();
    QFile cmdline(proc + QStringLiteral("/cmdline"));
    QString argv0;
    if (cmdline.open(QIODevice::ReadOnly))
        argv0 = QString::fromLocal8Bit(cmdline.readAll().split('\0').value(0));
    if (exePath.isEmpty() && argv0.isEmpty())
        return std::nullopt;

    // Desktop entries earlier in the search path win, visible ones first.
    std::optional<App> hiddenMatch;
    for (const QString& dir : m_applicationDirs) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const DesktopEntry entry = readEntry(path);
            if (!sameProgram(entry.program, exePath, argv0))
                continue;
            QString id = QDir(dir).relativeFilePath(path);
            id.chop(int(qstrlen(".desktop")));
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            const App app{id, entry.name};
            if (!entry.hidden)
                return app;
            if (!hiddenMatch)
                hiddenMatch = app;
        }
    }
    if (hiddenMatch)
        return hiddenMatch;
    const QString name = QFileInfo(exePath.isEmpty() ? argv0 : exePath).fileName();
    if (name.isEmpty())
        return std::nullopt;
    return App{name, QString()};
}
