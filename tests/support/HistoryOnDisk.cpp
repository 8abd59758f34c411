#include "support/HistoryOnDisk.h"

#include "Platform/Qt/PosixFileCalls.h"
#include "Storage/HistoryJournal.h"

QJsonArray historyOnDisk(const QString& historyPath)
{
    PosixFileCalls calls;
    return HistoryJournal::records(calls, historyPath).value_or(QJsonArray());
}
