#include "support/SimulatedPage.h"

#include "helpers/CodedRows.h"

#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

quint32 hash(quint32 a, quint32 b = 0, quint32 c = 0, quint32 d = 0)
{
    quint32 h = a * 0x9e3779b1u ^ (b + 0x7f4a7c15u) * 0x85ebca77u;
    h ^= (c + 0x165667b1u) * 0xc2b2ae3du;
    h ^= (d + 0x27d4eb2fu) * 0x61c88647u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

// 64 glyphs of 6 x 9 dots, the same for every page.
const std::array<std::array<quint8, 9>, 64>& glyphs()
{
    static const auto table = [] {
        std::array<std::array<quint8, 9>, 64> t{};
        for (int g = 0; g < 64; ++g)
            for (int r = 0; r < 9; ++r) {
                const quint32 v = hash(g + 1, r + 1, 77);
                // Dense in the middle rows, like letters.
                const bool ascender = r < 2 && (g % 3 != 0);
                const bool descender = r > 7 && (g % 5 != 0);
                t[size_t(g)][size_t(r)] = (ascender || descender) ? quint8(v & 0x0c) : quint8(v & 0x3f);
            }
        return t;
    }();
    return table;
}

QRgb codeColour(int code)
{
    return CodedRows::colour(code).rgb();
}

QRgb mixColour(QRgb a, QRgb b, int alpha) // alpha of b, 0..255
{
    return qRgb((qRed(a) * (255 - alpha) + qRed(b) * alpha) / 255, (qGreen(a) * (255 - alpha) + qGreen(b) * alpha) / 255,
                (qBlue(a) * (255 - alpha) + qBlue(b) * alpha) / 255);
}

} // namespace

struct SimulatedPage::Item {
    enum Kind { text, picture, table, plain, box } kind = text;
    int y = 0;
    int body = 0;        // rows between the two marks now
    int fullBody = 0;    // a late picture, once loaded
    bool lazy = false;
    bool loaded = true;
    qint64 loadAt = -1;
    quint32 seed = 0;
    int gap = 0; // plain rows after it
    int topCode = 0;
    int bottomCode = 0;
    int pictureWidth = 0;
};

struct SimulatedPage::Document {
    bool inner = false;
    int width = 0;      // pixels rendered
    int viewHeight = 0; // rows of it a view shows
    int padTop = 0;     // under a sticky header
    int padBottom = 0;
    int textLeft = 0;
    int textRight = 0;
    QList<int> markXs;
    std::vector<Item> items;
    int height = 0;
    // Scrolling: where the view is, and where a smooth scroll takes it.
    double offset = 0;
    double from = 0;
    int target = 0;
    qint64 animStart = 0;
    std::map<int, QImage> tiles;
};

struct SimulatedPage::Fixed {
    QRect body;   // window pixels
    int shadow = 0;
    int shadowAlpha = 0;
    QRgb fill = 0;
    QRgb ink = 0;
    int code = -1;
    QImage picture; // body and shadow, premultiplied
    QRect pictureRect;
};

SimulatedPage::SimulatedPage(quint32 seed, Pick pick)
    : m_seed(seed)
    , m_pick(pick)
{
    buildWindow();
}

SimulatedPage::~SimulatedPage() = default;

namespace {
constexpr int tileRows = 256;

// One row of a 6-pixel-wide glyph, each pixel s wide.
void paintGlyphRow(QRgb* line, quint8 bits, int s, QRgb ink)
{
    for (int gx = 0; gx < 6; ++gx)
        if (bits & (1 << gx))
            std::fill_n(line + gx * s, s, ink);
}
}

