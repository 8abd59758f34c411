#pragma once
// The records a history file holds together with the journal of changes
// beside it: what the program's next start would read; and what is wrong
// with them.
#include <QJsonArray>
#include <QSet>
#include <QString>
#include <QStringList>

// Empty when there is none or it does not parse.
QJsonArray historyOnDisk(const QString& historyPath);
// What is wrong with both histories of a data folder: a screenshot whose
// picture does not decode or is not of the record's size, a thumbnail that
// does not decode, a clipboard picture whose data is not what the entry
// recorded (its hash), a temporary file left behind. `ids` (when given)
// receives the id of every record on disk.
QStringList historyFaults(const QString& dataFolder, QSet<QString>* ids = nullptr);
