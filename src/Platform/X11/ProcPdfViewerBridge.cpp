#include "Platform/X11/ProcPdfViewerBridge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <xcb/xcb.h>

namespace {
QString propertyText(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    auto cookie = xcb_get_property(c, 0, w, property, type, 0, 4096);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return QString();
    const int len = xcb_get_property_value_length(reply);
    const QString text = len > 0 ? QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)), len)
                                 : QString();
    free(reply);
    return text;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    auto cookie = xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
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
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return QString();
    }
    QString title = propertyText(c, window, atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"));
    if (title.isEmpty())
        title = propertyText(c, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    xcb_disconnect(c);
    return title;
}

QStringList ProcPdfViewerBridge::documents(const DocApp& app, qint64 pid, quint32 window)
{
    if (!m_rules.readsOpenFiles(app) || pid <= 0)
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

QString ProcPdfViewerBridge::windowList(const DocApp&, qint64)
{
    return QString();
}

bool ProcPdfViewerBridge::saveCopy(const DocApp&, int, const QString&)
{
    return false;
}
