#include "support/DebugLogMessages.h"

#include "Debug/DebugLog.h"
#include "support/TestFiles.h"

QString debugLogText() { return QString::fromUtf8(fileContents(DebugLog::filePath())); }

QStringList debugLogMessages()
{
    QStringList out;
    for (const QString& line : debugLogText().split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1Char('[')) && line.size() > 15)
            out << line.mid(15); // drop "[HH:mm:ss.zzz] "
    return out;
}

QStringList debugLogLines()
{
    QStringList messages;
    for (const QString& line : debugLogText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        messages.append(line.section(QStringLiteral("] "), 1));
    return messages;
}