void SimulatedPage::buildWindow()
{
    QRandomGenerator rng(m_seed * 2654435761u + 17);
    auto chance = [&rng](int percent) { return int(rng.bounded(100)) < percent; };
    auto between = [&rng](int lo, int hi) { return lo + int(rng.bounded(hi - lo + 1)); };

    m_scale = chance(20) ? 2 : 1;
    const int s = m_scale;
    const int wPoints = s == 2 ? between(380, 620) : between(440, 1100);
    const int hPoints = s == 2 ? between(320, 520) : between(380, 900);
    m_winW = wPoints * s;
    m_winH = hPoints * s;
    m_dark = chance(35);
    if (m_dark) {
        const int g = between(16, 40);
        m_bg = qRgb(g, g + between(0, 6), g + between(0, 10));
        m_ink = qRgb(between(180, 230), between(180, 230), between(180, 230));
    } else {
        const int g = between(236, 255);
        m_bg = qRgb(g, g, qMin(255, g + between(-6, 0) + 6));
        m_ink = qRgb(between(10, 60), between(10, 60), between(10, 60));
    }
    m_markW = 24 * s;
    m_markH = 6 * s;
    m_wheelPixels = std::array<int, 5>{53, 57, 60, 100, 120}[size_t(rng.bounded(5))] * s;
    m_smoothMs = chance(50) ? between(60, 220) : 0;
    m_pagePercent = chance(50) ? 875 : 0;

    // The browser's own bars.
    m_toolbarH = between(56, 90) * s;
    const int infobar = chance(30) ? between(28, 40) * s : 0;
    m_chromeH = m_toolbarH + infobar;
    m_statusH = chance(20) ? between(18, 26) * s : 0;
    const int vbar = int(rng.bounded(10));
    m_vbarW = vbar < 5 ? between(12, 16) * s : 0;
    m_overlayW = vbar >= 5 && vbar < 8 ? 6 * s : 0;
    m_hbarH = chance(15) ? between(12, 16) * s : 0;
    m_headerH = chance(40) ? between(36, 72) * s : 0;
    m_columnW = chance(20) ? between(130, 240) * s : 0;
    m_columnLeft = chance(60);
    m_columnLeaves = m_columnW && chance(50);
    const bool lazy = chance(25);
    m_loadMargin = chance(50) ? 0 : 300 * s;
    m_appendBatches = chance(15) ? between(1, 3) : 0;
    m_appendSeed = rng.generate();

    // Codes: items of the page from 0 on, an inner box's first; the fixed
    // marks from the top of the range down.
    int fixedCode = CodedRows::maxItems - 1;

    // Chrome: a tab strip, an address field, a coded mark; a bar under it.
    m_chrome = QImage(m_winW, qMax(1, m_chromeH), QImage::Format_RGB32);
    m_chrome.fill(m_dark ? qRgb(50, 52, 58) : qRgb(222, 225, 230));
    {
        QPainter p(&m_chrome);
        p.fillRect(QRect(8 * s, 6 * s, 180 * s, 22 * s), m_dark ? QColor(70, 72, 80) : QColor(245, 246, 248));
        p.fillRect(QRect(60 * s, m_toolbarH - 32 * s, m_winW - 120 * s, 24 * s), m_dark ? QColor(30, 30, 34) : Qt::white);
        for (int i = 0; i < 30; ++i)
            p.fillRect(QRect((70 + i * 9) * s, m_toolbarH - 24 * s, 6 * s, 8 * s), m_dark ? QColor(200, 200, 200) : QColor(60, 60, 60));
        m_chromeCode = fixedCode--;
        p.fillRect(QRect(m_winW - 60 * s, 8 * s, m_markW, m_markH), QColor::fromRgb(codeColour(m_chromeCode)));
        if (infobar) {
            p.fillRect(QRect(0, m_toolbarH, m_winW, infobar), QColor(255, 243, 205));
            for (int i = 0; i < 40; ++i)
                p.fillRect(QRect((20 + i * 8) * s, m_toolbarH + infobar / 2 - 4 * s, 5 * s, 8 * s), QColor(90, 70, 20));
        }
    }
    if (m_statusH) {
        m_status = QImage(m_winW, m_statusH, QImage::Format_RGB32);
        m_status.fill(m_dark ? qRgb(45, 45, 50) : qRgb(230, 230, 232));
        QPainter p(&m_status);
        for (int i = 0; i < 25; ++i)
            p.fillRect(QRect((10 + i * 8) * s, m_statusH / 2 - 3 * s, 5 * s, 6 * s), m_dark ? QColor(180, 180, 180) : QColor(80, 80, 80));
        m_statusCode = fixedCode--;
        p.fillRect(QRect(m_winW - 50 * s, m_statusH / 2 - m_markH / 2, m_markW, m_markH), QColor::fromRgb(codeColour(m_statusCode)));
    }

    const QRect pv = pageView();
    // The page.
    m_page = std::make_unique<Document>();
    Document& page = *m_page;
    page.width = pv.width();
    page.viewHeight = pv.height();
    page.padTop = m_headerH + between(4, 20) * s;
    page.padBottom = between(8, 40) * s;
    const int margin = between(8, 40) * s;
    page.textLeft = margin + (m_columnW && m_columnLeft ? m_columnW : 0);
    page.textRight = pv.width() - margin - (m_columnW && !m_columnLeft ? m_columnW : 0) - m_overlayW;
    if (page.textRight - page.textLeft < 160 * s) {
        m_columnW = 0;
        page.textLeft = margin;
        page.textRight = pv.width() - margin - m_overlayW;
    }
    const bool withBox = m_pick == Pick::section && chance(30);
    const int itemCount = between(18, 60);
    const bool spacers = chance(35);
    for (int i = 0; i < itemCount; ++i) {
        Item item;
        item.seed = rng.generate();
        const int k = int(rng.bounded(100));
        if (spacers && k < 9) {
            item.kind = Item::plain;
            item.body = int(pv.height() * (0.3 + rng.bounded(3.2)));
        } else if (k < 55) {
            item.kind = Item::text;
            item.body = (between(1, 9) * 18 + 8) * s;
        } else if (k < 80) {
            item.kind = Item::picture;
            item.body = between(60, 260) * s;
            item.pictureWidth = qMin(page.textRight - page.textLeft, between(120, 600) * s);
            if (lazy && chance(60)) {
                item.lazy = true;
                item.loaded = false;
                item.fullBody = item.body;
                item.body = between(0, 40) * s;
            }
        } else if (k < 88) {
            item.kind = Item::table;
            item.body = between(3, 14) * 20 * s;
        } else {
            item.kind = Item::text;
            item.body = 26 * s;
        }
        item.gap = between(6, 30) * s;
        page.items.push_back(item);
    }
    if (withBox) {
        // An inner scrolling box in the middle of the page.
        m_boxItem = int(page.items.size()) / 3;
        Item& holder = page.items[size_t(m_boxItem)];
        holder.kind = Item::box;
        holder.body = int(pv.height() * (0.35 + rng.bounded(0.25))) + 8 * s;
        m_box = std::make_unique<Document>();
        Document& box = *m_box;
        box.inner = true;
        box.width = qMax(200 * s, int((page.textRight - page.textLeft) * (0.5 + rng.bounded(0.3))));
        box.viewHeight = holder.body - 8 * s;
        box.padTop = 6 * s;
        box.padBottom = 6 * s;
        box.textLeft = 8 * s;
        box.textRight = box.width - 8 * s;
        const int boxItems = between(10, 28);
        for (int i = 0; i < boxItems; ++i) {
            Item item;
            item.seed = rng.generate();
            item.kind = chance(70) ? Item::text : Item::picture;
            item.body = item.kind == Item::text ? (between(1, 6) * 18 + 8) * s : between(50, 160) * s;
            item.pictureWidth = qMin(box.width - 16 * s, between(80, 300) * s);
            item.gap = between(6, 20) * s;
            box.items.push_back(item);
        }
    }
    // Codes: the box's items first (the capture's document), then the page's.
    int code = 0;
    auto assign = [&code](Document& doc) {
        for (Item& item : doc.items) {
            item.topCode = code++;
            item.bottomCode = code++;
        }
    };
    if (m_box)
        assign(*m_box);
    assign(page);
    for (Document* doc : {m_page.get(), m_box.get()}) {
        if (!doc)
            continue;
        const int span = doc->textRight - doc->textLeft - m_markW;
        doc->markXs = {doc->textLeft + span * 4 / 100, doc->textLeft + span * 46 / 100, doc->textLeft + span * 82 / 100};
        layout(*doc);
    }

    // Sticky header and column.
    if (m_headerH) {
        m_header = QImage(pv.width(), m_headerH, QImage::Format_RGB32);
        m_header.fill(m_dark ? qRgb(34, 40, 60) : qRgb(between(30, 90), between(60, 120), between(120, 200)));
        QPainter p(&m_header);
        for (int i = 0; i < 24; ++i)
            p.fillRect(QRect((30 + i * 14) * s, m_headerH / 2 - 4 * s, 10 * s, 8 * s), Qt::white);
        m_headerCode = fixedCode--;
        p.fillRect(QRect(pv.width() / 2 + 40 * s, 4 * s, m_markW, m_markH), QColor::fromRgb(codeColour(m_headerCode)));
        if (chance(40)) // its shadow falls on the page
            for (int r = 0; r < 6 * s; ++r)
                p.fillRect(QRect(0, m_headerH - 1 - r, pv.width(), 1), QColor(0, 0, 0, 20 + r * 4));
    }
    if (m_columnW) {
        m_column = QImage(m_columnW, pv.height(), QImage::Format_RGB32);
        m_column.fill(m_dark ? qRgb(28, 30, 36) : qRgb(246, 247, 249));
        QPainter p(&m_column);
        p.fillRect(QRect(m_columnLeft ? m_columnW - s : 0, 0, s, pv.height()), QColor(200, 200, 205));
        for (int line = 0; line * 24 * s < pv.height(); ++line) {
            const int len = 6 + int(hash(m_seed, line, 5) % 14);
            for (int i = 0; i < len; ++i)
                if (hash(m_seed, line, i) % 5)
                    p.fillRect(QRect((12 + i * 7) * s, (line * 24 + 8) * s, 6 * s, 8 * s),
                               m_dark ? QColor(140, 160, 220) : QColor(30, 80, 180));
        }
        m_columnCode = fixedCode--;
        p.fillRect(QRect(12 * s, (m_headerH ? 2 : 6) * s, m_markW, m_markH), QColor::fromRgb(codeColour(m_columnCode)));
    }
    buildFixed();
    Q_UNUSED(fixedCode);

    // Section and starting views.
    const int startKind = between(0, 9);
    if (m_pick == Pick::section) {
        if (m_box) {
            // Over the box, a little of the page around it at times.
            const Item& holder = page.items[size_t(m_boxItem)];
            const int boxTop = holder.y + m_markH + 4 * s;
            const int want = qBound(0, boxTop - (pv.height() - m_box->viewHeight) / 2, maxOffset(page));
            page.offset = page.from = page.target = want;
            const QRect bv = boxView();
            const int grow = chance(50) ? between(0, 16) * s : 0;
            m_section = bv.adjusted(-grow, -grow, grow, grow).intersected(pv);
            if (startKind < 5)
                m_box->offset = m_box->from = m_box->target = int(rng.bounded(maxOffset(*m_box) + 1));
        } else {
            const int x = pv.x() + int(rng.bounded(qMax(1, pv.width() / 5)));
            const int w = qMin(pv.right() + 1 - x, int(pv.width() * (0.55 + rng.bounded(0.45))));
            const int y = pv.y() + (chance(40) ? 0 : int(rng.bounded(qMax(1, pv.height() / 4))));
            int bottom = y + int((pv.bottom() + 1 - y) * (0.6 + rng.bounded(0.4)));
            if (chance(20))
                bottom = m_winH + between(10, 80) * s; // past the window's bottom edge
            m_section = QRect(x, y, w, bottom - y);
        }
        // Whole points.
        m_section = QRect(m_section.x() / s * s, m_section.y() / s * s, m_section.width() / s * s,
                          m_section.height() / s * s);
    }
    if (!m_box) {
        if (startKind >= 4 && startKind < 8)
            page.offset = page.from = page.target = int(rng.bounded(maxOffset(page) + 1));
        else if (startKind >= 8)
            page.offset = page.from = page.target = maxOffset(page);
    }
    m_pageStart = int(page.offset);
    triggerLoads();
}

