#pragma once
// Asks a running PDF viewer which documents it shows.
#include "Platform/BridgeError.h"
#include "Platform/DocumentWindow.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The app's view of viewers and documents, for bridges that find the
// documents themselves: which viewers they may ask that way, and which files
// count as documents.
struct PdfViewerRules {
    std::function<bool(const QString& appID)> readsOpenFiles;
    std::function<bool(const QString& path)> isDocument;
};

class PdfViewerBridge {
public:
    virtual ~PdfViewerBridge() = default;
    // For the system viewer: the paths of all its open documents in its own
    // order. For other viewers: the documents of the viewer process that owns
    // the given window, the one shown in that window first when it can be told.
    // Throws BridgeError when the viewer cannot be asked.
    virtual QStringList documents(const QString& appID, qint64 pid, quint32 window) = 0;
    // The system viewer's windows, each with the path of the document it shows.
    virtual QList<DocumentWindow> windowList(const QString& appID, qint64 pid) = 0;
    // Makes the viewer save document number `index` of its list, in the state
    // shown, as a copy at `path`. False where the viewer offers no such thing.
    // Throws BridgeError when the viewer refuses.
    virtual bool saveCopy(const QString& appID, int index, const QString& path) = 0;
};
