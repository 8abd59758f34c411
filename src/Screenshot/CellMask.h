#pragma once
// A set of cells of a frame (FrameRows: one row by cellWidth columns), in the
// frame's own coordinates: the cells that changed between two frames, or
// those that change by themselves (a ticking clock, a spinner) and are left
// out of every comparison.
#include <QRect>
#include <vector>

class CellMask {
public:
    CellMask() = default;
    CellMask(int rows, int cells) : m_rows(rows), m_cells(cells), m_bits(size_t(rows) * size_t(cells), false) { }

    int rows() const { return m_rows; }
    int cells() const { return m_cells; }
    bool isEmpty() const { return m_count == 0; }
    int count() const { return m_count; }
    // Cells outside the mask's size are never in it.
    bool contains(int y, int c) const
    {
        return y >= 0 && y < m_rows && c >= 0 && c < m_cells && m_bits[size_t(y) * size_t(m_cells) + size_t(c)];
    }
    void insert(int y, int c)
    {
        if (y < 0 || y >= m_rows || c < 0 || c >= m_cells)
            return;
        auto bit = m_bits[size_t(y) * size_t(m_cells) + size_t(c)];
        if (!bit) {
            bit = true;
            ++m_count;
            m_box |= QRect(c, y, 1, 1);
        }
    }
    // Every cell of `other` (of the same size) joins, grown by `rows` rows
    // and `cells` cells on each side.
    void unite(const CellMask& other, int rows = 0, int cells = 0)
    {
        for (int y = 0; y < other.m_rows; ++y)
            for (int c = 0; c < other.m_cells; ++c)
                if (other.contains(y, c))
                    for (int dy = -rows; dy <= rows; ++dy)
                        for (int dc = -cells; dc <= cells; ++dc)
                            insert(y + dy, c + dc);
    }
    // The smallest rectangle (x: cells, y: rows) around every cell in it.
    QRect boundingBox() const { return m_box; }

private:
    int m_rows = 0;
    int m_cells = 0;
    int m_count = 0;
    QRect m_box;
    std::vector<bool> m_bits;
};
