#pragma once
// Whether a compositing manager runs, so that windows may be really
// translucent. Without one, translucent-looking windows paint over a still of
// what lies beneath them. A compositor can start or stop while we run:
// compositingChanged tells, on the main thread; isCompositing() may be asked
// from any thread.
#include <QObject>

class CompositingInfo : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CompositingInfo() override = default;
    virtual bool isCompositing() const = 0;

Q_SIGNALS:
    void compositingChanged(bool compositing);
};
