#pragma once
#include "Platform/BrowserBridge.h"
#include "Screenshot/Browser.h"
#include "Screenshot/CaptureError.h"

#include <optional>

class FakeBrowserBridge final : public BrowserBridge {
public:
    QString windowList(const Browser& browser, qint64 pid) override
    {
        askedBrowser = browser.name;
        askedPid = pid;
        if (error)
            throw CaptureError(*error);
        return list;
    }
    QString list;
    std::optional<QString> error;
    QString askedBrowser;
    qint64 askedPid = 0;
};
