#pragma once
// One frame of the scrolling capture with a fingerprint per row, so that
// frames can be compared densely (every pixel counts) and still cheaply: rows
// with equal fingerprints are taken as equal, and only rows whose
// fingerprints differ are compared pixel by pixel.
//
// The columns at the right edge (where a scrollbar thumb or a fading overlay
// indicator moves on its own) get a fingerprint of their own; the content
// comparisons look at the body, the columns left of that edge.
#include <QImage>
#include <QList>

class FrameRows {
public:
    FrameRows() = default;
    explicit FrameRows(const QImage& frame);

    bool isNull() const { return m_image.isNull(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    const QImage& image() const { return m_image; }
    // Columns [0, bodyWidth()) are the body, the others the right edge.
    int bodyWidth() const { return m_bodyWidth; }
    quint64 body(int y) const { return m_body[y]; }
    quint64 edge(int y) const { return m_edge[y]; }

    // Pixels of body row `y` of this frame that differ clearly from body row
    // `otherY` of `other` (more than 16 levels per channel on average).
    int differingBodyPixels(int y, const FrameRows& other, int otherY) const;
    // The two body rows show the same: equal, or apart from a handful of
    // pixels (a caret, an underline under the pointer): at most 1 in 200.
    bool bodyAlike(int y, const FrameRows& other, int otherY) const;

    // Width of the right edge for a frame of this width.
    static int edgeWidth(int width) { return qMin(width / 6, 48); }

private:
    QImage m_image;
    int m_bodyWidth = 0;
    QList<quint64> m_body;
    QList<quint64> m_edge;
};
