#include "Platform/Qt/WebEngineEnvironment.h"

#include <QByteArray>
#include <QtGlobal>
#include <unistd.h>

void WebEngineEnvironment::prepare()
{
    if (geteuid() != 0)
        return;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--no-sandbox"))
        return;
    if (!flags.isEmpty())
        flags += ' ';
    flags += "--no-sandbox";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}
