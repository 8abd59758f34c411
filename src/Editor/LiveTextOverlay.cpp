#include "Editor/LiveTextOverlay.h"

#include "Editor/CanvasContentView.h"
#include "Editor/EditorTextRecognition.h"
#include "Ui/Theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

LiveTextOverlay::LiveTextOverlay(EditorTextRecognition& recognition, CanvasContentView& content)
    : QWidget(&content)
    , m_recognition(recognition)
    , m_content(content)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setGeometry(content.rect());
    content.installEventFilter(this);
    connect(&recognition, &EditorTextRecognition::liveTextChanged, this, &LiveTextOverlay::sync);
    sync();
}

void LiveTextOverlay::sync()
{
    if (m_selection.lines().size() != m_recognition.liveTextLines().size()
        || !std::equal(m_selection.lines().begin(), m_selection.lines().end(), m_recognition.liveTextLines().begin(),
                       [](const RecognizedLine& a, const RecognizedLine& b) { return a.box == b.box && a.text == b.text; }))
        m_selection.setLines(m_recognition.liveTextLines());
    setVisible(m_recognition.liveTextEnabled());
    update();
}

bool LiveTextOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_content && event->type() == QEvent::Resize)
        setGeometry(m_content.rect());
    return false;
}

QPointF LiveTextOverlay::imagePoint(QPointF viewPoint) const
{
    return m_content.imagePoint(viewPoint);
}

void LiveTextOverlay::paintEvent(QPaintEvent*)
{
    if (m_selection.isEmpty())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Theme::withAlpha(Theme::accent(this), 0.35));
    const QList<RecognizedLine>& lines = m_selection.lines();
    for (qsizetype l = 0; l < lines.size(); ++l)
        for (qsizetype w = 0; w < lines[l].words.size(); ++w) {
            if (!m_selection.isSelected({l, w}))
                continue;
            const QRectF box(lines[l].words[w].box);
            const QRectF view(m_content.viewPoint(box.topLeft()), m_content.viewPoint(box.bottomRight() + QPointF(1, 1)));
            p.drawRoundedRect(view.adjusted(-1, -1, 1, 1), 2, 2);
        }
}

void LiveTextOverlay::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    m_selection.begin(imagePoint(event->position()));
    m_dragging = true;
    update();
}

void LiveTextOverlay::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = imagePoint(event->position());
    setCursor(m_selection.wordAt(at) ? Qt::IBeamCursor : Qt::ArrowCursor);
    if (m_dragging && event->buttons().testFlag(Qt::LeftButton)) {
        m_selection.extend(at);
        update();
    }
}

void LiveTextOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void LiveTextOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        const QString text = m_selection.selectedText();
        if (!text.isEmpty())
            m_recognition.copyText(text);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
