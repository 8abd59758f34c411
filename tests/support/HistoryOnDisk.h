#pragma once
// The records a history file holds together with the journal of changes
// beside it: what the program's next start would read.
#include <QJsonArray>
#include <QString>

// Empty when there is none or it does not parse.
QJsonArray historyOnDisk(const QString& historyPath);
