#include "Editor/GrowingTextView.h"

#include "Editor/TextEntryBuffer.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

GrowingTextView::GrowingTextView(TextEntryBuffer& buffer, QWidget* parent)
    : QTextEdit(parent)
    , m_buffer(buffer)
{
    setAcceptRichText(false);
    setUndoRedoEnabled(true);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    // The field's background, if any, is its parent's.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(inset);
    setPlainText(buffer.text());
    moveCursor(QTextCursor::End);

    connect(this, &QTextEdit::textChanged, this, [this] {
        m_buffer.setText(toPlainText());
        fitToContent();
    });
    // Only a text that differs replaces the field's, so typing keeps the caret.
    connect(&m_buffer, &TextEntryBuffer::textChanged, this, [this] {
        if (toPlainText() != m_buffer.text())
            setPlainText(m_buffer.text());
    });
    fitToContent();
    // The caret is in the field as soon as it shows.
    QTimer::singleShot(0, this, [self = QPointer(this)] {
        if (self && !self->m_finished)
            self->setFocus(Qt::OtherFocusReason);
    });
}

void GrowingTextView::setTextFont(const QFont& font)
{
    if (font == document()->defaultFont())
        return;
    document()->setDefaultFont(font);
    fitToContent();
}

void GrowingTextView::setTextColor(const QColor& color)
{
    QPalette pal = palette();
    if (pal.color(QPalette::Text) == color)
        return;
    pal.setColor(QPalette::Text, color);
    setPalette(pal);
}

void GrowingTextView::setMinimumFieldWidth(int width)
{
    m_minimumWidth = width;
    fitToContent();
}

void GrowingTextView::fitToContent()
{
    // Without wrapping the document is as wide as its longest line; its size
    // includes the inset on both sides. A little extra keeps the caret visible.
    const QSizeF used = document()->size();
    const int w = std::max(int(std::ceil(used.width())) + 4, m_minimumWidth);
    const int h = int(std::ceil(used.height()));
    setFixedSize(w, h);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void GrowingTextView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers().testFlag(Qt::ShiftModifier))
            textCursor().insertText(QStringLiteral("\n"));
        else
            request(true);
        return;
    case Qt::Key_Escape:
        request(false);
        return;
    default:
        QTextEdit::keyPressEvent(event);
    }
}

void GrowingTextView::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    // Another window, or the field's own context menu, takes the focus only
    // for a while: the editing goes on when it comes back.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    request(true);
}

void GrowingTextView::request(bool commit)
{
    if (m_finished)
        return;
    m_finished = true;
    if (commit)
        Q_EMIT commitRequested();
    else
        Q_EMIT cancelRequested();
}
