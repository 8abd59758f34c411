#pragma once
// The "Allgemein" tab: interface language, save folder, what a capture
// includes (pointer, date stamp, delay), what follows it (copy, editor, image
// format) and start at login. Every change is written to the settings at once;
// the controls follow the settings when they change elsewhere.
#include "Storage/AppFolders.h"

#include <QWidget>

class FolderChooser;
class LanguagePicker;
class Localizer;
class QLabel;
class QPushButton;
class SegmentedControl;
class SettingsManager;
class Stepper;
class ToggleSwitch;
class UserDefaults;

class GeneralSettingsTab : public QWidget {
    Q_OBJECT
public:
    // localizer: the program's, keeping the language choice in defaults.
    // folders: where the export folder is when none was chosen.
    GeneralSettingsTab(SettingsManager& settings, UserDefaults& defaults, Localizer& localizer,
                       FolderChooser& folderChooser, AppFolders folders, QWidget* parent = nullptr);

    // The delay as the row shows it: "Sofort" (translated) for 0, else "N s".
    static QString delayText(int seconds);
    static constexpr int maximumDelay = 30;

    // Runs the folder chooser at the current export folder; a confirmed,
    // writable folder becomes the save folder.
    void chooseDirectory();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void refresh();
    void showPath();

    SettingsManager& m_settings;
    FolderChooser& m_folderChooser;
    const AppFolders m_folders;
    LanguagePicker* m_language;
    QLabel* m_path;
    QString m_fullPath;
    QPushButton* m_changeFolder;
    QLabel* m_folderError;
    ToggleSwitch* m_cursor;
    ToggleSwitch* m_stamp;
    Stepper* m_delay;
    QLabel* m_delayValue;
    ToggleSwitch* m_copy;
    ToggleSwitch* m_editor;
    SegmentedControl* m_format;
    ToggleSwitch* m_launch;
    QLabel* m_launchError;
    QLabel* m_launchUnavailable = nullptr;
    // Set while the controls are brought in line with the settings, so that
    // showing a value never writes it back.
    bool m_refreshing = false;
};