void SimulatedPage::buildFixed()
{
    QRandomGenerator rng(m_seed * 40503u + 99);
    auto chance = [&rng](int percent) { return int(rng.bounded(100)) < percent; };
    auto between = [&rng](int lo, int hi) { return lo + int(rng.bounded(hi - lo + 1)); };
    const int s = m_scale;
    const QRect pv = pageView();
    const QRect area = pv.adjusted(0, m_headerH, 0, 0);
    int fixedCode = CodedRows::maxItems - 10;
    const int count = std::array<int, 10>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3}[size_t(rng.bounded(10))];
    int topUsed = 0, bottomUsed = 0;
    for (int i = 0; i < count; ++i) {
        Fixed f;
        const int kind = between(0, 9);
        int w = 0, h = 0, x = 0, y = 0;
        const int inset = chance(50) ? 0 : between(4, 24) * s;
        if (kind < 3) { // bottom banner
            w = chance(50) ? area.width() : int(area.width() * (0.4 + rng.bounded(0.6)));
            h = between(40, 180) * s;
            x = area.x() + std::array<int, 3>{0, (area.width() - w) / 2, area.width() - w}[size_t(rng.bounded(3))];
            y = area.bottom() + 1 - h - inset;
        } else if (kind < 5) { // top banner
            w = chance(50) ? area.width() : int(area.width() * (0.4 + rng.bounded(0.6)));
            h = between(32, 110) * s;
            x = area.x() + std::array<int, 3>{0, (area.width() - w) / 2, area.width() - w}[size_t(rng.bounded(3))];
            y = area.y() + inset;
        } else if (kind < 8) { // a box in a corner
            w = between(60, 240) * s;
            h = between(36, 150) * s;
            const bool right = chance(60), bottom = chance(60);
            x = right ? area.right() + 1 - w - inset - m_overlayW : area.x() + inset;
            y = bottom ? area.bottom() + 1 - h - inset : area.y() + inset;
        } else if (kind < 9) { // at the middle of a side
            w = between(40, 120) * s;
            h = between(60, 200) * s;
            x = chance(50) ? area.x() + inset : area.right() + 1 - w - inset - m_overlayW;
            y = area.y() + area.height() / 3 + int(rng.bounded(qMax(1, area.height() / 3)));
        } else { // anywhere
            w = between(50, 200) * s;
            h = between(30, 120) * s;
            x = area.x() + int(rng.bounded(qMax(1, area.width() - w)));
            y = area.y() + int(rng.bounded(qMax(1, area.height() - h)));
        }
        w = qMin(w, area.width());
        h = qMin(h, area.height() / 3);
        const bool atTop = y + h / 2 < area.y() + area.height() / 2;
        // Leave most of the view to the page.
        if ((atTop ? topUsed : bottomUsed) + h > area.height() / 3)
            continue;
        (atTop ? topUsed : bottomUsed) += h + inset;
        f.body = QRect(x, y, w, h).intersected(area);
        if (f.body.isEmpty())
            continue;
        if (chance(50)) {
            f.shadow = between(3, 14) * s;
            f.shadowAlpha = between(30, 90);
        }
        f.fill = qRgb(between(20, 250), between(20, 250), between(20, 250));
        f.ink = qGray(f.fill) > 128 ? qRgb(20, 20, 20) : qRgb(240, 240, 240);
        if (f.body.width() >= m_markW + 12 * s && f.body.height() >= m_markH + 8 * s)
            f.code = fixedCode--;
        f.picture = fixedPicture(f);
        f.pictureRect = f.body.adjusted(-f.shadow, -f.shadow, f.shadow, f.shadow);
        m_fixed.push_back(f);
    }
    // Something that changes by itself.
    const int changing = between(0, 99);
    m_changing = changing < 15 ? 1 : changing < 25 ? 2 : changing < 32 ? 3 : 0;
    if (m_changing == 1) {
        const int w = between(70, 110) * s, h = between(20, 30) * s;
        const bool right = chance(70), bottom = chance(50);
        m_changingRect = QRect(right ? area.right() + 1 - w - 8 * s - m_overlayW : area.x() + 8 * s,
                               bottom ? area.bottom() + 1 - h - 8 * s : area.y() + 8 * s, w, h);
        if (chance(30)) // anywhere
            m_changingRect.moveTo(area.x() + int(rng.bounded(qMax(1, area.width() - w))),
                                  area.y() + int(rng.bounded(qMax(1, area.height() - h))));
    } else if (m_changing == 2) {
        const int d = between(8, 14) * s;
        m_changingRect = QRect(area.x() + int(rng.bounded(qMax(1, area.width() - d))),
                               area.y() + int(rng.bounded(qMax(1, area.height() - d))), d, d);
    } else if (m_changing == 3) {
        const int d = between(16, 24) * s;
        m_changingRect = QRect(area.right() + 1 - d - 12 * s - m_overlayW, area.y() + 12 * s, d, d);
    }
}

