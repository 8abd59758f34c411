#pragma once
// The tabs of the settings window, in the order of the tab bar.
#include "Models/RawEnum.h"

#include <QString>

enum class SettingsTab { general, history, hotkeys, privacy, about };
template <> struct RawEnumTable<SettingsTab> {
    static constexpr std::array<std::pair<SettingsTab, const char*>, 5> cases{{{SettingsTab::general, "general"},
                                                                               {SettingsTab::history, "history"},
                                                                               {SettingsTab::hotkeys, "hotkeys"},
                                                                               {SettingsTab::privacy, "privacy"},
                                                                               {SettingsTab::about, "about"}}};
};

// The tab's name in the interface language.
QString label(SettingsTab tab);
// The symbol drawn before the name (see IconRegistry).
QString symbolName(SettingsTab tab);
