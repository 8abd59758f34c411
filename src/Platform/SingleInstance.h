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
    enum class Claim {
        claimed,       // this process is now the session's instance
        otherInstance, // another instance runs; it has been told about this start
        failed,        // whether another runs is unknown: the lock could not be made
    };
    virtual Claim claim() = 0;
    // Why the last claim failed (a folder, a reason), for the user.
    virtual QString failure() const = 0;
    // Starts program as the session's next instance and waits (at most
    // timeoutMs) until it has claimed the session. True: the new instance
    // runs and holds the session, and this one should end. False: it did not
    // start or did not claim in time, and this process holds the session again.
    virtual bool handOverTo(const QString& program, int timeoutMs) = 0;

Q_SIGNALS:
    void activationRequested();
};
