#pragma once
// The progress of the running scrolling capture: strips taken and the height
// stitched so far. The scroll loop writes it, the progress panel that owns it
// shows it.
#include <QObject>

class ScrollProgress : public QObject {
    Q_OBJECT
public:
    int strips() const { return m_strips; }
    int heightPx() const { return m_heightPx; }
    void setStrips(int strips);
    void setHeightPx(int heightPx);

Q_SIGNALS:
    void stripsChanged(int strips);
    void heightPxChanged(int heightPx);

private:
    int m_strips = 0;
    int m_heightPx = 0;
};
