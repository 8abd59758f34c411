#include "support/GeneratedPage.h"

#include "helpers/CodedRows.h"

#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <map>
#include <tuple>

namespace {

QString rgb(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString code(int n)
{
    return rgb(CodedRows::colour(n));
}

const QStringList words = {
    QStringLiteral("Seite"),   QStringLiteral("Abschnitt"), QStringLiteral("lange"),   QStringLiteral("Zeile"),
    QStringLiteral("Inhalt"),  QStringLiteral("wird"),      QStringLiteral("gezeigt"), QStringLiteral("und"),
    QStringLiteral("weiter"),  QStringLiteral("gelesen"),   QStringLiteral("Bild"),    QStringLiteral("Text"),
    QStringLiteral("der"),     QStringLiteral("die"),       QStringLiteral("das"),     QStringLiteral("mit"),
    QStringLiteral("Fenster"), QStringLiteral("Leiste"),    QStringLiteral("oben"),    QStringLiteral("unten"),
    QStringLiteral("Rand"),    QStringLiteral("Spalte"),    QStringLiteral("Zahl"),    QStringLiteral("1234"),
    QStringLiteral("Wörter"),  QStringLiteral("Satz"),      QStringLiteral("Ende"),    QStringLiteral("Anfang"),
};

QString sentence(QRandomGenerator& r, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(words[int(r.bounded(quint32(words.size())))]);
    return out.join(QLatin1Char(' '));
}

bool atTop(GeneratedPage::Edge e)
{
    using E = GeneratedPage::Edge;
    return e == E::top || e == E::topLeft || e == E::topRight;
}

bool atBottom(GeneratedPage::Edge e)
{
    using E = GeneratedPage::Edge;
    return e == E::bottom || e == E::bottomLeft || e == E::bottomRight;
}

bool atLeft(GeneratedPage::Edge e)
{
    using E = GeneratedPage::Edge;
    return e == E::left || e == E::topLeft || e == E::bottomLeft;
}

bool atRight(GeneratedPage::Edge e)
{
    using E = GeneratedPage::Edge;
    return e == E::right || e == E::topRight || e == E::bottomRight;
}

const char* edgeName(GeneratedPage::Edge e)
{
    static const char* names[] = {"top", "bottom", "left", "right", "top-left", "top-right", "bottom-left", "bottom-right"};
    return names[int(e)];
}

// CSS placing a fixed box at its edge or corner.
QString placement(GeneratedPage::Edge e, int offset, int inset)
{
    QString css;
    if (atTop(e))
        css += QStringLiteral("top:%1px;").arg(inset);
    else if (atBottom(e))
        css += QStringLiteral("bottom:%1px;").arg(inset);
    else
        css += QStringLiteral("top:%1px;").arg(offset);
    if (atLeft(e))
        css += QStringLiteral("left:%1px;").arg(inset);
    else if (atRight(e))
        css += QStringLiteral("right:%1px;").arg(inset);
    return css;
}

// How far a box at an edge reaches into the page from the top or bottom.
int reach(const GeneratedPage::Fixed& f, bool top)
{
    if (top ? atTop(f.edge) : atBottom(f.edge))
        return f.height + f.offset;
    return 0;
}

} // namespace

GeneratedPage::GeneratedPage(quint32 seed) : m_seed(seed)
{
    generate();
}

int GeneratedPage::items() const
{
    return int(std::count_if(m_blocks.begin(), m_blocks.end(), [](const Block& b) { return b.kind == Block::Kind::item; }));
}

bool GeneratedPage::hasInner() const
{
    return std::any_of(m_blocks.begin(), m_blocks.end(),
                       [](const Block& b) { return b.kind == Block::Kind::inner && !b.appended; });
}

void GeneratedPage::generate()
{
    QRandomGenerator r(m_seed);
    auto chance = [&r](int percent) { return int(r.bounded(100)) < percent; };
    auto between = [&r](int low, int high) { return low + int(r.bounded(quint32(high - low + 1))); };

    m_scale = chance(25) ? 2 : 1;
    m_dark = chance(40);
    m_wide = chance(15);
    m_stickyHeader = chance(30) ? between(36, 72) : 0;
    m_stickyLeft = chance(20) ? between(150, 260) : 0;
    m_stickyRight = !m_stickyLeft && chance(10) ? between(150, 240) : 0;
    // A screen of the page in CSS pixels, about.
    const int screen = 800 / m_scale;

    const int fixedCount = chance(55) ? between(1, 3) : 0;
    for (int i = 0; i < fixedCount; ++i) {
        Fixed f;
        f.edge = Edge(between(0, 7));
        f.shadow = chance(50);
        f.code = fixedCodes + i;
        switch (f.edge) {
        case Edge::top:
        case Edge::bottom:
            // A banner, the whole width or a box in the middle.
            f.width = chance(60) ? 0 : between(240, 460);
            f.height = between(36, 130 / m_scale + 20);
            break;
        case Edge::left:
        case Edge::right:
            f.width = between(28, 60);
            f.height = between(80, 220);
            f.offset = between(60, qMax(80, screen - f.height - 60));
            break;
        default:
            // A bubble or a small box in a corner, a little off the edges.
            f.width = between(40, 96);
            f.height = chance(60) ? f.width : between(36, 90);
            f.round = chance(60);
            f.offset = between(0, 24);
            break;
        }
        m_fixed.append(f);
    }
    m_clock = chance(25);
    m_dot = chance(20);
    m_clockEdge = Edge(between(4, 7));
    m_dotEdge = Edge(between(4, 7));

    // Nothing of the content may lie where a fixed element covers it in
    // every frame: at the page's very top and very end.
    int top = m_stickyHeader ? 8 : 16;
    int bottom = 24;
    for (const Fixed& f : m_fixed) {
        top = qMax(top, reach(f, true) + 12);
        bottom = qMax(bottom, reach(f, false) + 12);
    }
    for (const auto& [shown, edge, size] : {std::tuple{m_clock, m_clockEdge, 60}, std::tuple{m_dot, m_dotEdge, 40}})
        if (shown && atLeft(edge))
            (atTop(edge) ? top : bottom) = qMax(atTop(edge) ? top : bottom, size);
    m_topPad = top;
    m_bottomPad = bottom;
    m_endMark = std::none_of(m_fixed.begin(), m_fixed.end(), [](const Fixed& f) { return atBottom(f.edge); })
        && !(m_clock && atBottom(m_clockEdge) && atLeft(m_clockEdge)) && !(m_dot && atBottom(m_dotEdge) && atLeft(m_dotEdge));

    const int count = m_scale == 2 ? between(18, 34) : between(30, 64);
    const bool lazy = chance(25);
    const bool appended = chance(20);
    const int plainStretches = chance(30) ? between(1, 2) : 0;
    QList<int> plainAfter;
    for (int i = 0; i < plainStretches; ++i)
        plainAfter.append(between(1, count - 2));
    const int innerAfter = chance(15) ? between(2, count - 3) : -1;
    m_appendBatch = appended ? between(4, 10) : 0;
    const int firstAppended = appended ? count * 6 / 10 : count;

    for (int i = 0; i < count; ++i) {
        Block item;
        item.kind = Block::Kind::item;
        item.text = between(1, 8);
        item.appended = i >= firstAppended;
        if (lazy && chance(35)) {
            item.image = between(60, 300);
            item.imageDelayMs = between(150, 1200);
        }
        item.height = 28 + item.text * 20 + item.image;
        m_blocks.append(item);
        const int gap = between(0, 3) * 6;
        if (gap)
            m_blocks.append(Block{Block::Kind::plain, gap, 0, 0, 0, item.appended});
        for (int at : plainAfter)
            if (at == i)
                m_blocks.append(Block{Block::Kind::plain, between(screen / 3, screen * 3), 0, 0, 0, item.appended});
        if (i == innerAfter) {
            m_innerItems = between(20, 40);
            m_blocks.append(Block{Block::Kind::inner, between(240, 400), 0, 0, 0, item.appended});
        }
    }
}

QString GeneratedPage::description() const
{
    QStringList parts;
    parts << QStringLiteral("seed %1").arg(m_seed) << QStringLiteral("scale %1").arg(m_scale)
          << (m_dark ? QStringLiteral("dark") : QStringLiteral("light")) << QStringLiteral("%1 items").arg(items());
    if (m_wide)
        parts << QStringLiteral("wide");
    if (m_stickyHeader)
        parts << QStringLiteral("sticky header %1").arg(m_stickyHeader);
    if (m_stickyLeft)
        parts << QStringLiteral("sticky column left %1").arg(m_stickyLeft);
    if (m_stickyRight)
        parts << QStringLiteral("sticky column right %1").arg(m_stickyRight);
    for (const Fixed& f : m_fixed)
        parts << QStringLiteral("fixed %1 %2x%3%4%5")
                     .arg(QLatin1String(edgeName(f.edge)))
                     .arg(f.width ? QString::number(f.width) : QStringLiteral("full"))
                     .arg(f.height)
                     .arg(f.round ? QStringLiteral(" round") : QString())
                     .arg(f.shadow ? QStringLiteral(" shadow") : QString());
    if (m_clock)
        parts << QStringLiteral("clock %1").arg(QLatin1String(edgeName(m_clockEdge)));
    if (m_dot)
        parts << QStringLiteral("blinking dot %1").arg(QLatin1String(edgeName(m_dotEdge)));
    int plain = 0;
    int images = 0;
    int appended = 0;
    for (const Block& b : m_blocks) {
        if (b.kind == Block::Kind::plain && b.height > 100)
            plain = qMax(plain, b.height);
        images += b.image > 0;
        appended += b.kind == Block::Kind::item && b.appended;
    }
    if (plain)
        parts << QStringLiteral("plain stretch %1").arg(plain);
    if (images)
        parts << QStringLiteral("%1 late images").arg(images);
    if (appended)
        parts << QStringLiteral("%1 appended in batches of %2").arg(appended).arg(m_appendBatch);
    if (m_innerItems)
        parts << QStringLiteral("inner box of %1").arg(m_innerItems);
    return parts.join(QStringLiteral(", "));
}

QByteArray GeneratedPage::html(const QString& imagePath, const QString& script) const
{
    QRandomGenerator r(m_seed ^ 0x5eedu);
    auto between = [&r](int low, int high) { return low + int(r.bounded(quint32(high - low + 1))); };
    const QString background = m_dark ? QStringLiteral("#16181c") : QStringLiteral("#ffffff");
    const QString text = m_dark ? QStringLiteral("#d6d6d6") : QStringLiteral("#202020");
    const QString panel = m_dark ? QStringLiteral("#262a31") : QStringLiteral("#eef1f5");
    const QString shadow = QStringLiteral("box-shadow:0 3px 14px rgba(0,0,0,.45);");
    const int assumedWidth = 1000 / m_scale;
    QString html = QStringLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Seite %1</title><style>"
        "html,body{margin:0;padding:0}body{background:%2;color:%3;font:15px/20px 'DejaVu Sans',sans-serif}"
        "#page{display:flex;align-items:flex-start;%4}main{position:relative;flex:1;min-width:0;padding:%5px 0 %6px 0}"
        ".item{position:relative;padding:14px 24px 14px 56px}.t{margin:0;overflow:hidden}"
        ".item img{display:block}.m{position:absolute;left:12px;width:%7px;height:%8px}.m.a{top:0}.m.b{bottom:0}"
        "header{position:sticky;top:0;z-index:3;background:%9;color:#fff;font-size:20px;padding-left:16px}"
        "nav{position:sticky;flex:none;overflow:hidden;background:%10;padding:10px 0}"
        "nav a{display:block;padding:4px 14px;color:#3a78c8;text-decoration:none}"
        ".inner{overflow:auto;margin:0 40px 0 56px;border:3px solid %11;box-sizing:border-box}"
        ".inner>div{position:relative;height:60px;padding-left:44px}.fx{position:fixed;z-index:5;overflow:hidden}"
        "</style></head><body>")
                       .arg(m_seed)
                       .arg(background, text)
                       .arg(m_wide ? QStringLiteral("min-width:%1px").arg(assumedWidth * 17 / 10) : QString())
                       .arg(m_topPad)
                       .arg(m_bottomPad)
                       .arg(markWidth)
                       .arg(markHeight)
                       .arg(m_dark ? QStringLiteral("#30465e") : QStringLiteral("#1e2a3a"), panel, code(innerCodes - 1));
    if (m_stickyHeader)
        html += QStringLiteral("<header style=\"height:%1px;line-height:%1px\">%2</header>")
                    .arg(m_stickyHeader)
                    .arg(sentence(r, 4));
    html += QStringLiteral("<div id=\"page\">");
    auto nav = [&](int width) {
        QString out = QStringLiteral("<nav style=\"top:%1px;width:%2px;height:calc(100vh - %3px)\">")
                          .arg(m_stickyHeader)
                          .arg(width)
                          .arg(m_stickyHeader + 20);
        for (int i = 0; i < 40; ++i)
            out += QStringLiteral("<a href=\"#\">%1 %2</a>").arg(sentence(r, 2)).arg(i + 1);
        return out + QStringLiteral("</nav>");
    };
    if (m_stickyLeft)
        html += nav(m_stickyLeft);
    html += QStringLiteral("<main>");
    int item = 0;
    for (const Block& b : m_blocks) {
        const QString hidden = b.appended ? QStringLiteral(" data-later=\"1\" style=\"display:none\"") : QString();
        switch (b.kind) {
        case Block::Kind::plain:
            html += QStringLiteral("<div%1><div style=\"height:%2px\"></div></div>").arg(hidden).arg(b.height);
            break;
        case Block::Kind::inner: {
            html += QStringLiteral("<div%1><div class=\"inner\" style=\"height:%2px\">").arg(hidden).arg(b.height);
            for (int j = 0; j < m_innerItems; ++j)
                html += QStringLiteral("<div><div class=\"m a\" style=\"background:%1\"></div>%2 %3"
                                       "<div class=\"m b\" style=\"background:%4\"></div></div>")
                            .arg(code(innerCodes + 2 * j), sentence(r, 5))
                            .arg(j)
                            .arg(code(innerCodes + 2 * j + 1));
            html += QStringLiteral("</div></div>");
            break;
        }
        case Block::Kind::item: {
            html += QStringLiteral("<div class=\"item\"%1><div class=\"m a\" style=\"background:%2\"></div>"
                                   "<div class=\"t\" style=\"height:%3px\"><b>Eintrag %4</b> %5</div>")
                        .arg(hidden, code(2 * item))
                        .arg(b.text * 20)
                        .arg(item)
                        .arg(sentence(r, b.text * 9));
            if (b.image)
                html += QStringLiteral("<img alt=\"\" loading=\"lazy\" src=\"%1/%2/%3/%4?ms=%5\">")
                            .arg(imagePath)
                            .arg(between(160, 420))
                            .arg(b.image)
                            .arg(item)
                            .arg(b.imageDelayMs);
            html += QStringLiteral("<div class=\"m b\" style=\"background:%1\"></div></div>").arg(code(2 * item + 1));
            ++item;
            break;
        }
        }
    }
    html += QStringLiteral("<div id=\"end\" style=\"height:1px\"></div>");
    if (m_endMark)
        html += QStringLiteral("<div class=\"m b\" style=\"background:%1\"></div>").arg(code(2 * item));
    html += QStringLiteral("</main>");
    if (m_stickyRight)
        html += nav(m_stickyRight);
    html += QStringLiteral("</div>");
    for (const Fixed& f : m_fixed) {
        const bool side = f.edge == Edge::left || f.edge == Edge::right;
        QString css = side ? placement(f.edge, f.offset, 0) : placement(f.edge, 0, f.offset);
        if ((f.edge == Edge::top || f.edge == Edge::bottom) && f.width)
            css += QStringLiteral("left:50%;margin-left:-%1px;").arg(f.width / 2);
        css += f.width ? QStringLiteral("width:%1px;").arg(f.width) : QStringLiteral("left:0;right:0;");
        css += QStringLiteral("height:%1px;background:%2;").arg(f.height).arg(code(f.code));
        if (f.round)
            css += QStringLiteral("border-radius:50%;");
        if (f.shadow)
            css += shadow;
        const QString label = f.width == 0 || f.width > 200
            ? QStringLiteral("<span style=\"display:inline-block;margin:8px 16px;color:#fff\">Diese Seite verwendet "
                             "Cookies.</span><button style=\"margin:6px\">Verstanden</button>")
            : QString();
        html += QStringLiteral("<div class=\"fx\" style=\"%1\">%2</div>").arg(css, label);
    }
    if (m_clock)
        html += QStringLiteral("<div id=\"clock\" class=\"fx\" style=\"%1padding:4px 8px;font:bold 18px 'DejaVu Sans Mono',"
                               "monospace;background:%2;color:%3\">00:00:00.000</div>")
                    .arg(placement(m_clockEdge, 0, 10), panel, text);
    if (m_dot)
        html += QStringLiteral("<div id=\"dot\" class=\"fx\" style=\"%1width:14px;height:14px;border-radius:7px;"
                               "background:#e8412c\"></div>")
                    .arg(placement(m_dotEdge, 0, 18));
    // The clock ticks, the dot blinks, and the blocks held back come in
    // batches once the end of the page comes near.
    html += QStringLiteral(
                "<script>(function(){var c=document.getElementById('clock');if(c)setInterval(function(){"
                "c.textContent=new Date().toISOString().substr(11,12);},50);var d=document.getElementById('dot');"
                "if(d)setInterval(function(){d.style.visibility=d.style.visibility=='hidden'?'visible':'hidden';},500);"
                "var batch=%1,pending=false,end=document.getElementById('end');setInterval(function(){"
                "if(pending||!batch)return;var later=document.querySelectorAll('[data-later]');if(!later.length)return;"
                "if(end.getBoundingClientRect().top>innerHeight+200)return;pending=true;setTimeout(function(){"
                "var shown=0;for(var i=0;i<later.length;i++){var e=later[i];e.removeAttribute('data-later');"
                "e.style.display='';if(e.className=='item'&&++shown>=batch)break;}pending=false;},500);},150);"
                "if(location.search.indexOf('inner=1')>=0){var b=document.querySelector('.inner');"
                "if(b)b.scrollIntoView({block:'center'});}})();</script>")
                .arg(m_appendBatch);
    html += script + QStringLiteral("</body></html>");
    return html.toUtf8();
}

