#pragma once
// One frame of the scrolling capture with fingerprints, so that frames can be
// compared densely (every pixel counts) and still cheaply: rows and cells
// with equal fingerprints are taken as equal, and only those whose
// fingerprints differ are compared pixel by pixel.
//
// The body (the columns left of the right edge, where a scrollbar thumb or a
// fading overlay indicator moves on its own) is cut into cells of cellWidth
// columns by one row. A cell has its own fingerprint, so comparisons can leave
// out columns (a sticky sidebar that does not move with the content) and
// single cells (a ticking clock); a row's fingerprint covers the whole body.
#include <QImage>
#include <QList>
#include <vector>

class FrameRows {
public:
    static constexpr int cellWidth = 16;

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

    // Cells per row, and the columns cell c covers.
    int cells() const { return m_cells; }
    int cellLeft(int c) const { return c * cellWidth; }
    int cellRight(int c) const { return qMin(m_bodyWidth, (c + 1) * cellWidth); }
    quint64 cell(int y, int c) const { return m_cell[size_t(y) * size_t(m_cells) + size_t(c)]; }
    // All pixels of the cell have one colour: it cannot tell where it is.
    bool uniform(int y, int c) const { return m_uniform[size_t(y) * size_t(m_cells) + size_t(c)]; }
    // Cell c of row y here and of row otherY there show the same: equal, or
    // apart from slight colour noise. (Sparse content, a dot here and there,
    // would look alike to any looser test.)
    bool cellAlike(int y, int c, const FrameRows& other, int otherY) const;

    // Width of the right edge for a frame of this width.
    static int edgeWidth(int width) { return qMin(width / 6, 48); }

private:
    QImage m_image;
    int m_bodyWidth = 0;
    int m_cells = 0;
    QList<quint64> m_body;
    QList<quint64> m_edge;
    std::vector<quint64> m_cell;
    std::vector<bool> m_uniform;
};
