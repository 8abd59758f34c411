#include "Platform/X11/ProcPdfViewerBridge.h"

#include "Platform/X11/XcbConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {
QString propertyText(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 4096), nullptr));
    if (!reply)
        return QString();
    const int len = xcb_get_property_value_length(reply.get());
    return len > 0 ? QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())), len) : QString();
}
}

ProcPdfViewerBridge::ProcPdfViewerBridge(PdfViewerRules rules, QString procRoot, WindowTitle windowTitle)
    : m_rules(std::move(rules))
    , m_procRoot(std::move(procRoot))
    , m_windowTitle(windowTitle ? std::move(windowTitle) : WindowTitle(&ProcPdfViewerBridge::x11WindowTitle))
{
}

QString ProcPdfViewerBridge::x11WindowTitle(quint32 window)
{
    if (window == 0)
        return QString();
    XcbConnection x;
    if (!x.isValid())
        return QString();
    QString title = propertyText(x.get(), window, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING"));
    if (title.isEmpty())
        title = propertyText(x.get(), window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    return title;
}

QStringList ProcPdfViewerBridge::documents(const QString& appID, qint64 pid, quint32 window)
{
    if (!m_rules.readsOpenFiles(appID) || pid <= 0)
        return {};
    const QString proc = m_procRoot + QLatin1Char('/') + QString::number(pid);
    QStringList found;
    auto add = [&](const QString& path) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty() && QFileInfo(canonical).isFile() && m_rules.isDocument(canonical) && !found.contains(canonical))
            found.append(canonical);
    };

    // Arguments: plain paths (relative to the process's folder) or file URLs.
    QFile cmdline(proc + QStringLiteral("/cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QDir cwd(QFileInfo(proc + QStringLiteral("/cwd")).symLinkTarget());
        const QList<QByteArray> args = cmdline.readAll().split('\0');
        for (qsizetype i = 1; i < args.size(); ++i) {
            const QString arg = QString::fromLocal8Bit(args[i]);
            if (arg.isEmpty() || arg.startsWith(QLatin1Char('-')))
                continue;
            const QUrl url(arg);
            if (url.isLocalFile())
                add(url.toLocalFile());
            else
                add(cwd.absoluteFilePath(arg));
        }
    }
    // Files opened later from the viewer's own dialog stay open as descriptors
    // in many viewers.
    const QDir fds(proc + QStringLiteral("/fd"));
    for (const QString& fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        add(QFileInfo(fds.filePath(fd)).symLinkTarget());

    if (found.size() > 1) {
        const QString title = m_windowTitle(window);
        for (qsizetype i = 0; i < found.size(); ++i)
            if (!title.isEmpty() && title.contains(QFileInfo(found[i]).fileName())) {
                found.move(i, 0);
                break;
            }
    }
    return found;
}

QList<DocumentWindow> ProcPdfViewerBridge::windowList(const QString&, qint64)
{
    return {};
}

bool ProcPdfViewerBridge::saveCopy(const QString&, int, const QString&)
{
    return false;
}
