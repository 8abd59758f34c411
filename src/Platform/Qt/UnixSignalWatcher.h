#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the main thread, so the app
// can shut down through its normal termination path.
#include <QObject>

class QSocketNotifier;

class UnixSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalWatcher(QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
