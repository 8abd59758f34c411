#pragma once
// A web page made from a seed, for scrolling captures of layouts nobody drew
// by hand: items of random heights, each carrying a coded mark (CodedRows)
// at its top and at its bottom, so that a lost, repeated, reordered or torn
// item shows when the stitched picture is read back; and around them a
// random mix of what real pages have: fixed elements at any edge or corner
// (banners, bubbles, side tabs, with or without shadows), a ticking clock or
// a blinking dot, plain stretches up to several screens, a sticky header,
// sticky side columns, images that load late, items appended while the page
// is scrolled, an inner scrolling box, a page wider than the window, dark or
// light colours, and a device scale of 1 or 2.
//
// Every block of the page's main column has a height the page states, so
// the page knows where each mark lies once everything has loaded; check()
// holds a capture against that.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

class GeneratedPage {
public:
    enum class Edge { top, bottom, left, right, topLeft, topRight, bottomLeft, bottomRight };

    // An element fixed over the page, in CSS pixels from the edge or corner
    // it sits at.
    struct Fixed {
        Edge edge = Edge::bottom;
        int width = 0;  // 0: the whole width (a banner)
        int height = 0;
        int offset = 0; // from its edge (for the middle of a side: from the top)
        bool round = false;
        bool shadow = false;
        int code = 0; // the CodedRows colour it is filled with
    };

    // One block of the main column, top to bottom.
    struct Block {
        enum class Kind { item, plain, inner };
        Kind kind = Kind::item;
        int height = 0;     // CSS pixels, once its image has loaded
        int image = 0;      // of it an image that loads late (CSS pixels)
        int imageDelayMs = 0;
        int text = 0;       // lines of text
        bool appended = false; // shown only once the page is scrolled near its end
    };

    explicit GeneratedPage(quint32 seed);

    quint32 seed() const { return m_seed; }
    int scale() const { return m_scale; }
    bool dark() const { return m_dark; }
    bool wide() const { return m_wide; }
    // An inner scrolling box shown from the start.
    bool hasInner() const;
    int items() const;
    const QList<Block>& blocks() const { return m_blocks; }
    const QList<Fixed>& fixedElements() const { return m_fixed; }
    // What the seed gave, in a few words, for logs.
    QString description() const;

    // The page; images are asked from `imagePath` + "/<width>/<height>/<code>?ms=<delay>",
    // and `script` (the caller's own) is added at its end.
    QByteArray html(const QString& imagePath, const QString& script = QString()) const;

    // Marks: item i has code 2i at its top and 2i + 1 at its bottom; where
    // nothing fixed covers the page's last rows, its very end has code 2n
    // (n items). The inner box's items and the fixed elements have codes of
    // their own.
    static constexpr int markHeight = 10;
    static constexpr int markWidth = 28;
    static constexpr int innerCodes = 1000;
    static constexpr int fixedCodes = 3000;

    struct Verdict {
        int found = 0;   // items 0, 1, ... whole and in order, each once
        int total = 0;
        QString problem; // the first fault; empty: every item once, whole and in order
        bool whole() const { return problem.isEmpty(); }
    };
    // Reads the items back from a capture of the page (device pixels).
    Verdict check(const QImage& capture) const;
    // The same for a capture of the inner box alone.
    Verdict checkInner(const QImage& capture) const;

private:
    void generate();
    Verdict readMarks(const QImage& image, int base, int items, const QList<int>& expected) const;

    quint32 m_seed;
    int m_scale = 1;
    bool m_dark = false;
    bool m_wide = false;
    int m_stickyHeader = 0;  // CSS height, 0: none
    int m_stickyLeft = 0;    // width of a sticky column at the left, 0: none
    int m_stickyRight = 0;
    int m_innerItems = 0;
    int m_topPad = 0;
    int m_bottomPad = 0;
    bool m_clock = false;
    bool m_dot = false;
    Edge m_clockEdge = Edge::topRight;
    Edge m_dotEdge = Edge::bottomLeft;
    int m_appendBatch = 0;
    bool m_endMark = false;   // items shown per batch once appending starts; 0: all at once
    QList<Block> m_blocks;
    QList<Fixed> m_fixed;
};
