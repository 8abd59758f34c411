#include "Platform/Qt/DesktopWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>

DesktopWorkspace::DesktopWorkspace(UrlOpener opener)
    : m_open(opener ? std::move(opener) : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }))
{
}

bool DesktopWorkspace::openFolder(const QString& path) { return m_open(QUrl::fromLocalFile(path)); }

bool DesktopWorkspace::openUrl(const QUrl& url) { return m_open(url); }

void DesktopWorkspace::revealFile(const QString& path, std::function<void(bool shown)> done)
{
    // The opener is copied: the answer may come after this object is gone.
    auto showFolder = [open = m_open, folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath()), done] {
        const bool shown = open(folder);
        if (done)
            done(shown);
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showFolder();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, showItemsTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, showFolder, done] {
        watcher->deleteLater();
        // No file manager offers the service (or it failed): the folder instead.
        if (watcher->isError())
            showFolder();
        else if (done)
            done(true);
    });
}
