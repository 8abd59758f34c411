#pragma once
// The window around a section of it. Where the section lies over an inner
// scrolling box, the wheel scrolls what holds the box (the page) once the box
// is at its end: that shows around the section, not in it, where the page
// moves. A small change in one place (a clock, a blinking dot, a spinner in
// the tab) is no movement, nor a larger one in place (a picture loading):
// moved rows show what other rows showed before.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameRows.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <optional>
#include <vector>

class SectionSurroundings {
public:
    // Global rectangles; `scale`: device pixels per point.
    SectionSurroundings(QRectF window, QRectF section, qreal scale);

    // Whether the section may lie over a box that scrolls inside the page:
    // the window shows rows of the page around it, above and below, where a
    // move of the page would show. One that reaches the window's top or
    // bottom edge, or touches its left or right one, is taken to be part of
    // what scrolls there. `nearEdge`: it lies closer than the clearance to
    // the left or right edge (a box beside a narrow margin), where less of
    // the page shows around it.
    static bool mayHoldBox(QRectF window, QRectF section, qreal scale, bool* nearEdge = nullptr);

    QRectF window() const { return m_window; }
    void setSection(QRectF section) { m_section = section; }

    // A grab of window() with the section blanked; with `asAtStart`, the
    // section as it was given first (a view narrowed later lies inside it).
    QImage blanked(QImage window, bool asAtStart = false) const;
    // Where `after` shows the window moved since `before` (both from
    // blanked()): the global point of the moved part nearest to the section,
    // so that the wheel there reaches what moved; nothing when it stood still.
    // `carried`: rows the step may have moved the page by (down positive),
    // where the window around shows too little to measure it.
    std::optional<QPointF> moved(const QImage& before, const QImage& after, int carried = 0) const;
    // The same for any change that is not in one small place, moved or not
    // (a jump of the page that brought only new rows into view looks like
    // that, and so does a picture loading): the caller finds out which.
    std::optional<QPointF> changed(const QImage& before, const QImage& after, int carried = 0) const
    {
        return changedAt(before, after, false, carried);
    }

    // Whether the rows right above or below the section changed across much
    // of its width. The page going on past the section's edge looks like
    // that when it moved by more than the few rows of it the window shows
    // there (the rest of the window fixed or plain): no move to see, yet no
    // sign of a box standing in a still page either. A box's own scrollbar
    // beside it is narrow, a clock small.
    bool changedAlongEdge(const QImage& before, const QImage& after) const;

    // Whether the window around changed as the section's content did when
    // it moved up by `shift` rows (down for a negative one): most changed
    // cells show what the cell `shift` rows lower showed before. A page
    // scrolling under the section does that even where all it shows around
    // repeats (a table's rows), which tells no shift of its own; a box
    // standing in a still page leaves it unchanged.
    static bool followsShift(const QImage& before, const QImage& after, int shift);

    // Whether something stands still over the content of a section in rows
    // [from, to) of `after` (its newest rows) while the content moved up by
    // `shift` rows since `before`: a box in the window, or the part of a
    // column that the section's edge cuts (too little of it for a column
    // standing beside the content). Those rows would carry it into the
    // result once per strip. A cell stands when it shows what it showed
    // before and neither came from where the shift puts it nor went on to
    // where the shift takes it (rows that repeat, as a table's do, fit the
    // shift as well). Cells in `skip` (in FrameRows cells) and rows in
    // `skipRows` are left to the caller.
    static bool standsStill(const QImage& before, const QImage& after, int shift, int from, int to,
                            const CellMask* skip = nullptr, const std::vector<bool>* skipRows = nullptr);

    // Device pixels between the section and a point given by moved().
    static constexpr int clearance = 24;
    // Device pixels a section near the left or right edge keeps from it.
    static constexpr int edgeGap = 4;

private:
    QRect sectionPixels(const QRectF& section) const;
    static bool displaced(const FrameRows& before, const FrameRows& after);
    std::optional<QPointF> changedAt(const QImage& before, const QImage& after, bool displacedOnly,
                                     int carried) const;
    static bool displacedRows(const FrameRows& before, const FrameRows& after);
    static bool displacedCells(const FrameRows& before, const FrameRows& after);
    // How far most displaced rows or cells went (down positive), where enough did.
    static std::optional<int> rowShift(const FrameRows& before, const FrameRows& after);
    static std::optional<int> cellShift(const FrameRows& before, const FrameRows& after);
    static constexpr int minimumDisplacedRows = 8;
    static constexpr int minimumDisplacedCells = 32;
    // Cell columns a standing thing spans: a scrollbar's thumb, which moves
    // little per step, spans fewer.
    static constexpr int minimumStandingColumns = 3;

    QRectF m_window;
    QRectF m_section;
    QRectF m_firstSection;
    qreal m_scale;
};
