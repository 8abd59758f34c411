#include "support/DebugLogMessages.h"

#include "Storage/DebugLog.h"

#include <QFile>

QString debugLogText()
{
    QFile f(DebugLog::filePath());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList debugLogMessages()
{
    QFile f(DebugLog::filePath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith('[') && line.size() > 15)
            out << QString::fromUtf8(line.mid(15)); // drop "[HH:mm:ss.zzz] "
    return out;
}

QStringList debugLogLines()
{
    QFile file(DebugLog::filePath());
    QStringList messages;
    if (file.open(QIODevice::ReadOnly))
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            messages.append(line.section(QStringLiteral("] "), 1));
    return messages;
}
