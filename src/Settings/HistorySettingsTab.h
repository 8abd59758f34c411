#pragma once
// The "Verlauf" tab: the clipboard history on or off, how many entries each
// history keeps, duplicate avoidance, and clearing either history (favourites
// included) after a confirmation. Every change is stored at once; the rows
// follow the settings when they change elsewhere.
#include <QWidget>
#include <functional>

class Alerts;
class ClipboardHistoryStore;
class HistoryLimitRow;
class QPushButton;
class ScreenshotHistoryStore;
class SettingsManager;
class ToggleSwitch;

class HistorySettingsTab : public QWidget {
    Q_OBJECT
public:
    HistorySettingsTab(SettingsManager& settings, ClipboardHistoryStore& clipboardStore,
                       ScreenshotHistoryStore& screenshotStore, Alerts& alerts, QWidget* parent = nullptr);

private:
    void refresh();
    // Clears (through clear) once the user confirmed the title's question.
    void confirmClear(const QString& title, const std::function<void()>& clear);

    SettingsManager& m_settings;
    ClipboardHistoryStore& m_clipboardStore;
    ScreenshotHistoryStore& m_screenshotStore;
    Alerts& m_alerts;
    ToggleSwitch* m_enabled;
    HistoryLimitRow* m_clipboardLimit;
    ToggleSwitch* m_duplicates;
    QPushButton* m_clearClipboard;
    HistoryLimitRow* m_screenshotLimit;
    QPushButton* m_clearScreenshots;
};
