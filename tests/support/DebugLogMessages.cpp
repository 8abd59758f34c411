#include "support/DebugLogMessages.h"

#include "Debug/DebugLog.h"

#include <QFile>

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
