#pragma once
// The documents a Linux PDF viewer shows, read from the viewer process: files
// named on its command line and files it holds open that are PDF documents
// (by their content, whatever their names). Where the process
// shows several, the one named in the picked window's title comes first.
// Linux viewers offer no "save the shown state as a copy", and the system
// viewer of the table does not exist here.
#include "Platform/PdfViewerBridge.h"

#include <functional>

class ProcPdfViewerBridge final : public PdfViewerBridge {
public:
    using WindowTitle = std::function<QString(quint32 window)>;
    // windowTitle defaults to the X11 window's _NET_WM_NAME / WM_NAME.
    explicit ProcPdfViewerBridge(PdfViewerRules rules, QString procRoot = QStringLiteral("/proc"),
                                 WindowTitle windowTitle = {});

    QStringList documents(const QString& appID, qint64 pid, quint32 window) override;
    QList<DocumentWindow> windowList(const QString& appID, qint64 pid) override;
    bool saveCopy(const QString& appID, int index, const QString& path) override;

    static QString x11WindowTitle(quint32 window);

private:
    PdfViewerRules m_rules;
    QString m_procRoot;
    WindowTitle m_windowTitle;
};
