#pragma once
// The last frame's rows along the bottom edge of the view, which no later
// view shows higher up: something that shows only while the view scrolls
// (an overlay scrollbar's thumb) may stand over them there, even where no
// frame before showed it. Rows of one colour reaching `plainRows` up stand
// under nothing that differs from them and are left alone.
//
// Looks at the same view after the last step tell: one taken once all that
// showed with the input would have faded that shows the rows as the frame
// had them confirms them; rows that changed while everything above them
// stayed, and then held still (or were looked at that late), come from that
// look. Anything else leaves them unsettled.
#include <QImage>

class EndRowsWatch {
public:
    // The frame as taken, its content rows [contentTop, contentEnd), and
    // the columns to compare (left of a scrollbar).
    EndRowsWatch(const QImage& frame, int contentTop, int contentEnd, int columns);

    // First frame row watched, -1 for none.
    int first() const { return m_first; }
    int end() const { return m_end; }
    bool watching() const { return m_first >= 0; }

    // A look at the same view; `late`: taken when what showed with the last
    // input has faded.
    void look(const QImage& view, bool late);

    bool settled() const { return !watching() || m_settled; }
    // Settled on a look whose rows are to be taken (null: the frame's stand).
    const QImage& taken() const { return m_taken; }

    // Rows a bar over the view's bottom edge is thinner than.
    static constexpr int plainRows = 16;

private:
    bool same(const QImage& a, const QImage& b, int from, int to) const;

    QImage m_frame;
    int m_top = 0;
    int m_first = -1;
    int m_end = 0;
    int m_columns = 0;
    bool m_settled = false;
    QImage m_last;    // the newest look that changed only the watched rows
    int m_calm = 0;   // looks in a row that agree with it
    QImage m_taken;
};
