#include "Settings/PermissionRow.h"

#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Permissions/RefusalTexts.h"
#include "Ui/IconRegistry.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PermissionRow::Metrics PermissionRow::formMetrics()
{
    return {15, 22, 11, 13, QFont::Medium, Theme::captionSize, QColor()};
}

PermissionRow::Metrics PermissionRow::cardMetrics()
{
    return {18, 26, 12, 14, QFont::DemiBold, Theme::calloutSize, QColor()};
}

PermissionRow::PermissionRow(const QString& symbolName, const QString& title, const QString& subtitle,
                             const QString& refusal, const Metrics& metrics, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbolName)
    , m_metrics(metrics)
    , m_icon(new QLabel(this))
    , m_title(new QLabel(title, this))
    , m_subtitle(new QLabel(subtitle, this))
    , m_refusal(new QLabel(refusal, this))
    , m_grantedLabel(new SymbolLabel(QStringLiteral("checkmark.circle.fill"), Localizer::t(QStringLiteral("Erlaubt")),
                                     Theme::font(metrics.stateSize, QFont::DemiBold), this))
    , m_unavailableLabel(new SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"),
                                         Localizer::t(QStringLiteral("Nicht verfügbar")),
                                         Theme::font(metrics.stateSize, QFont::DemiBold), this))
{
    m_unavailableLabel->setObjectName(QStringLiteral("unavailableLabel"));
    m_grantedLabel->setObjectName(QStringLiteral("grantedLabel"));
    m_refusal->setObjectName(QStringLiteral("refusalLabel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(metrics.spacing);
    m_icon->setFixedWidth(metrics.iconFrame);
    m_icon->setAlignment(Qt::AlignCenter);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_title->setFont(Theme::font(metrics.titleSize, metrics.titleWeight));
    const QColor secondary = metrics.subtitleColor.isValid() ? metrics.subtitleColor : Theme::secondary(m_subtitle);
    for (QLabel* caption : {m_subtitle, m_refusal}) {
        caption->setFont(Theme::font(Theme::captionSize));
        caption->setWordWrap(true);
        Theme::setForeground(caption, secondary);
    }
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    texts->addWidget(m_refusal);
    row->addLayout(texts, 1);
    row->addSpacing(8);

    m_grantedLabel->setColor(Theme::green());
    m_unavailableLabel->setColor(Theme::orange());
    row->addWidget(m_grantedLabel, 0, Qt::AlignVCenter);
    row->addWidget(m_unavailableLabel, 0, Qt::AlignVCenter);
    setGranted(false);
}

PermissionRow* PermissionRow::screenRecording(PermissionManager& permissions, const Metrics& metrics)
{
    auto* row = new PermissionRow(QStringLiteral("rectangle.dashed.badge.record"),
                                  Localizer::t(QStringLiteral("Bildschirmaufnahme")),
                                  Localizer::t(QStringLiteral("Für Screenshots und Scroll-Aufnahmen — erforderlich.")),
                                  RefusalTexts::screenUnreadable(), metrics);
    row->setGranted(permissions.screenRecordingAuthorized());
    connect(&permissions, &PermissionManager::screenRecordingAuthorizedChanged, row, &PermissionRow::setGranted);
    return row;
}

PermissionRow* PermissionRow::accessibility(PermissionManager& permissions, const Metrics& metrics)
{
    auto* row = new PermissionRow(
        QStringLiteral("computermouse"), Localizer::t(QStringLiteral("Fenster scrollen (XTEST)")),
        Localizer::t(QStringLiteral("Für Scroll-Aufnahmen — Zentu.it scrollt dabei das gewählte Fenster.")),
        RefusalTexts::xtestMissing(), metrics);
    row->setGranted(permissions.accessibilityAuthorized());
    connect(&permissions, &PermissionManager::accessibilityAuthorizedChanged, row, &PermissionRow::setGranted);
    return row;
}

QString PermissionRow::nothingToGrantNote()
{
    return Localizer::t(QStringLiteral("Unter X11 gibt es hierfür keine Freigaben zu erteilen: Zentu.it prüft nur, ob der X-Server das Lesen des Bildschirms und XTEST erlaubt."));
}

void PermissionRow::setGranted(bool granted)
{
    m_granted = granted;
    m_grantedLabel->setVisible(granted);
    m_unavailableLabel->setVisible(!granted);
    m_refusal->setVisible(!granted);
    refreshIcon();
}

QColor PermissionRow::iconColor() const { return m_granted ? Theme::green() : Theme::orange(); }

void PermissionRow::refreshIcon()
{
    m_icon->setPixmap(IconRegistry::pixmap(m_symbol, m_metrics.iconSize, iconColor(), devicePixelRatioF()));
}
