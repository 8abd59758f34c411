#pragma once
#include "Platform/BrowserBridge.h"

#include <optional>

class FakeBrowserBridge final : public BrowserBridge {
public:
    QList<DocumentWindow> windowList(const QString& browserID, qint64 pid) override
    {
        askedBrowser = browserID;
        askedPid = pid;
        if (error)
            throw BridgeError(*error);
        return list;
    }
    QList<DocumentWindow> list;
    std::optional<QString> error;
    QString askedBrowser;
    qint64 askedPid = 0;
};
