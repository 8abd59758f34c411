#include "Text/ButtonText.h"

namespace ButtonText {

QString escaped(const QString& text)
{
    QString out = text;
    return out.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString shown(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                ++i;
            else
                continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace ButtonText
