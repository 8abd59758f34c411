#pragma once
// A browser window showing a page made up from a seed, for testing the
// scrolling capture on layouts nobody designed. The page is a column of items
// (text, pictures, tables of identical rows, plain stretches up to several
// screens) on a light or dark background, each item carrying coded marks at
// its top and bottom edge (CodedRows colours, three copies across the width),
// so that a lost, repeated, reordered or torn item shows in a capture. Around
// and over it, chosen at random: the browser's toolbar with or without a bar
// under it, a status bar, a sticky header, a sticky column (staying to the
// end, or leaving with its container), fixed banners, bubbles and badges of
// random size at random edges and corners with or without soft shadows, a
// changing element (a clock, a blinking dot, a spinner), classic, overlay or
// no scrollbars, a horizontal scrollbar of a page wider than the window,
// pictures that load late and grow the page, items appended at the end, and
// an inner scrolling box. Everything in device pixels, at scale 1 or 2.
//
// The page also knows the truth a capture is judged by: where every mark of
// the final layout lies, which marks a capture can show at all (not covered
// in every view), and which fixed elements carry a mark of their own.
//
// Dynamic state (scroll offsets, loads, the clock) follows a virtual clock in
// milliseconds that the caller advances; see SimulatedWindow for the input.
#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class SimulatedPage {
public:
    enum class Pick { window, section };

    // A coded mark: where it lies in its document (page or inner box), and
    // its code.
    struct Mark {
        int code = 0;
        int docY = 0;  // rows from the document's top
        int item = 0;  // the item it belongs to
        bool top = true;
    };

    // Something standing over the page in the window (a banner, a bubble,
    // the clock), in window pixels, its shadow included.
    struct Cover {
        QRect rect;
        bool upper = true; // its top lies in the upper half of the captured frame
    };

    // A mark of something that must show at most `allowed` times.
    struct FixedMark {
        int code = 0;
        int x = 0; // window pixels: the column of its centre
        int allowed = 1;
    };

    SimulatedPage(quint32 seed, Pick pick);
    ~SimulatedPage();
    SimulatedPage(const SimulatedPage&) = delete;
    SimulatedPage& operator=(const SimulatedPage&) = delete;

    quint32 seed() const { return m_seed; }
    Pick pick() const { return m_pick; }
    int scale() const { return m_scale; }
    // A line for a report: what the seed made.
    QString describe() const;

    // The window in points, at (100, 60) on the screen, and in pixels.
    QRectF windowPoints() const;
    QSize windowPixels() const { return {m_winW, m_winH}; }
    // The section a user drags (section picks), in global points; may reach
    // past the window's bottom edge.
    std::optional<QRectF> sectionPoints() const;
    // The part of the window a capture shows, in window pixels (the section
    // clipped to the window, or the whole window).
    QRect capturedRect() const;

    // The window's picture now.
    QImage render();

    // Input, at virtual time `now` (ms).
    void advanceTo(qint64 now);
    void wheel(QPointF windowPoint, int clicks); // positive: towards the top
    void pageKey(int direction);                  // +1 Page Down, -1 Page Up
    void topKey();                                // Control+Home / Home
    // The view is still moving (a smooth scroll, a load about to land).
    bool busy() const;

    // Truth for judging a capture, in the final layout.
    QList<Mark> marks() const;
    QList<int> markColumns() const; // window x of the centre of every mark copy
    int markHeight() const { return m_markH; }
    // Row of the capture where document row 0 lies when the view is at its
    // top; document = the page, or the inner box.
    int documentRowInCapture() const;
    // Height a whole capture has: the captured frame plus everything the
    // document scrolls.
    int expectedHeight() const;
    // Whether a capture can show the mark at all (some copy is uncovered in
    // some view, and not under what the first and last views keep).
    bool markShowable(const Mark& mark) const;
    QList<FixedMark> fixedMarks() const;
    int maxItemsCode() const;
    // The document's row `docY` in the final layout, documentWidth() pixels;
    // nullptr outside it.
    const QRgb* documentLine(int docY) const;
    int documentWidth() const;
    // Column of the capture where document column 0 lies.
    int documentColumnInCapture() const;
    // Where the document shows in the first frame of a capture (the view at
    // its top), in capture pixels; a whole capture shows its rows from there
    // on to documentScroll() rows further down.
    QRect documentViewInCapture() const;
    int documentScroll() const;
    // Where something standing over the document may show in a whole
    // capture, in capture pixels: what stands over the upper half of the
    // frame where the first frame has it, what stands over the lower half
    // where the last frame has it, a sticky column and an overlay scrollbar
    // in every row.
    QList<QRect> fixedPlaces() const;

private:
    struct Item;
    struct Document;
    struct Fixed;

    void buildWindow();
    void buildDocument(Document& doc, int width, int viewHeight, int items, bool inner);
    void buildFixed();
    void layout(Document& doc) const;
    int maxOffset(const Document& doc) const;
    const QImage& tile(Document& doc, int index) const; // (a cache of the document's rows)
    void renderItemRow(const Document& doc, const Item& item, int rowInItem, QRgb* line) const;
    void copyDocument(Document& doc, QImage& frame, int dstX, int dstY, int offset, int rows, int width);
    void drawScrollbar(QImage& frame, QRect track, int offset, int max, int viewHeight, bool overlay, bool shown) const;
    QImage fixedPicture(const Fixed& f) const;
    int stickyColumnTop() const;
    void scrollDocument(Document& doc, int by);
    void settleScroll(Document& doc);
    bool triggerLoads();
    QList<QRect> coversAt(int offset) const;
    const Document& document() const { return m_box ? *m_box : *m_page; }
    int pageViewTop() const { return m_chromeH; }
    QRect pageView() const;
    // The inner box's view in window pixels, with the page where it stands
    // now, or where it stood at the start.
    QRect boxView() const;
    QRect boxViewAtStart() const;

    quint32 m_seed;
    Pick m_pick;
    int m_scale = 1;
    int m_winW = 0, m_winH = 0;
    int m_chromeH = 0, m_toolbarH = 0, m_statusH = 0;
    int m_vbarW = 0;  // classic scrollbar width; 0: overlay or none
    int m_overlayW = 0;
    int m_hbarH = 0;
    int m_headerH = 0;
    int m_columnW = 0;
    bool m_columnLeft = true;
    bool m_columnLeaves = false;
    int m_columnCode = -1, m_headerCode = -1, m_chromeCode = -1, m_statusCode = -1;
    bool m_dark = false;
    QRgb m_bg = 0, m_ink = 0;
    int m_markW = 0, m_markH = 0;
    int m_wheelPixels = 0;
    int m_smoothMs = 0;
    int m_pagePercent = 0; // of the view a page key scrolls; 0: the view less 40 points
    int m_loadMargin = 0;
    int m_appendBatches = 0;
    qint64 m_now = 0;
    qint64 m_lastWheel = -100000;
    bool m_wheelOnBox = false;
    qint64 m_lastScroll = -100000;
    std::vector<Fixed> m_fixed;
    int m_changing = 0; // 0 none, 1 clock, 2 blinking dot, 3 spinner
    QRect m_changingRect;
    QImage m_chrome, m_header, m_column, m_status;
    std::unique_ptr<Document> m_page;
    std::unique_ptr<Document> m_box; // inner scroller, section picks only
    int m_boxItem = -1;
    int m_pageStart = 0; // the page's offset at the start
    QRect m_section; // window pixels, may reach past the window
    quint32 m_appendSeed = 0;
    qint64 m_appendAt = -1;
};
