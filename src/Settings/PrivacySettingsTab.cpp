#include "Settings/PrivacySettingsTab.h"

#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Platform/Beeper.h"
#include "Platform/OwnerAuthenticator.h"
#include "Settings/DestructiveAction.h"
#include "Settings/PermissionRow.h"
#include "Storage/SettingsManager.h"
#include "Platform/Paths.h"
#include "Storage/AppFolders.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Ui/FormSection.h"
#include "Ui/GroupedForm.h"
#include "Ui/HomeRelativePath.h"
#include "Ui/ToggleSwitch.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

PrivacySettingsTab::PrivacySettingsTab(const Services& services, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new GroupedForm(this);
    layout->addWidget(form);

    FormSection* permissions = form->addSection(Localizer::t(QStringLiteral("Berechtigungen")));
    m_screenRow = PermissionRow::screenRecording(services.permissions, PermissionRow::formMetrics());
    m_screenRow->setObjectName(QStringLiteral("screenRecordingRow"));
    permissions->addRow(m_screenRow);
    m_accessibilityRow = PermissionRow::accessibility(services.permissions, PermissionRow::formMetrics());
    m_accessibilityRow->setObjectName(QStringLiteral("accessibilityRow"));
    permissions->addRow(m_accessibilityRow);
    permissions->addRow(FormSection::makeCaption(PermissionRow::nothingToGrantNote(), nullptr));

    FormSection* sensitive = form->addSection(Localizer::t(QStringLiteral("Sensible Inhalte")));
    m_sensitive = sensitive->addToggle(Localizer::t(QStringLiteral("Als sensibel markierte Inhalte ignorieren")));
    m_sensitive->setObjectName(QStringLiteral("sensitiveToggle"));
    sensitive->addCaption(Localizer::t(QStringLiteral("Inhalte, die als vertraulich markiert sind ODER aus bekannten Passwort-Apps stammen (z. B. KeePassXC, 1Password, Bitwarden, Seahorse), werden nicht im Zwischenablage-Verlauf gespeichert – auch wenn das Passwort sichtbar war.")));
    const QString account = services.authenticator.accountName();
    sensitive->addCaption(
        account.isEmpty()
            ? Localizer::t(QStringLiteral("Zum Deaktivieren ist das Passwort deines Benutzerkontos erforderlich; Zentu.it lässt es von PAM prüfen."))
            : Localizer::t(QStringLiteral("Zum Deaktivieren ist das Passwort deines Benutzerkontos „%1“ erforderlich; Zentu.it lässt es von PAM prüfen.")).arg(account));

    FormSection* local = form->addSection(Localizer::t(QStringLiteral("Lokale Speicherung")));
    local->addRow(FormSection::makeCaption(
        Localizer::t(QStringLiteral("Alle Screenshots und Verlaufsdaten werden ausschließlich lokal auf diesem Computer gespeichert (in %1). Es findet keine Übertragung an Server statt."))
            .arg(homeRelativePath(services.folders.baseDirectory(), services.folders.paths().homeDirectory())),
        nullptr));
    m_deleteAll = DestructiveAction::button(Localizer::t(QStringLiteral("Gesamten Verlauf löschen …")));
    m_deleteAll->setObjectName(QStringLiteral("deleteAllButton"));
    local->addRow(m_deleteAll);

    // On is stored at once; off only through the password check, so until
    // then the switch goes back to on.
    connect(m_sensitive, &QAbstractButton::clicked, this, [this](bool on) {
        if (on)
            m_services.settings.update([](AppSettings& s) { s.ignoreSensitiveContent = true; });
        else
            authenticateToDisableSensitive();
        refresh();
    });
    connect(m_deleteAll, &QPushButton::clicked, this, &PrivacySettingsTab::confirmDeleteAll);
    connect(&services.settings, &SettingsManager::settingsChanged, this, &PrivacySettingsTab::refresh);
    refresh();
}

void PrivacySettingsTab::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // Once each time the tab comes up (a window restored from the taskbar is not that).
    if (!e->spontaneous())
        m_services.permissions.refresh();
}

void PrivacySettingsTab::refresh()
{
    m_sensitive->setChecked(m_services.settings.settings().ignoreSensitiveContent);
}

void PrivacySettingsTab::authenticateToDisableSensitive()
{
    if (!m_services.authenticator.canAuthenticate()) {
        m_services.beeper.beep();
        return;
    }
    const QString account = m_services.authenticator.accountName();
    OwnerAuthenticator::Prompt prompt;
    prompt.reason = Localizer::t(QStringLiteral("Schutz für sensible Inhalte deaktivieren"));
    prompt.confirmTitle = Localizer::t(QStringLiteral("Passwort verwenden"));
    prompt.cancelTitle = Localizer::t(QStringLiteral("Abbrechen"));
    prompt.passwordLabel = Localizer::t(QStringLiteral("Passwort für „%1“")).arg(account);
    prompt.checking = Localizer::t(QStringLiteral("Passwort wird geprüft …"));
    prompt.wrongPassword = Localizer::t(QStringLiteral("Das Passwort war falsch. Bitte versuche es noch einmal."));
    prompt.refused = Localizer::t(QStringLiteral("PAM lässt das Konto „%1“ gerade nicht zu, etwa weil es gesperrt oder abgelaufen ist.")).arg(account);
    // The tab is made anew on every tab switch and language change: the answer
    // holds on to the settings only, which outlive every tab.
    QPointer<SettingsManager> settings(&m_services.settings);
    m_services.authenticator.authenticate(prompt, [settings](bool success) {
        if (success && settings)
            settings->update([](AppSettings& s) { s.ignoreSensitiveContent = false; });
    });
}

void PrivacySettingsTab::confirmDeleteAll()
{
    // The stores outlive the tab, which may be gone once the dialog returns.
    ClipboardHistoryStore& clipboard = m_services.clipboardStore;
    ScreenshotHistoryStore& screenshots = m_services.screenshotStore;
    if (DestructiveAction::confirm(
            m_services.alerts, Localizer::t(QStringLiteral("Gesamten Verlauf wirklich löschen?")),
            Localizer::t(QStringLiteral("Zwischenablage- und Screenshot-Verlauf inklusive Favoriten werden entfernt.")),
            Localizer::t(QStringLiteral("Alles löschen")))) {
        clipboard.clearAll(false);
        screenshots.clearAll(false);
    }
}
