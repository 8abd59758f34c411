#include "Settings/HistorySettingsTab.h"

#include "Localization/Localizer.h"
#include "Settings/DestructiveAction.h"
#include "Settings/HistoryLimitRow.h"
#include "Storage/SettingsManager.h"
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
    m_clipboardLimit->setObjectName(QStringLiteral("clipboardLimit"));
    clipboard->addRow(m_clipboardLimit);
    m_duplicates = clipboard->addToggle(Localizer::t(QStringLiteral("Duplikate vermeiden")));
    m_duplicates->setObjectName(QStringLiteral("duplicatesToggle"));
    m_clearClipboard = DestructiveAction::button(Localizer::t(QStringLiteral("Zwischenablage-Verlauf leeren …")));
    m_clearClipboard->setObjectName(QStringLiteral("clearClipboardButton"));
    clipboard->addRow(m_clearClipboard);

    const QString screenshotsName = Localizer::t(QStringLiteral("Screenshots"));
    FormSection* screenshots = form->addSection(screenshotsName);
    m_screenshotLimit = new HistoryLimitRow(maxEntries, screenshotsName);
    m_screenshotLimit->setObjectName(QStringLiteral("screenshotLimit"));
    screenshots->addRow(m_screenshotLimit);
    m_clearScreenshots = DestructiveAction::button(Localizer::t(QStringLiteral("Screenshot-Verlauf leeren …")));
    m_clearScreenshots->setObjectName(QStringLiteral("clearScreenshotsButton"));
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
    connect(m_clearClipboard, &QPushButton::clicked, this, [this] {
        confirmClear(Localizer::t(QStringLiteral("Zwischenablage-Verlauf wirklich leeren?")),
                     [&store = m_clipboardStore] { store.clearAll(false); });
    });
    connect(m_clearScreenshots, &QPushButton::clicked, this, [this] {
        confirmClear(Localizer::t(QStringLiteral("Screenshot-Verlauf wirklich leeren?")),
                     [&store = m_screenshotStore] { store.clearAll(false); });
    });
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

void HistorySettingsTab::confirmClear(const QString& title, const std::function<void()>& clear)
{
    // clear holds on to a long-lived store only: the tab may be gone once the dialog returns.
    if (DestructiveAction::confirm(
            m_alerts, title,
            Localizer::t(QStringLiteral("Favoriten werden ebenfalls entfernt. Dies kann nicht rückgängig gemacht werden.")),
            Localizer::t(QStringLiteral("Leeren"))))
        clear();
}
