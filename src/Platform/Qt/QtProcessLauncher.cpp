#include "Platform/Qt/QtProcessLauncher.h"

#include <QCoreApplication>
#include <QProcess>

QString QtProcessLauncher::programPath() const { return QCoreApplication::applicationFilePath(); }

qint64 QtProcessLauncher::processId() const { return QCoreApplication::applicationPid(); }

bool QtProcessLauncher::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void QtProcessLauncher::quit() { QCoreApplication::quit(); }
