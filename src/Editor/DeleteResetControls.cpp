#include "Editor/DeleteResetControls.h"

#include "Editor/EditorViewModel.h"
#include "Localization/Localizer.h"
#include "Text/ButtonText.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

namespace {
QToolButton* button(const QString& symbol, const QColor& ink, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setIcon(IconRegistry::icon(symbol, 13, ink));
    b->setAutoRaise(true);
    b->setFont(Theme::font(11));
    b->setCursor(Qt::ArrowCursor);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}
} // namespace

DeleteResetControls::DeleteResetControls(EditorViewModel& vm, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_delete(button(QStringLiteral("trash"), Theme::red(), this))
    , m_reset(button(QStringLiteral("arrow.counterclockwise"), Theme::primary(this), this))
{
    m_delete->setObjectName(QStringLiteral("deleteButton"));
    m_reset->setObjectName(QStringLiteral("resetButton"));
    // Removing is the destructive one of the pair.
    Theme::setForeground(m_delete, Theme::red());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_delete);
    row->addWidget(m_reset);
    connect(m_delete, &QToolButton::clicked, &vm, &EditorViewModel::deleteSelected);
    connect(m_reset, &QToolButton::clicked, &vm, &EditorViewModel::resetAll);
    connect(&vm, &EditorViewModel::selectionChanged, this, &DeleteResetControls::sync);
    connect(&vm, &EditorViewModel::annotationsChanged, this, &DeleteResetControls::sync);
    retranslate();
    sync();
}

void DeleteResetControls::setCompact(bool compact)
{
    const Qt::ToolButtonStyle style = compact ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon;
    m_delete->setToolButtonStyle(style);
    m_reset->setToolButtonStyle(style);
}

void DeleteResetControls::sync()
{
    m_delete->setEnabled(m_vm.selectedAnnotationID().has_value());
    m_reset->setEnabled(!m_vm.state().annotations.isEmpty());
}

void DeleteResetControls::retranslate()
{
    for (auto [b, text] : {std::pair{m_delete, ZENTU_TEXT("Auswahl löschen")},
                           std::pair{m_reset, ZENTU_TEXT("Alles zurücksetzen")}}) {
        const QString shown = Localizer::t(text);
        b->setText(ButtonText::escaped(shown));
        b->setToolTip(shown);
        b->setAccessibleName(shown);
    }
}

void DeleteResetControls::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
