#include "Ui/FormSection.h"

#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"
#include "Ui/ToggleSwitch.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

FormSection::FormSection(const QString& header, QWidget* parent)
    : QWidget(parent)
    , m_box(new RoundedFill(boxRadius, [](const QWidget* w) { return Theme::textBackground(w); }, this))
    , m_boxLayout(new QVBoxLayout(m_box))
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);
    if (!header.isEmpty()) {
        m_header = new QLabel(header, this);
        m_header->setFont(Theme::font(Theme::headlineSize, QFont::DemiBold));
        m_header->setContentsMargins(2, 0, 0, 0);
        stack->addWidget(m_header);
    }
    m_boxLayout->setContentsMargins(0, 0, 0, 0);
    m_boxLayout->setSpacing(0);
    stack->addWidget(m_box);
}

QLabel* FormSection::makeCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setFont(Theme::font(Theme::captionSize));
    Theme::setForeground(label, Theme::secondary(label));
    return label;
}

QWidget* FormSection::addRow(QWidget* row)
{
    if (m_rows > 0) {
        auto* line = new QFrame(m_box);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setFixedHeight(1);
        QPalette p = line->palette();
        p.setColor(QPalette::WindowText, Theme::primary(0.08, this));
        line->setPalette(p);
        m_boxLayout->addWidget(line);
    }
    auto* cell = new QWidget(m_box);
    cell->setMinimumHeight(rowMinHeight);
    m_lastCell = new QVBoxLayout(cell);
    m_lastCell->setContentsMargins(cellHPadding, cellVPadding, cellHPadding, cellVPadding);
    m_lastCell->setSpacing(3);
    row->setParent(cell);
    m_lastCell->addWidget(row);
    m_boxLayout->addWidget(cell);
    ++m_rows;
    return row;
}

QWidget* FormSection::addRow(const QString& text, QWidget* control)
{
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(8);
    auto* label = new QLabel(text, row);
    label->setFont(Theme::font(Theme::bodySize));
    h->addWidget(label, 1);
    h->addWidget(control, 0, Qt::AlignVCenter);
    return addRow(row);
}

ToggleSwitch* FormSection::addToggle(const QString& text)
{
    auto* toggle = new ToggleSwitch;
    toggle->setAccessibleName(text);
    addRow(text, toggle);
    return toggle;
}

QLabel* FormSection::addCaption(const QString& text)
{
    if (!m_lastCell)
        addRow(new QWidget);
    auto* caption = makeCaption(text, m_box);
    m_lastCell->addWidget(caption);
    return caption;
}

QLabel* FormSection::setFooter(const QString& text)
{
    if (!m_footer) {
        m_footer = makeCaption(text, this);
        m_footer->setContentsMargins(2, 0, 2, 0);
        layout()->addWidget(m_footer);
    }
    m_footer->setText(text);
    return m_footer;
}
