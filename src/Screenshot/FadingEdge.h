#pragma once
// The rows along the bottom edge of a scrolled view that stood still while
// the content moved (the window's rows below the view, a band at the bottom
// of it). A real footer shows the same there at the end of the content as at
// its top; where they differ, page content lies there under something that
// showed while the view scrolled: an overlay scrollbar, which fades out a
// while after the last scroll. Those rows are taken only once they changed
// and then held still, so the result holds the content, not the bar.
#include <QImage>

class FadingEdge {
public:
    // `atTop`: those rows at the top of the content; `atEnd`: the first look
    // at them at the end. Both null or empty: no such rows.
    FadingEdge(const QImage& atTop, const QImage& atEnd);

    // Something over the edge may still fade.
    bool suspect() const { return m_suspect; }
    // A later look at the same rows.
    void look(const QImage& rows);
    // They changed since the first look at the end, and the last three looks
    // agree (a fade goes on for a while).
    bool faded() const { return m_changed && m_calm >= 2; }

private:
    static bool same(const QImage& a, const QImage& b);

    bool m_suspect = false;
    bool m_changed = false;
    int m_calm = 0;
    QImage m_first;
    QImage m_last;
};
