#include "Settings/SettingsTab.h"

#include "Localization/Localizer.h"

QString label(SettingsTab tab)
{
    switch (tab) {
    case SettingsTab::general: return Localizer::t(QStringLiteral("Allgemein"));
    case SettingsTab::history: return Localizer::t(QStringLiteral("Verlauf"));
    case SettingsTab::hotkeys: return Localizer::t(QStringLiteral("Hotkeys"));
    case SettingsTab::privacy: return Localizer::t(QStringLiteral("Datenschutz"));
    case SettingsTab::about: return Localizer::t(QStringLiteral("Über"));
    }
    return {};
}

QString symbolName(SettingsTab tab)
{
    switch (tab) {
    case SettingsTab::general: return QStringLiteral("gearshape");
    case SettingsTab::history: return QStringLiteral("clock");
    case SettingsTab::hotkeys: return QStringLiteral("keyboard");
    case SettingsTab::privacy: return QStringLiteral("lock.shield");
    case SettingsTab::about: return QStringLiteral("info.circle");
    }
    return {};
}