QImage SimulatedPage::fixedPicture(const Fixed& f) const
{
    const int s = m_scale;
    const QRect outer = f.body.adjusted(-f.shadow, -f.shadow, f.shadow, f.shadow);
    QImage picture(outer.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    const QRect body = f.body.translated(-outer.topLeft());
    if (f.shadow) {
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                const int dx = x < body.left() ? body.left() - x : x > body.right() ? x - body.right() : 0;
                const int dy = y < body.top() ? body.top() - y : y > body.bottom() ? y - body.bottom() : 0;
                const double d = std::sqrt(double(dx * dx + dy * dy)) / f.shadow;
                if (d >= 1 || (dx == 0 && dy == 0))
                    continue;
                const int a = int(f.shadowAlpha * (1 - d) * (1 - d));
                line[x] = qRgba(0, 0, 0, a);
            }
        }
    }
    QPainter p(&picture);
    p.fillRect(body, QColor::fromRgb(f.fill));
    p.setPen(QColor::fromRgb(f.ink));
    // A few lines of text.
    for (int line = 0; (line + 1) * 16 * s + 6 * s < body.height(); ++line) {
        const int len = 4 + int(hash(f.fill, line) % 30);
        for (int i = 0; i < len && (12 + i * 7) * s < body.width() - 8 * s; ++i)
            if (hash(f.fill, line, i) % 4)
                p.fillRect(QRect(body.x() + (8 + i * 7) * s, body.y() + (line * 16 + 14) * s, 6 * s, 7 * s),
                           QColor::fromRgb(f.ink));
    }
    if (f.code >= 0)
        p.fillRect(QRect(body.x() + 6 * s, body.y() + 4 * s, m_markW, m_markH), QColor::fromRgb(codeColour(f.code)));
    return picture;
}

QRect SimulatedPage::pageView() const
{
    return QRect(0, m_chromeH, m_winW - m_vbarW, m_winH - m_chromeH - m_statusH - m_hbarH);
}

void SimulatedPage::layout(Document& doc) const
{
    int y = doc.padTop;
    for (Item& item : doc.items) {
        item.y = y;
        y += 2 * m_markH + item.body + item.gap;
    }
    doc.height = qMax(doc.viewHeight, y + doc.padBottom);
}

int SimulatedPage::maxOffset(const Document& doc) const
{
    return qMax(0, doc.height - doc.viewHeight);
}

QRectF SimulatedPage::windowPoints() const
{
    return QRectF(100, 60, double(m_winW) / m_scale, double(m_winH) / m_scale);
}

std::optional<QRectF> SimulatedPage::sectionPoints() const
{
    if (m_pick != Pick::section)
        return std::nullopt;
    const QRectF w = windowPoints();
    return QRectF(w.x() + double(m_section.x()) / m_scale, w.y() + double(m_section.y()) / m_scale,
                  double(m_section.width()) / m_scale, double(m_section.height()) / m_scale);
}

QRect SimulatedPage::capturedRect() const
{
    if (m_pick == Pick::window)
        return QRect(0, 0, m_winW, m_winH);
    return m_section.intersected(QRect(0, 0, m_winW, m_winH));
}

QString SimulatedPage::describe() const
{
    QStringList parts;
    parts << QStringLiteral("seed %1").arg(m_seed) << (m_pick == Pick::window ? QStringLiteral("window") : QStringLiteral("section"))
          << QStringLiteral("%1x%2 px, scale %3").arg(m_winW).arg(m_winH).arg(m_scale)
          << (m_dark ? QStringLiteral("dark") : QStringLiteral("light"))
          << QStringLiteral("%1 items, %2 px").arg(m_page->items.size()).arg(m_page->height)
          << QStringLiteral("wheel %1 px%2").arg(m_wheelPixels).arg(m_smoothMs ? QStringLiteral(" smooth") : QString());
    if (m_headerH)
        parts << QStringLiteral("sticky header");
    if (m_columnW)
        parts << (m_columnLeaves ? QStringLiteral("sticky column leaving") : QStringLiteral("sticky column"));
    if (!m_fixed.empty())
        parts << QStringLiteral("%1 fixed").arg(m_fixed.size());
    if (m_changing)
        parts << std::array<const char*, 4>{"", "clock", "blinking dot", "spinner"}[size_t(m_changing)];
    if (m_hbarH)
        parts << QStringLiteral("wide");
    if (m_vbarW)
        parts << QStringLiteral("scrollbar");
    else if (m_overlayW)
        parts << QStringLiteral("overlay scrollbar");
    if (m_box)
        parts << QStringLiteral("inner box");
    if (m_appendBatches)
        parts << QStringLiteral("appends");
    for (const Item& item : m_page->items)
        if (item.lazy) {
            parts << QStringLiteral("late pictures");
            break;
        }
    for (const Item& item : m_page->items)
        if (item.kind == Item::plain) {
            parts << QStringLiteral("plain stretches");
            break;
        }
    if (m_pick == Pick::section && m_section.bottom() >= m_winH)
        parts << QStringLiteral("past the edge");
    return parts.join(QStringLiteral(", "));
}

