#pragma once
// Every key the app stores in its user defaults (UserDefaults), in one place.
// The strings are what users' settings files hold: never change one, or a
// stored choice is lost on the next start. Beside the store's interface, the
// lowest place every part of the app (the translation lookup included) may use.
namespace SettingsKeys {

// The AppSettings record as JSON data.
inline constexpr const char* settings = "zentu.settings.v1";
// A settings record that could not be read, kept aside before a new one is written.
inline constexpr const char* unreadableSettings = "zentu.settings.v1.unreadable";
// Set once the login item took its first-run default.
inline constexpr const char* launchAtLoginDefaulted = "zentu.launchAtLogin.defaulted";
// The interface language: "auto" or a language code.
inline constexpr const char* language = "app.language";
// The first-run window was finished.
inline constexpr const char* onboardingCompleted = "zentu.onboarding.completed";
// A screen-recording request left open by a permission relaunch.
inline constexpr const char* pendingScreenRecordingRequest = "Zentu.pendingScreenRecordingRequest";
// The installation the intro cards were last re-enabled for.
inline constexpr const char* installStamp = "zentuInstallStamp";
// The intro cards the user turned off.
inline constexpr const char* hideCaptureIntro = "zentuHideCaptureIntro";
inline constexpr const char* hideScrollIntro = "zentuHideScrollIntro";

} // namespace SettingsKeys
