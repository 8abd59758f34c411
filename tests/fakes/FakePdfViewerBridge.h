#pragma once
#include "Platform/PdfViewerBridge.h"

#include <QFile>
#include <optional>

class FakePdfViewerBridge final : public PdfViewerBridge {
public:
    QStringList documents(const QString&, qint64 pid, quint32 window) override
    {
        askedPid = pid;
        askedWindow = window;
        if (documentsError)
            throw BridgeError(*documentsError);
        return docs;
    }
    QList<DocumentWindow> windowList(const QString&, qint64) override { return list; }
    bool saveCopy(const QString&, int index, const QString& path) override
    {
        savedIndex = index;
        savedPath = path;
        if (copySource.isEmpty())
            return false;
        return QFile::copy(copySource, path);
    }
    QStringList docs;
    std::optional<QString> documentsError;
    QList<DocumentWindow> list;
    QString copySource; // empty: the viewer cannot make copies
    qint64 askedPid = 0;
    quint32 askedWindow = 0;
    int savedIndex = 0;
    QString savedPath;
};
