#include "Platform/Qt/DesktopEntryText.h"

#include <QRegularExpression>

#include <algorithm>

namespace DesktopEntryText {

QString execValue(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = program;
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); })) {
        argument.clear();
        for (const QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                argument += u'\\';
            argument += c;
        }
        argument = u'"' + argument + u'"';
    }
    argument.replace(u'%', QStringLiteral("%%"));
    // The string-value level: backslashes and line breaks are escaped again.
    QString value;
    for (const QChar c : argument) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

QString programOf(const QString& execValue)
{
    // The string-value level first.
    QString argument;
    for (qsizetype i = 0; i < execValue.size(); ++i) {
        const QChar c = execValue.at(i);
        if (c != u'\\' || i + 1 == execValue.size()) {
            argument += c;
            continue;
        }
        const QChar next = execValue.at(++i);
        argument += next == u's' ? QChar(u' ') : next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t')
                  : next == u'r' ? QChar(u'\r') : next;
    }
    argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (!argument.startsWith(u'"'))
        return argument.section(QRegularExpression(QStringLiteral("\\s")), 0, 0);
    QString program;
    for (qsizetype i = 1; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        if (c == u'"')
            break;
        if (c == u'\\' && i + 1 < argument.size())
            program += argument.at(++i);
        else
            program += c;
    }
    return program;
}

} // namespace DesktopEntryText
