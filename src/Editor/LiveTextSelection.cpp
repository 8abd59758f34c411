#include "Editor/LiveTextSelection.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// How far outside a word's box a point still hits it, in picture pixels.
constexpr double hitMargin = 2;

double distance(double v, double low, double high)
{
    return v < low ? low - v : v > high ? v - high : 0;
}
} // namespace

void LiveTextSelection::setLines(const QList<RecognizedLine>& lines)
{
    m_lines = lines;
    clear();
}

std::optional<LiveTextSelection::Word> LiveTextSelection::wordAt(QPointF at) const
{
    for (qsizetype l = 0; l < m_lines.size(); ++l)
        for (qsizetype w = 0; w < m_lines[l].words.size(); ++w)
            if (QRectF(m_lines[l].words[w].box).adjusted(-hitMargin, -hitMargin, hitMargin, hitMargin).contains(at))
                return Word{l, w};
    return std::nullopt;
}

std::optional<LiveTextSelection::Word> LiveTextSelection::nearestWord(QPointF at) const
{
    std::optional<Word> best;
    double bestLine = std::numeric_limits<double>::max();
    double bestWord = std::numeric_limits<double>::max();
    for (qsizetype l = 0; l < m_lines.size(); ++l) {
        const RecognizedLine& line = m_lines[l];
        if (line.words.isEmpty())
            continue;
        const double dy = distance(at.y(), line.box.top(), line.box.bottom() + 1);
        if (dy > bestLine)
            continue;
        if (dy < bestLine)
            bestWord = std::numeric_limits<double>::max();
        bestLine = dy;
        for (qsizetype w = 0; w < line.words.size(); ++w) {
            const QRect box = line.words[w].box;
            const double dx = distance(at.x(), box.left(), box.right() + 1);
            if (dx < bestWord) {
                bestWord = dx;
                best = Word{l, w};
            }
        }
    }
    return best;
}

void LiveTextSelection::begin(QPointF at)
{
    m_anchor = wordAt(at);
    m_focus = m_anchor;
}

void LiveTextSelection::extend(QPointF to)
{
    if (!m_anchor)
        return;
    if (const std::optional<Word> word = nearestWord(to))
        m_focus = word;
}

void LiveTextSelection::clear()
{
    m_anchor.reset();
    m_focus.reset();
}

bool LiveTextSelection::isSelected(Word word) const
{
    if (isEmpty())
        return false;
    const Word first = std::min(*m_anchor, *m_focus), last = std::max(*m_anchor, *m_focus);
    return first <= word && word <= last;
}

QString LiveTextSelection::selectedText() const
{
    if (isEmpty())
        return {};
    const Word first = std::min(*m_anchor, *m_focus), last = std::max(*m_anchor, *m_focus);
    QStringList lines;
    for (qsizetype l = first.line; l <= last.line && l < m_lines.size(); ++l) {
        QStringList words;
        const qsizetype from = l == first.line ? first.index : 0;
        const qsizetype to = l == last.line ? last.index : m_lines[l].words.size() - 1;
        for (qsizetype w = from; w <= to && w < m_lines[l].words.size(); ++w)
            words.append(m_lines[l].words[w].text);
        lines.append(words.join(QLatin1Char(' ')));
    }
    return lines.join(QLatin1Char('\n'));
}
