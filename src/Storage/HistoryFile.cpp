#include "Storage/HistoryFile.h"

namespace HistoryFile {

std::optional<QList<QByteArray>> listElements(const QByteArray& json)
{
    qsizetype i = 0;
    const qsizetype n = json.size();
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    if (json.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < n && space(json.at(i)))
        ++i;
    if (i >= n || json.at(i) != '[')
        return std::nullopt;
    // Depth is only counted, never recursed into: any nesting is fine.
    QList<QByteArray> elements;
    qsizetype depth = 0, start = ++i;
    bool inString = false;
    const auto take = [&](qsizetype end) {
        const QByteArray element = json.mid(start, end - start).trimmed();
        if (!element.isEmpty())
            elements.append(element);
        start = end + 1;
    };
    for (; i < n; ++i) {
        const char c = json.at(i);
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{')
            ++depth;
        else if ((c == ']' || c == '}') && depth > 0)
            --depth;
        else if (c == ',' && depth == 0)
            take(i);
        else if (c == ']') {
            take(i);
            return elements;
        }
    }
    take(n); // a list cut short: its last element will not decode
    return elements;
}

} // namespace HistoryFile