namespace {

// The column crossing the most marks of codes [base, base + count), across
// the whole width: a sticky column at the left of a narrow view at scale 2
// pushes the marks past its middle.
int markColumn(const QImage& image, int base, int count)
{
    int best = 0;
    int bestCount = -1;
    for (int x = 0; x < image.width(); x += 2) {
        int hits = 0;
        for (int y = 0; y < image.height(); y += 2) {
            const int n = CodedRows::decode(image.pixel(x, y));
            hits += n >= base && n < base + count;
        }
        if (hits > bestCount) {
            best = x;
            bestCount = hits;
        }
    }
    return best;
}

} // namespace

// Items whose marks have codes base + 2i (top) and base + 2i + 1 (bottom),
// and where there is one, an end mark base + 2n: `expected` holds where each
// mark lies, in device pixels from the first.
GeneratedPage::Verdict GeneratedPage::readMarks(const QImage& image, int base, int items, const QList<int>& expected) const
{
    Verdict v;
    v.total = items;
    const int codes = int(expected.size());
    const bool endMark = codes > 2 * items;
    QList<CodedRows::Run> marks = CodedRows::runs(image, markColumn(image, base, codes));
    marks.removeIf([base, codes](const CodedRows::Run& r) { return r.item < base || r.item >= base + codes; });
    for (CodedRows::Run& r : marks)
        r.item -= base;
    const int tall = markHeight * m_scale;
    auto itemOf = [](int code) { return code / 2; };
    int next = 0;
    for (qsizetype i = 0; i < marks.size() && v.problem.isEmpty(); ++i) {
        const CodedRows::Run& m = marks[i];
        if (m.item != next) {
            v.problem = m.item < next ? QStringLiteral("item %1 again at row %2").arg(itemOf(m.item)).arg(m.top)
                : next == 2 * items   ? QStringLiteral("the page's end missing")
                                      : QStringLiteral("item %1 %2 missing (row %3 shows item %4)")
                                            .arg(itemOf(next))
                                            .arg(next % 2 ? QStringLiteral("bottom") : QStringLiteral("top"))
                                            .arg(m.top)
                                            .arg(itemOf(m.item));
            break;
        }
        // A capture that ends inside a mark cuts it short.
        const bool last = i == marks.size() - 1;
        if (std::abs(m.height - tall) > 1 && !(last && m.top + m.height >= image.height() - 1)) {
            v.problem = QStringLiteral("item %1: mark %2 rows tall instead of %3 (row %4)")
                            .arg(itemOf(m.item))
                            .arg(m.height)
                            .arg(tall)
                            .arg(m.top);
            break;
        }
        if (i > 0) {
            const int distance = m.top - marks[i - 1].top;
            const int want = expected[m.item] - expected[m.item - 1];
            if (std::abs(distance - want) > 1) {
                v.problem = QStringLiteral("%1 %2: %3 rows where %4 belong (row %5)")
                                .arg(m.item == 2 * items ? QStringLiteral("at the end, after item")
                                         : m.item % 2   ? QStringLiteral("inside item")
                                                        : QStringLiteral("before item"))
                                .arg(qMin(itemOf(m.item), items - 1))
                                .arg(distance)
                                .arg(want)
                                .arg(m.top);
                break;
            }
        }
        if (m.item % 2 && m.item < 2 * items)
            v.found = itemOf(m.item) + 1;
        ++next;
    }
    if (v.problem.isEmpty() && endMark && v.found == items && next == 2 * items)
        v.problem = QStringLiteral("the page's last %1 rows missing").arg(expected.last() - expected[2 * items - 1]);
    if (v.problem.isEmpty() && marks.isEmpty())
        v.problem = QStringLiteral("no marks");
    return v;
}

