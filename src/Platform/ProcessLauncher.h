#pragma once
// Starting programs and ending this one.
#include <QString>
#include <QStringList>

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // The running program's executable file.
    virtual QString programPath() const = 0;
    virtual qint64 processId() const = 0;
    // Starts a program with an argument list (no shell parsing of our data);
    // true when it started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Ends this program through its normal termination path.
    virtual void quit() = 0;
};
