#include "Ui/GroupedForm.h"

#include "Ui/FormSection.h"

#include <QVBoxLayout>

GroupedForm::GroupedForm(QWidget* parent)
    : QScrollArea(parent)
    , m_content(new QWidget)
{
    setFrameShape(QFrame::NoFrame);
    // Tab goes to the controls; the form scrolls to the one that has the focus.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The form lies on the window's own background.
    viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    m_sections = new QVBoxLayout(m_content);
    m_sections->setContentsMargins(sideMargin, topMargin + verticalPadding, sideMargin, topMargin + verticalPadding);
    m_sections->setSpacing(sectionSpacing);
    m_sections->addStretch(1);
    setWidget(m_content);
}

FormSection* GroupedForm::addSection(const QString& header)
{
    auto* section = new FormSection(header, m_content);
    m_sections->insertWidget(m_sections->count() - 1, section);
    return section;
}
