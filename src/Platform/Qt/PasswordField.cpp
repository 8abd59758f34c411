#include "Platform/Qt/PasswordField.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {

// Screen readers hear a protected text field by its name; its content is never read out.
class PasswordFieldAccessible : public QAccessibleWidget {
public:
    explicit PasswordFieldAccessible(QWidget* w)
        : QAccessibleWidget(w, QAccessible::EditableText)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.passwordEdit = true;
        s.editable = true;
        s.focusable = true;
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return {};
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* passwordFieldFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("PasswordField") && object && object->isWidgetType())
        return new PasswordFieldAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

PasswordField::PasswordField(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(passwordFieldFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setFocusPolicy(Qt::StrongFocus);
    // No input method: it would see (and may keep) what is typed.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setCursor(Qt::IBeamCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PasswordField::setPlaceholderText(const QString& text)
{
    m_placeholder = text;
    update();
}

SecretBytes PasswordField::takePassword()
{
    SecretBytes out = std::move(m_secret);
    m_secret = SecretBytes();
    update();
    return out;
}

void PasswordField::clear()
{
    m_secret.clear();
    update();
    Q_EMIT edited();
}

QSize PasswordField::sizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 24, fontMetrics().height() + 12);
}

void PasswordField::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier);
    switch (e->key()) {
    case Qt::Key_Backspace:
        m_secret.removeLastCharacter();
        update();
        Q_EMIT edited();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        e->ignore();
        return;
    default:
        break;
    }
    const QString text = e->text();
    bool printable = !text.isEmpty() && (mods == Qt::NoModifier || mods == (Qt::ControlModifier | Qt::AltModifier));
    for (const QChar c : text)
        printable = printable && c.isPrint();
    if (!printable) {
        QWidget::keyPressEvent(e);
        return;
    }
    m_secret.append(text);
    update();
    Q_EMIT edited();
}

void PasswordField::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(frame, 5, 5);
    p.fillPath(path, palette().color(QPalette::Base));
    QColor border = hasFocus() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Text);
    if (!hasFocus())
        border.setAlphaF(0.25f);
    p.setPen(QPen(border, hasFocus() ? 2 : 1));
    p.drawPath(path);

    const QRectF content = QRectF(rect()).adjusted(8, 0, -8, 0);
    if (m_secret.isEmpty()) {
        QColor placeholder = palette().color(QPalette::Text);
        placeholder.setAlphaF(0.4f);
        p.setPen(placeholder);
        p.drawText(content, Qt::AlignVCenter | Qt::AlignLeft, m_placeholder);
    } else {
        const qreal dot = qMax<qreal>(5, fontMetrics().height() * 0.4);
        const qreal step = dot * 1.6;
        p.setPen(Qt::NoPen);
        p.setBrush(palette().color(QPalette::Text));
        const int shown = qMin(m_secret.characterCount(), int((content.width() - dot) / step) + 1);
        for (int i = 0; i < shown; ++i)
            p.drawEllipse(QRectF(content.left() + i * step, content.center().y() - dot / 2, dot, dot));
    }
}

void PasswordField::focusInEvent(QFocusEvent* e)
{
    update();
    QWidget::focusInEvent(e);
}

void PasswordField::focusOutEvent(QFocusEvent* e)
{
    update();
    QWidget::focusOutEvent(e);
}
