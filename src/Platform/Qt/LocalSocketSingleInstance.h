#pragma once
#include "Platform/SingleInstance.h"

#include <QLockFile>
#include <memory>

class QLocalServer;

// A lock file and a local socket in the user's runtime folder
// ($XDG_RUNTIME_DIR, else a per-user folder in /tmp). The lock decides who is
// first without races; the socket carries the later start's hand-over.
class LocalSocketSingleInstance final : public SingleInstance {
    Q_OBJECT
public:
    // folder: where lock and socket live (the runtime folder by default).
    explicit LocalSocketSingleInstance(QString folder = {}, QObject* parent = nullptr);
    ~LocalSocketSingleInstance() override;

    Claim claim() override;
    QString failure() const override { return m_failure; }
    bool handOverTo(const QString& program, int timeoutMs) override;

    static QString defaultFolder();
    QString socketPath() const;

private:
    bool handOver();
    // Gives up the session: no more lock, no more socket.
    void release();
    QString lockPath() const;
    // The process that holds the session's lock, 0 when none does.
    qint64 lockHolder() const;

    QString m_folder;
    QString m_failure;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
