#include "Editor/TextEntryBuffer.h"

void TextEntryBuffer::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT textChanged();
}