// ---------------------------------------------------------------- rendering

void SimulatedPage::renderItemRow(const Document& doc, const Item& item, int r, QRgb* line) const
{
    const int s = m_scale;
    const int height = item.body + 2 * m_markH;
    if (r < m_markH || r >= height - m_markH) {
        const QRgb c = codeColour(r < m_markH ? item.topCode : item.bottomCode);
        for (int x0 : doc.markXs)
            for (int x = x0; x < x0 + m_markW && x < doc.width; ++x)
                line[x] = c;
        return;
    }
    const int b = r - m_markH;
    switch (item.kind) {
    case Item::plain:
    case Item::box:
        return;
    case Item::text: {
        const int lineH = 18 * s;
        const int row = b % lineH - 4 * s;
        const int textLine = b / lineH;
        if (row < 0 || row >= 9 * s)
            return;
        const int gr = row / s;
        const int width = doc.textRight - doc.textLeft;
        const int length = width / 2 + int(hash(item.seed, textLine) % quint32(qMax(1, width / 2)));
        const auto& g = glyphs();
        for (int i = 0, x = doc.textLeft; x + 6 * s < doc.textLeft + length; ++i, x += 7 * s) {
            const quint32 h = hash(item.seed, textLine, i);
            if (h % 7 == 0)
                continue; // a space
            paintGlyphRow(line + x, g[h % 64][size_t(gr)], s, m_ink);
        }
        return;
    }
    case Item::table: {
        const int period = 20 * s;
        const int row = b % period;
        if (row < s) {
            for (int x = doc.textLeft; x < doc.textRight; ++x)
                line[x] = mixColour(m_bg, m_ink, 60);
            return;
        }
        const int gr = (row - 6 * s) / s;
        if (gr < 0 || gr >= 9)
            return;
        const auto& g = glyphs();
        for (int i = 0, x = doc.textLeft + 8 * s; x + 6 * s < doc.textRight; ++i, x += 7 * s) {
            const quint32 h = hash(item.seed, i);
            if (h % 5 == 0)
                continue;
            paintGlyphRow(line + x, g[h % 64][size_t(gr)], s, m_ink);
        }
        return;
    }
    case Item::picture: {
        const int x0 = doc.textLeft;
        const int x1 = qMin(doc.textRight, x0 + item.pictureWidth);
        if (!item.loaded) {
            const QRgb c = mixColour(m_bg, m_ink, 24);
            for (int x = x0; x < x1; ++x)
                line[x] = c;
            return;
        }
        // Smooth noise on a grid of 10 points.
        const int cell = 10 * s;
        const int gy = b / cell;
        const int fy = b % cell;
        for (int x = x0; x < x1; ++x) {
            const int gx = (x - x0) / cell;
            const int fx = (x - x0) % cell;
            int rgb[3];
            for (int ch = 0; ch < 3; ++ch) {
                auto v = [&](int ax, int ay) { return int(hash(item.seed, ax, ay, ch) & 0xff); };
                const int top = v(gx, gy) * (cell - fx) + v(gx + 1, gy) * fx;
                const int bottom = v(gx, gy + 1) * (cell - fx) + v(gx + 1, gy + 1) * fx;
                rgb[ch] = (top * (cell - fy) + bottom * fy) / (cell * cell);
            }
            line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
        return;
    }
    }
}

const QImage& SimulatedPage::tile(Document& doc, int index) const
{
    auto it = doc.tiles.find(index);
    if (it != doc.tiles.end())
        return it->second;
    QImage t(doc.width, tileRows, QImage::Format_RGB32);
    t.fill(doc.inner ? mixColour(m_bg, qRgb(128, 128, 255), 12) : m_bg);
    const int top = index * tileRows;
    // The first item reaching into the tile.
    auto first = std::upper_bound(doc.items.begin(), doc.items.end(), top,
                                  [](int y, const Item& item) { return y < item.y; });
    if (first != doc.items.begin())
        --first;
    for (auto it2 = first; it2 != doc.items.end() && it2->y < top + tileRows; ++it2) {
        const int h = it2->body + 2 * m_markH;
        for (int r = qMax(0, top - it2->y); r < h && it2->y + r < top + tileRows; ++r)
            renderItemRow(doc, *it2, r, reinterpret_cast<QRgb*>(t.scanLine(it2->y + r - top)));
    }
    return doc.tiles.emplace(index, std::move(t)).first->second;
}

void SimulatedPage::copyDocument(Document& doc, QImage& frame, int dstX, int dstY, int offset, int rows, int width)
{
    for (int r = 0; r < rows; ++r) {
        const int y = dstY + r;
        if (y < 0 || y >= frame.height())
            continue;
        const int docY = offset + r;
        QRgb* out = reinterpret_cast<QRgb*>(frame.scanLine(y)) + dstX;
        const int w = qMin(width, frame.width() - dstX);
        if (docY < 0 || docY >= doc.height) {
            std::fill(out, out + w, m_bg);
            continue;
        }
        const QImage& t = tile(doc, docY / tileRows);
        memcpy(out, t.constScanLine(docY % tileRows), size_t(qMin(w, doc.width)) * 4);
    }
}

QRect SimulatedPage::boxView() const
{
    if (!m_box)
        return {};
    const Item& holder = m_page->items[size_t(m_boxItem)];
    const QRect pv = pageView();
    const int top = pv.y() + holder.y + m_markH + 4 * m_scale - int(m_page->offset);
    return QRect(pv.x() + m_page->textLeft, top, m_box->width, m_box->viewHeight);
}

QRect SimulatedPage::boxViewAtStart() const
{
    return boxView().translated(0, int(m_page->offset) - m_pageStart);
}

int SimulatedPage::stickyColumnTop() const
{
    const QRect pv = pageView();
    int top = pv.y() + m_headerH;
    if (m_columnLeaves) {
        // It rides with its container, which ends before the page's last item.
        const int containerEnd = m_page->items.back().y - 8 * m_scale;
        top += qMin(0, containerEnd - int(m_page->offset) - (pv.height() - m_headerH));
    }
    return top;
}

void SimulatedPage::drawScrollbar(QImage& frame, QRect track, int offset, int max, int viewHeight, bool overlay,
                                  bool shown) const
{
    QPainter p(&frame);
    if (!overlay)
        p.fillRect(track, m_dark ? QColor(40, 40, 44) : QColor(241, 241, 241));
    if (overlay && !shown)
        return;
    const int content = viewHeight + max;
    const int thumb = qMax(18 * m_scale, track.height() * viewHeight / qMax(1, content));
    const int y = track.y() + (max ? (track.height() - thumb) * offset / max : 0);
    p.fillRect(QRect(track.x() + 2 * m_scale, y, track.width() - 4 * m_scale, thumb),
               m_dark ? QColor(110, 110, 116) : QColor(168, 168, 168));
}

QImage SimulatedPage::render()
{
    const int s = m_scale;
    QImage frame(m_winW, m_winH, QImage::Format_RGB32);
    frame.fill(m_bg);
    for (int y = 0; y < m_chromeH; ++y)
        memcpy(frame.scanLine(y), m_chrome.constScanLine(y), size_t(m_winW) * 4);
    const QRect pv = pageView();
    Document& page = *m_page;
    copyDocument(page, frame, pv.x(), pv.y(), int(page.offset), pv.height(), pv.width());
    if (m_box) {
        const QRect bv = boxView();
        const int from = qMax(bv.y(), pv.y());
        const int to = qMin(bv.bottom() + 1, pv.bottom() + 1);
        if (to > from) {
            QImage strip(m_box->width, to - from, QImage::Format_RGB32);
            copyDocument(*m_box, strip, 0, 0, int(m_box->offset) + from - bv.y(), to - from, m_box->width);
            QPainter p(&frame);
            p.drawImage(bv.x(), from, strip);
            p.setPen(QColor(120, 120, 130));
            p.drawRect(bv.adjusted(-1, -1, 0, 0));
        }
    }
    {
        QPainter p(&frame);
        p.setClipRect(pv);
        if (m_columnW) {
            const int x = m_columnLeft ? pv.x() : pv.right() + 1 - m_columnW - m_overlayW;
            p.drawImage(x, stickyColumnTop(), m_column);
        }
        if (m_headerH)
            p.drawImage(pv.x(), pv.y(), m_header);
        for (const Fixed& f : m_fixed)
            p.drawImage(f.pictureRect.topLeft(), f.picture);
        switch (m_changing) {
        case 1: {
            p.fillRect(m_changingRect, QColor(250, 240, 200));
            p.setPen(QColor(150, 150, 150));
            p.drawRect(m_changingRect.adjusted(0, 0, -1, -1));
            const auto& g = glyphs();
            for (int i = 0; i < 5; ++i) {
                const qint64 tick = i < 2 ? m_now / 1000 : i < 4 ? m_now / 250 : m_now / 100;
                const int digit = int(hash(quint32(tick), i) % 10);
                const int x0 = m_changingRect.x() + (8 + i * 12) * s;
                if (x0 + 8 * s > m_changingRect.right())
                    break;
                for (int r = 0; r < 9; ++r)
                    for (int gx = 0; gx < 6; ++gx)
                        if (g[size_t(digit)][size_t(r)] & (1 << gx))
                            p.fillRect(QRect(x0 + gx * s, m_changingRect.y() + m_changingRect.height() / 2 - 5 * s + r * s, s, s),
                                       QColor(40, 40, 40));
            }
            break;
        }
        case 2:
            if ((m_now / 530) % 2 == 0) {
                p.setRenderHint(QPainter::Antialiasing);
                p.setBrush(QColor(230, 40, 40));
                p.setPen(Qt::NoPen);
                p.drawEllipse(m_changingRect);
            }
            break;
        case 3: {
            p.fillRect(m_changingRect, m_dark ? QColor(60, 60, 60) : QColor(220, 220, 220));
            const int phase = int((m_now / 80) % 8);
            const QPoint c = m_changingRect.center();
            const double a = phase * M_PI / 4;
            p.setPen(QPen(QColor(40, 90, 200), 3 * s));
            p.drawLine(c, c + QPoint(int(std::cos(a) * m_changingRect.width() / 2.5), int(std::sin(a) * m_changingRect.width() / 2.5)));
            break;
        }
        default:
            break;
        }
    }
    // Scrollbars.
    const bool shown = m_now - m_lastScroll < 700;
    if (m_vbarW)
        drawScrollbar(frame, QRect(m_winW - m_vbarW, pv.y(), m_vbarW, pv.height()), int(page.offset), maxOffset(page),
                      page.viewHeight, false, true);
    else if (m_overlayW)
        drawScrollbar(frame, QRect(pv.right() + 1 - m_overlayW, pv.y(), m_overlayW, pv.height()), int(page.offset),
                      maxOffset(page), page.viewHeight, true, shown);
    if (m_hbarH) {
        QPainter p(&frame);
        const QRect track(0, pv.bottom() + 1, pv.width(), m_hbarH);
        p.fillRect(track, m_dark ? QColor(40, 40, 44) : QColor(241, 241, 241));
        p.fillRect(QRect(2 * s, track.y() + 2 * s, track.width() * 10 / 16, m_hbarH - 4 * s),
                   m_dark ? QColor(110, 110, 116) : QColor(168, 168, 168));
    }
    if (m_statusH)
        for (int y = 0; y < m_statusH; ++y)
            memcpy(frame.scanLine(m_winH - m_statusH + y), m_status.constScanLine(y), size_t(m_winW) * 4);
    return frame;
}

// ---------------------------------------------------------------- dynamics

void SimulatedPage::settleScroll(Document& doc)
{
    if (!m_smoothMs) {
        doc.offset = doc.target;
        return;
    }
    const double t = qBound(0.0, double(m_now - doc.animStart) / m_smoothMs, 1.0);
    doc.offset = doc.from + (doc.target - doc.from) * t;
    if (t >= 1)
        doc.offset = doc.target;
}

void SimulatedPage::scrollDocument(Document& doc, int by)
{
    settleScroll(doc);
    doc.from = doc.offset;
    doc.target = qBound(0, doc.target + by, maxOffset(doc));
    doc.animStart = m_now;
    settleScroll(doc);
    m_lastScroll = m_now;
}

bool SimulatedPage::triggerLoads()
{
    Document& page = *m_page;
    bool any = false;
    for (Item& item : page.items) {
        if (!item.lazy || item.loaded || item.loadAt >= 0)
            continue;
        if (item.y < int(page.offset) + page.viewHeight + m_loadMargin) {
            item.loadAt = m_now + 100 + qint64(hash(item.seed, 3) % 1100);
            any = true;
        }
    }
    if (m_appendBatches > 0 && m_appendAt < 0 && int(page.offset) + page.viewHeight >= page.height - page.viewHeight / 2)
        m_appendAt = m_now + 200 + qint64(hash(m_appendSeed, m_appendBatches) % 800);
    return any;
}

void SimulatedPage::advanceTo(qint64 now)
{
    m_now = qMax(m_now, now);
    Document& page = *m_page;
    settleScroll(page);
    if (m_box)
        settleScroll(*m_box);
    bool relaid = false;
    int changedFrom = INT_MAX;
    for (Item& item : page.items) {
        if (item.lazy && !item.loaded && item.loadAt >= 0 && m_now >= item.loadAt) {
            const int growth = item.fullBody - item.body;
            item.loaded = true;
            item.body = item.fullBody;
            changedFrom = qMin(changedFrom, item.y);
            // Scroll anchoring: a picture above the view keeps the view's content where it was.
            if (item.y + 2 * m_markH + item.body - growth <= int(page.offset)) {
                page.offset += growth;
                page.from += growth;
                page.target += growth;
            }
            // So did the content the capture started from.
            if (item.y + 2 * m_markH + item.body - growth <= m_pageStart)
                m_pageStart += growth;
            relaid = true;
        }
    }
    if (m_appendAt >= 0 && m_now >= m_appendAt) {
        QRandomGenerator rng(m_appendSeed + quint32(m_appendBatches));
        const int count = 5 + int(rng.bounded(11));
        int code = 0;
        for (const Item& item : page.items)
            code = qMax(code, item.bottomCode + 1);
        for (int i = 0; i < count; ++i) {
            Item item;
            item.seed = rng.generate();
            item.kind = rng.bounded(3) ? Item::text : Item::picture;
            item.body = item.kind == Item::text ? (18 * (1 + int(rng.bounded(6))) + 8) * m_scale : (60 + int(rng.bounded(180))) * m_scale;
            item.pictureWidth = qMin(page.textRight - page.textLeft, (120 + int(rng.bounded(400))) * m_scale);
            item.gap = (6 + int(rng.bounded(24))) * m_scale;
            item.topCode = code++;
            item.bottomCode = code++;
            page.items.push_back(item);
        }
        changedFrom = qMin(changedFrom, page.height - page.padBottom);
        --m_appendBatches;
        m_appendAt = -1;
        relaid = true;
    }
    if (relaid) {
        layout(page);
        for (auto it = page.tiles.begin(); it != page.tiles.end();)
            it = (it->first + 1) * tileRows > changedFrom ? page.tiles.erase(it) : std::next(it);
    }
    triggerLoads();
}

void SimulatedPage::wheel(QPointF windowPoint, int clicks)
{
    const QPoint at((windowPoint * m_scale).toPoint());
    // A wheel transaction keeps its target until the wheel rests a moment.
    if (m_now - m_lastWheel > 300) {
        m_wheelOnBox = false;
        if (m_box && boxView().contains(at)) {
            const int max = maxOffset(*m_box);
            m_wheelOnBox = clicks > 0 ? m_box->target > 0 : m_box->target < max;
        }
    }
    m_lastWheel = m_now;
    if (!pageView().contains(at))
        return;
    scrollDocument(m_wheelOnBox ? *m_box : *m_page, -clicks * m_wheelPixels);
    triggerLoads();
}

void SimulatedPage::pageKey(int direction)
{
    const int step = m_pagePercent ? m_page->viewHeight * m_pagePercent / 1000 : m_page->viewHeight - 40 * m_scale;
    scrollDocument(*m_page, direction * step);
    triggerLoads();
}

void SimulatedPage::topKey()
{
    scrollDocument(*m_page, -m_page->height);
    triggerLoads();
}

bool SimulatedPage::busy() const
{
    auto moving = [this](const Document& d) { return m_smoothMs && m_now - d.animStart < m_smoothMs && d.offset != d.target; };
    return moving(*m_page) || (m_box && moving(*m_box));
}

// ---------------------------------------------------------------- truth

QList<QRect> SimulatedPage::coversAt(int offset) const
{
    QList<QRect> covers;
    const QRect pv = pageView();
    if (m_headerH)
        covers.append(QRect(pv.x(), pv.y(), pv.width(), m_headerH));
    if (m_columnW) {
        // Where the column stands with the page at `offset`.
        int top = pv.y() + m_headerH;
        if (m_columnLeaves) {
            const int containerEnd = m_page->items.back().y - 8 * m_scale;
            top += qMin(0, containerEnd - offset - (pv.height() - m_headerH));
        }
        const int x = m_columnLeft ? pv.x() : pv.right() + 1 - m_columnW - m_overlayW;
        covers.append(QRect(x, top, m_columnW, pv.height()));
    }
    for (const Fixed& f : m_fixed)
        covers.append(f.pictureRect);
    if (m_changing)
        covers.append(m_changingRect.adjusted(-2 * m_scale, -2 * m_scale, 2 * m_scale, 2 * m_scale));
    if (m_overlayW)
        covers.append(QRect(pv.right() + 1 - m_overlayW, pv.y(), m_overlayW, pv.height()));
    return covers;
}

int SimulatedPage::documentRowInCapture() const
{
    const QRect captured = capturedRect();
    if (m_box) {
        // The page stands still where the box is captured.
        return boxViewAtStart().y() - captured.y();
    }
    return pageViewTop() - captured.y();
}

int SimulatedPage::expectedHeight() const
{
    const Document& doc = m_box ? *m_box : *m_page;
    return capturedRect().height() + maxOffset(doc);
}

QList<int> SimulatedPage::markColumns() const
{
    const Document& doc = m_box ? *m_box : *m_page;
    const int left = m_box ? boxViewAtStart().x() : pageView().x();
    QList<int> xs;
    for (int x : doc.markXs)
        xs.append(left + x + m_markW / 2 - capturedRect().x());
    return xs;
}

bool SimulatedPage::markShowable(const Mark& mark) const
{
    const Document& doc = m_box ? *m_box : *m_page;
    const QRect captured = capturedRect();
    const QRect pv = pageView();
    QRect view = captured.intersected(pv);
    if (m_box)
        view = view.intersected(boxViewAtStart());
    const int maxO = maxOffset(doc);
    const int left = m_box ? boxViewAtStart().x() : pv.x();
    // Window row of the mark's top with the document at its top.
    const int top0 = (m_box ? boxViewAtStart().y() : pv.y()) + mark.docY;
    // What stands over the page (a column that leaves with its container
    // taken where it sticks).
    const QList<QRect> covers = coversAt(m_box ? m_pageStart : 0);
    const int frameMiddle = captured.y() + captured.height() / 2;
    for (int x : doc.markXs) {
        const int x0 = left + x;
        // (A copy outside the captured columns shows in no capture.)
        if (x0 < view.left() || x0 + m_markW - 1 > view.right())
            continue;
        auto rectAt = [&](int o) { return QRect(x0, top0 - o, m_markW, m_markH); };
        // Kept from the first view: covered by something in the frame's
        // upper half; from the last view: in its lower half.
        bool hidden = false;
        for (const QRect& c : covers) {
            if (c.top() < frameMiddle && view.contains(rectAt(0)) && c.intersects(rectAt(0)))
                hidden = true;
            if (c.top() >= frameMiddle && view.contains(rectAt(maxO)) && c.intersects(rectAt(maxO)))
                hidden = true;
        }
        if (hidden)
            continue;
        // Rows t of the mark's top where it is in view and uncovered, with
        // t = top0 - o for an offset o of the document.
        QList<std::pair<int, int>> blocked;
        for (const QRect& c : covers)
            if (c.left() < x0 + m_markW && c.right() >= x0)
                blocked.append({c.top() - m_markH + 1, c.bottom()});
        std::sort(blocked.begin(), blocked.end());
        int t = qMax(view.top(), top0 - maxO);
        const int last = qMin(view.bottom() - m_markH + 1, top0);
        for (const auto& [from, to] : blocked) {
            if (t > last)
                break;
            if (from > t)
                break; // t itself is free
            t = qMax(t, to + 1);
        }
        if (t <= last)
            return true;
    }
    return false;
}

QList<SimulatedPage::Mark> SimulatedPage::marks() const
{
    QList<Mark> out;
    const Document& doc = m_box ? *m_box : *m_page;
    for (int i = 0; i < int(doc.items.size()); ++i) {
        const Item& item = doc.items[size_t(i)];
        out.append({item.topCode, item.y, i, true});
        out.append({item.bottomCode, item.y + m_markH + item.body, i, false});
    }
    return out;
}

QList<SimulatedPage::FixedMark> SimulatedPage::fixedMarks() const
{
    QList<FixedMark> out;
    const QRect captured = capturedRect();
    auto add = [&](int code, int x, int allowed) {
        if (code >= 0)
            out.append({code, x + m_markW / 2 - captured.x(), allowed});
    };
    const QRect pv = pageView();
    add(m_chromeCode, m_winW - 60 * m_scale, 1);
    add(m_statusCode, m_winW - 50 * m_scale, 1);
    add(m_headerCode, pv.x() + pv.width() / 2 + 40 * m_scale, 1);
    if (m_columnW)
        add(m_columnCode, (m_columnLeft ? pv.x() : pv.right() + 1 - m_columnW - m_overlayW) + 12 * m_scale,
            m_columnLeaves ? 2 : 1);
    for (const Fixed& f : m_fixed)
        add(f.code, f.body.x() + 6 * m_scale, 1);
    if (m_box) {
        // The page stands still around the box: each of its marks at most once.
        for (const Item& item : m_page->items)
            for (int x : m_page->markXs)
                for (int code : {item.topCode, item.bottomCode})
                    add(code, pv.x() + x, 1);
    }
    return out;
}

int SimulatedPage::maxItemsCode() const
{
    const Document& doc = m_box ? *m_box : *m_page;
    return doc.items.empty() ? 0 : doc.items.back().bottomCode;
}

const QRgb* SimulatedPage::documentLine(int docY) const
{
    Document& doc = m_box ? *m_box : *m_page;
    if (docY < 0 || docY >= doc.height)
        return nullptr;
    return reinterpret_cast<const QRgb*>(tile(doc, docY / tileRows).constScanLine(docY % tileRows));
}

int SimulatedPage::documentWidth() const
{
    return document().width;
}

int SimulatedPage::documentColumnInCapture() const
{
    return (m_box ? boxViewAtStart().x() : pageView().x()) - capturedRect().x();
}

QRect SimulatedPage::documentViewInCapture() const
{
    const QRect captured = capturedRect();
    QRect view = pageView().intersected(captured);
    if (m_box)
        view = view.intersected(boxViewAtStart());
    return view.translated(-captured.topLeft());
}

int SimulatedPage::documentScroll() const
{
    return maxOffset(document());
}

QList<QRect> SimulatedPage::fixedPlaces() const
{
    const QRect captured = capturedRect();
    const QRect pv = pageView();
    const int frameMiddle = captured.y() + captured.height() / 2;
    QList<QRect> over;
    if (m_headerH)
        over.append(QRect(pv.x(), pv.y(), pv.width(), m_headerH));
    for (const Fixed& f : m_fixed)
        over.append(f.pictureRect);
    if (m_changing)
        over.append(m_changingRect.adjusted(-2 * m_scale, -2 * m_scale, 2 * m_scale, 2 * m_scale));
    QList<QRect> places;
    for (const QRect& c : over)
        places.append(c.translated(-captured.x(), c.top() < frameMiddle ? -captured.y() : documentScroll() - captured.y()));
    // Columns: whatever rows they stand beside (a leaving column anywhere).
    constexpr int everyRow = 1 << 28;
    if (m_columnW)
        places.append(QRect((m_columnLeft ? pv.x() : pv.right() + 1 - m_columnW - m_overlayW) - captured.x(), -everyRow,
                            m_columnW, 2 * everyRow));
    if (m_overlayW)
        places.append(QRect(pv.right() + 1 - m_overlayW - captured.x(), -everyRow, m_overlayW, 2 * everyRow));
    return places;
}
