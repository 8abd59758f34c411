#include "Settings/HistorySettingsTab.h"

#include "Localization/Localizer.h"
#include "Settings/DestructiveAction.h"
#include "Settings/HistoryLimitRow.h"
#include "Settings/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Ui/FormSection.h"
#include "Ui/GroupedForm.h"
#include "Ui/ToggleSwitch.h"

#include <QPushButton>
#include <QVBoxLayout>

HistorySettingsTab::HistorySettingsTab(SettingsManager& settings, ClipboardHistoryStore& clipboardStore,
                                       ScreenshotHistoryStore& screenshotStore, Alerts& alerts, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_clipboardStore(clipboardStore)
    , m_screenshotStore(screenshotStore)
    , m_alerts(alerts)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new GroupedForm(this);
    layout->addWidget(form);
    const QString maxEntries = Localizer::t(QStringLiteral("Max. Einträge"));

    // The clipboard switch leaves every other row usable.
    const QString clipboardName = Localizer::t(QStringLiteral("Zwischenablage"));
    FormSection* clipboard = form->addSection(clipboardName);
    m_enabled = clipboard->addToggle(Localizer::t(QStringLiteral("Zwischenablage-Verlauf aktivieren")));
    m_clipboardLimit = new HistoryLimitRow(maxEntries, clipboardName);
    clipboard->addRow(m_clipboardLimit);
    m_duplicates = clipboard->addToggle(Localizer::t(QStringLiteral("Duplikate vermeiden")));
    m_clearClipboard = DestructiveAction::button(Localizer::t(QStringLiteral("Zwischenablage-Verlauf leeren …")));
    clipboard->addRow(m_clearClipboard);

    const QString screenshotsName = Localizer::t(QStringLiteral("Screenshots"));
    FormSection* screenshots = form->addSection(screenshotsName);
    m_screenshotLimit = new HistoryLimitRow(maxEntries, screenshotsName);
    screenshots->addRow(m_screenshotLimit);
    m_clearScreenshots = DestructiveAction::button(Localizer::t(QStringLiteral("Screenshot-Verlauf leeren …")));
    screenshots->addRow(m_clearScreenshots);

    connect(m_enabled, &QAbstractButton::clicked, this,
            [this](bool on) { m_settings.update([on](AppSettings& s) { s.clipboardHistoryEnabled = on; }); });
    connect(m_duplicates, &QAbstractButton::clicked, this,
            [this](bool on) { m_settings.update([on](AppSettings& s) { s.avoidDuplicates = on; }); });
    m_clipboardLimit->onCommit = [this](qint64 limit) {
        m_settings.update([limit](AppSettings& s) { s.maxClipboardItems = limit; });
    };
    m_screenshotLimit->onCommit = [this](qint64 limit) {
        m_settings.update([limit](AppSettings& s) { s.maxScreenshotItems = limit; });
    };
    connect(m_clearClipboard, &QPushButton::clicked, this, &HistorySettingsTab::confirmClearClipboard);
    connect(m_clearScreenshots, &QPushButton::clicked, this, &HistorySettingsTab::confirmClearScreenshots);
    connect(&m_settings, &SettingsManager::settingsChanged, this, &HistorySettingsTab::refresh);
    refresh();
}

void HistorySettingsTab::refresh()
{
    const AppSettings& s = m_settings.settings();
    m_enabled->setChecked(s.clipboardHistoryEnabled);
    m_clipboardLimit->setValue(s.maxClipboardItems);
    m_duplicates->setChecked(s.avoidDuplicates);
    m_screenshotLimit->setValue(s.maxScreenshotItems);
}

// The store is long-lived; the tab may be gone once the dialog returns.
void HistorySettingsTab::confirmClearClipboard()
{
    ClipboardHistoryStore& store = m_clipboardStore;
    if (DestructiveAction::confirm(
            m_alerts, Localizer::t(QStringLiteral("Zwischenablage-Verlauf wirklich leeren?")),
            Localizer::t(QStringLiteral("Favoriten werden ebenfalls entfernt. Dies kann nicht rückgängig gemacht werden.")),
            Localizer::t(QStringLiteral("Leeren"))))
        store.clearAll(false);
}

void HistorySettingsTab::confirmClearScreenshots()
{
    ScreenshotHistoryStore& store = m_screenshotStore;
    if (DestructiveAction::confirm(
            m_alerts, Localizer::t(QStringLiteral("Screenshot-Verlauf wirklich leeren?")),
            Localizer::t(QStringLiteral("Favoriten werden ebenfalls entfernt. Dies kann nicht rückgängig gemacht werden.")),
            Localizer::t(QStringLiteral("Leeren"))))
        store.clearAll(false);
}
