#include "Editor/HistoryControls.h"

#include "Editor/EditorViewModel.h"
#include "Editor/ToolbarIconButton.h"
#include "Localization/Localizer.h"

#include <QEvent>
#include <QHBoxLayout>

HistoryControls::HistoryControls(EditorViewModel& vm, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_undo(new ToolbarIconButton(QStringLiteral("arrow.uturn.backward"), QSize(26, 22), this))
    , m_redo(new ToolbarIconButton(QStringLiteral("arrow.uturn.forward"), QSize(26, 22), this))
{
    m_redo->setObjectName(QStringLiteral("redoButton"));
    m_undo->setObjectName(QStringLiteral("undoButton"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(m_undo);
    row->addWidget(m_redo);
    connect(m_undo, &QAbstractButton::clicked, &vm, &EditorViewModel::undo);
    connect(m_redo, &QAbstractButton::clicked, &vm, &EditorViewModel::redo);
    connect(&vm, &EditorViewModel::historyChanged, this, &HistoryControls::sync);
    retranslate();
    sync();
}

void HistoryControls::sync()
{
    m_undo->setEnabled(m_vm.canUndo());
    m_redo->setEnabled(m_vm.canRedo());
}

void HistoryControls::retranslate()
{
    m_undo->setName(Localizer::t(QStringLiteral("Rückgängig (Ctrl+Z)")));
    m_redo->setName(Localizer::t(QStringLiteral("Wiederholen (Ctrl+Shift+Z)")));
}

void HistoryControls::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
