#include "Platform/Qt/DesktopWorkspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

bool DesktopWorkspace::openFolder(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopWorkspace::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void DesktopWorkspace::revealFile(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString dbusSend = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    if (dbusSend.isEmpty()) {
        openFolder(folder);
        return;
    }
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process, [process, folder](int code, QProcess::ExitStatus status) {
        // No file manager answers the service: show the folder instead.
        if (status != QProcess::NormalExit || code != 0)
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, folder](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
            process->deleteLater();
        }
    });
    process->start(dbusSend, {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                              QStringLiteral("--reply-timeout=2000"),
                              QStringLiteral("--dest=org.freedesktop.FileManager1"), QStringLiteral("--type=method_call"),
                              QStringLiteral("/org/freedesktop/FileManager1"),
                              QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
                              QStringLiteral("array:string:") + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
                              QStringLiteral("string:")});
}
