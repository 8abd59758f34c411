#pragma once
// Text metrics without fonts: every character half the font size wide, every
// line 1.25 font sizes high, so tests know sizes exactly.
#include "Editor/EditorEnvironment.h"

#include <QStringList>
#include <algorithm>

class FakeEditorEnvironment final : public EditorEnvironment {
public:
    QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>&) const override
    {
        const QStringList lines = text.split(QLatin1Char('\n'));
        qsizetype widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, line.isEmpty() ? qsizetype(1) : line.size());
        return {0.5 * fontSize * double(widest), 1.25 * fontSize * double(lines.size())};
    }
};
