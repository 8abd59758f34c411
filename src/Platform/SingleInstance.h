#pragma once
// One running instance per user session. The first process claims the
// session; a later one hands over to it (the first hears activationRequested)
// and should then exit.
#include <QObject>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SingleInstance() override = default;
    // True when this process is now the session's instance. False when another
    // instance runs; it has been told about this start.
    virtual bool claim() = 0;
    // Starts program as the session's next instance and waits (at most
    // timeoutMs) until it has claimed the session. True: the new instance
    // runs and holds the session, and this one should end. False: it did not
    // start or did not claim in time, and this process holds the session again.
    virtual bool handOverTo(const QString& program, int timeoutMs) = 0;

Q_SIGNALS:
    void activationRequested();
};
