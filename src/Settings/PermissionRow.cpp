#include "Settings/PermissionRow.h"

#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Ui/IconRegistry.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PermissionRow::Metrics PermissionRow::formMetrics()
{
    return {15, 22, 11, 13, QFont::Medium, Theme::captionSize, ProminentButton::Size::small, QColor()};
}

PermissionRow::Metrics PermissionRow::cardMetrics()
{
    return {18, 26, 12, 14, QFont::DemiBold, Theme::calloutSize, ProminentButton::Size::regular, QColor()};
}

PermissionRow::PermissionRow(const QString& symbolName, const QString& title, const QString& subtitle,
                             const Metrics& metrics, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbolName)
    , m_metrics(metrics)
    , m_icon(new QLabel(this))
    , m_title(new QLabel(title, this))
    , m_subtitle(new QLabel(subtitle, this))
    , m_grantedLabel(new SymbolLabel(QStringLiteral("checkmark.circle.fill"), Localizer::t(QStringLiteral("Erlaubt")),
                                     Theme::font(metrics.grantedSize, QFont::DemiBold), this))
    , m_activate(new ProminentButton(Localizer::t(QStringLiteral("Aktivieren")), metrics.buttonSize, this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(metrics.spacing);
    m_icon->setFixedWidth(metrics.iconFrame);
    m_icon->setAlignment(Qt::AlignCenter);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_title->setFont(Theme::font(metrics.titleSize, metrics.titleWeight));
    m_subtitle->setFont(Theme::font(Theme::captionSize));
    m_subtitle->setWordWrap(true);
    Theme::setForeground(m_subtitle, metrics.subtitleColor.isValid() ? metrics.subtitleColor
                                                                      : Theme::secondary(m_subtitle));
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    row->addLayout(texts, 1);
    row->addSpacing(8);

    m_grantedLabel->setColor(Theme::green());
    row->addWidget(m_grantedLabel, 0, Qt::AlignVCenter);
    m_activate->setAccessibleDescription(title);
    row->addWidget(m_activate, 0, Qt::AlignVCenter);
    connect(m_activate, &QPushButton::clicked, this, [this] {
        if (onActivate)
            onActivate();
    });
    setGranted(false);
}

PermissionRow* PermissionRow::screenRecording(PermissionManager& permissions, const Metrics& metrics)
{
    auto* row = new PermissionRow(QStringLiteral("rectangle.dashed.badge.record"),
                                  Localizer::t(QStringLiteral("Bildschirmaufnahme")),
                                  Localizer::t(QStringLiteral("Für Screenshots und Scroll-Aufnahmen — erforderlich.")),
                                  metrics);
    row->setGranted(permissions.screenRecordingAuthorized());
    connect(&permissions, &PermissionManager::screenRecordingAuthorizedChanged, row, &PermissionRow::setGranted);
    row->onActivate = [&permissions] {
        permissions.requestScreenRecording();
        permissions.openScreenRecordingSettings();
    };
    return row;
}

PermissionRow* PermissionRow::accessibility(PermissionManager& permissions, const Metrics& metrics)
{
    auto* row = new PermissionRow(
        QStringLiteral("accessibility"), Localizer::t(QStringLiteral("Bedienungshilfen")),
        Localizer::t(QStringLiteral("Für Scroll-Aufnahmen — Zentu.it scrollt dabei das gewählte Fenster.")), metrics);
    row->setGranted(permissions.accessibilityAuthorized());
    connect(&permissions, &PermissionManager::accessibilityAuthorizedChanged, row, &PermissionRow::setGranted);
    row->onActivate = [&permissions] { permissions.requestAccessibility(); };
    return row;
}

void PermissionRow::setGranted(bool granted)
{
    m_granted = granted;
    m_grantedLabel->setVisible(granted);
    m_activate->setVisible(!granted);
    refreshIcon();
}

QColor PermissionRow::iconColor() const { return m_granted ? Theme::green() : Theme::orange(); }

void PermissionRow::refreshIcon()
{
    m_icon->setPixmap(IconRegistry::pixmap(m_symbol, m_metrics.iconSize, iconColor(), devicePixelRatioF()));
}
