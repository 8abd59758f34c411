#pragma once
// Asks a running browser which pages its windows show.
#include "Platform/BridgeError.h"
#include "Platform/DocumentWindow.h"

#include <QList>

class BrowserBridge {
public:
    virtual ~BrowserBridge() = default;
    // The browser windows of the process, each with its front tab's URL. A
    // window whose page cannot be read is left out. Throws BridgeError when
    // the browser cannot be asked at all.
    virtual QList<DocumentWindow> windowList(const QString& browserID, qint64 pid) = 0;
};
