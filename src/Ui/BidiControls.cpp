#include "Ui/BidiControls.h"

namespace BidiControls {

namespace {
const char* nameOf(char16_t c)
{
    switch (c) {
    case 0x202A: return "LRE";
    case 0x202B: return "RLE";
    case 0x202C: return "PDF";
    case 0x202D: return "LRO";
    case 0x202E: return "RLO";
    case 0x2066: return "LRI";
    case 0x2067: return "RLI";
    case 0x2068: return "FSI";
    case 0x2069: return "PDI";
    default: return nullptr;
    }
}
} // namespace

QString revealed(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char* name = nameOf(text.at(i).unicode());
        if (!name) {
            if (!out.isNull())
                out.append(text.at(i));
            continue;
        }
        if (out.isNull())
            out = text.left(i);
        out.append(QLatin1Char('[') + QLatin1String(name) + QLatin1Char(']'));
    }
    return out.isNull() ? text : out;
}

} // namespace BidiControls
