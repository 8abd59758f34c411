#pragma once
// Tells when a window has been closed (a close that was accepted), as opposed
// to merely hidden: a hidden window may come back, a closed one is dropped.
#include <QObject>

class QWidget;

class WindowCloseWatcher : public QObject {
    Q_OBJECT
public:
    explicit WindowCloseWatcher(QWidget* window);

Q_SIGNALS:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_closing = false;
};