GeneratedPage::Verdict GeneratedPage::checkInner(const QImage& capture) const
{
    // Each inner item is 60 pixels tall, its marks at its top and bottom.
    QList<int> expected;
    for (int j = 0; j < m_innerItems; ++j)
        expected << j * 60 * m_scale << (j * 60 + 60 - markHeight) * m_scale;
    Verdict v = readMarks(capture.convertToFormat(QImage::Format_RGB32), innerCodes, m_innerItems, expected);
    if (v.problem.isEmpty() && v.found < v.total)
        v.problem = QStringLiteral("only %1 of %2 items").arg(v.found).arg(v.total);
    return v;
}

GeneratedPage::Verdict GeneratedPage::check(const QImage& capture) const
{
    const QImage image = capture.convertToFormat(QImage::Format_RGB32);
    QList<int> expected;
    int y = 0;
    for (const Block& b : m_blocks) {
        if (b.kind == Block::Kind::item) {
            expected.append(y * m_scale);
            expected.append((y + b.height - markHeight) * m_scale);
        }
        y += b.height;
    }
    if (m_endMark)
        expected.append((y + 1 + m_bottomPad - markHeight) * m_scale);
    Verdict v = readMarks(image, 0, items(), expected);
    if (!v.problem.isEmpty())
        return v;
    // Each fixed element once at most: the rows showing its colour make one
    // run no taller than it.
    std::map<int, QList<int>> rowsOf;
    for (int row = 0; row < image.height(); ++row) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        std::map<int, int> seen;
        for (int x = 0; x < image.width(); x += 2) {
            const int n = CodedRows::decode(line[x]);
            if (n >= fixedCodes && n < fixedCodes + m_fixed.size())
                ++seen[n];
        }
        for (const auto& [n, count] : seen)
            if (count >= 3)
                rowsOf[n].append(row);
    }
    for (const auto& [n, rows] : rowsOf) {
        const int tall = m_fixed[n - fixedCodes].height * m_scale;
        int shown = 0;
        for (qsizetype i = 0, top = 0; i < rows.size(); ++i)
            if (i == 0 || rows[i] - rows[i - 1] > 8 || rows[i] - top > tall) {
                ++shown;
                top = rows[i];
            }
        if (shown > 1) {
            v.problem = QStringLiteral("fixed element %1 shown %2 times").arg(n - fixedCodes).arg(shown);
            return v;
        }
    }
    if (v.found < v.total)
        v.problem = QStringLiteral("only %1 of %2 items").arg(v.found).arg(v.total);
    return v;
}
