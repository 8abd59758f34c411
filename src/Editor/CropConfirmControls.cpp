#include "Editor/CropConfirmControls.h"

#include "Editor/CropTool.h"
#include "Localization/Localizer.h"
#include "Text/ButtonText.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>

CropConfirmControls::CropConfirmControls(CropTool& crop, QWidget* parent)
    : QWidget(parent)
    , m_crop(crop)
    , m_apply(new QPushButton(this))
    , m_cancel(new QToolButton(this))
{
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_apply->setObjectName(QStringLiteral("applyButton"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_apply);
    layout->addWidget(m_cancel);
    // The prominent one of the pair.
    m_apply->setDefault(true);
    m_apply->setAutoDefault(false);
    m_apply->setIcon(IconRegistry::icon(QStringLiteral("checkmark"), 14, Theme::primary(this)));
    m_cancel->setIcon(IconRegistry::icon(QStringLiteral("xmark"), 14, Theme::primary(this)));
    m_cancel->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        // The draft may have gone just before the click arrived.
        if (const auto draft = m_crop.cropDraft())
            m_crop.applyCrop(*draft);
    });
    connect(m_cancel, &QToolButton::clicked, this, [this] { m_crop.cancelCrop(); });
    retranslate();
}

void CropConfirmControls::retranslate()
{
    m_apply->setText(ButtonText::escaped(Localizer::t(QStringLiteral("Zuschneiden"))));
    m_apply->setAccessibleName(Localizer::t(QStringLiteral("Zuschneiden")));
    m_apply->setToolTip(Localizer::t(QStringLiteral("Zuschnitt anwenden (⏎)")));
    m_cancel->setText(ButtonText::escaped(Localizer::t(QStringLiteral("Abbrechen"))));
    m_cancel->setAccessibleName(Localizer::t(QStringLiteral("Abbrechen")));
    m_cancel->setToolTip(Localizer::t(QStringLiteral("Abbrechen (Esc)")));
}

void CropConfirmControls::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
