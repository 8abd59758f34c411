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
// picture does not decode or is not of the record's size, a thumbnail it
// names that does not decode, a clipboard picture whose data is not what the entry
// recorded (its hash), a temporary file left behind. `ids` (when given)
// receives the id of every record on disk.
QStringList historyFaults(const QString& dataFolder, QSet<QString>* ids = nullptr);

// The histories of a running program's data folder, looked at step by step.
class HistoryWatch {
public:
    explicit HistoryWatch(QString dataFolder) : m_folder(std::move(dataFolder)) {}
    // The ids of every record on disk.
    QSet<QString> ids() const;
    qsizetype count(const char* historyFile) const;
    // Whether every record of `before` is still on disk and every record
    // agrees with its picture: empty when so, else what is wrong. What was
    // lost and what is wrong is counted.
    QString check(const QSet<QString>& before);
    // How often a line stands in this run's log and the previous run's.
    int logged(const QString& line) const;

    int lost = 0;
    int wrong = 0;

private:
    QString m_folder;
};
