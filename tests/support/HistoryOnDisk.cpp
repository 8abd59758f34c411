#include "support/HistoryOnDisk.h"

#include "Platform/Qt/PosixFileCalls.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/HistoryJournal.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>

QJsonArray historyOnDisk(const QString& historyPath)
{
    PosixFileCalls calls;
    return HistoryJournal::records(calls, historyPath).value_or(QJsonArray());
}

QSet<QString> HistoryWatch::ids() const
{
    QSet<QString> ids;
    historyFaults(m_folder, &ids);
    return ids;
}

qsizetype HistoryWatch::count(const char* historyFile) const
{
    return historyOnDisk(m_folder + QLatin1Char('/') + QLatin1String(historyFile)).size();
}

QString HistoryWatch::check(const QSet<QString>& before)
{
    QSet<QString> now;
    const QStringList faults = historyFaults(m_folder, &now);
    const QSet<QString> gone = before - now;
    lost += int(gone.size());
    wrong += int(faults.size());
    if (gone.isEmpty() && faults.isEmpty())
        return {};
    return QStringLiteral("lost: %1; wrong: %2").arg(QStringList(gone.begin(), gone.end()).join(' '), faults.join(' '));
}

int HistoryWatch::logged(const QString& line) const
{
    return int(QString::fromUtf8(fileContents(m_folder + QStringLiteral("/debug.log.1")) + fileContents(m_folder + QStringLiteral("/debug.log")))
                   .count(line));
}

QStringList historyFaults(const QString& dataFolder, QSet<QString>* ids)
{
    QStringList wrong;
    for (const QJsonValue& v : historyOnDisk(dataFolder + QStringLiteral("/screenshots.json"))) {
        const QJsonObject o = v.toObject();
        if (ids)
            ids->insert(o["id"].toString());
        const QImage picture(dataFolder + QStringLiteral("/Screenshots/") + o["fileName"].toString());
        if (picture.size() != QSize(o["width"].toInt(), o["height"].toInt()))
            wrong << o["fileName"].toString();
        if (o.contains("thumbnailFileName")
            && QImage(dataFolder + QStringLiteral("/Thumbnails/") + o["thumbnailFileName"].toString()).isNull())
            wrong << o["thumbnailFileName"].toString();
    }
    for (const QJsonValue& v : historyOnDisk(dataFolder + QStringLiteral("/clipboard.json"))) {
        const QJsonObject o = v.toObject();
        if (ids)
            ids->insert(o["id"].toString());
        if (o["type"].toString() != QStringLiteral("image"))
            continue;
        const QByteArray png = fileContents(dataFolder + QStringLiteral("/ClipboardImages/") + o["imageFileName"].toString());
        if (ClipboardHistoryStore::sha256Hex(png) != o["contentHash"].toString() || QImage::fromData(png).isNull())
            wrong << o["imageFileName"].toString();
    }
    for (QDirIterator it(dataFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        if (const QString name = QFileInfo(it.next()).fileName(); name.contains(QStringLiteral("zentu-tmp")))
            wrong << name;
    return wrong;
}
