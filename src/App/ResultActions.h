#pragma once
// The copy and save services the editor calls with its flattened picture or
// its recognised text. A copy writes the clipboard, tells the clipboard
// monitor the write was ours and, while the clipboard history is on, records
// it there once, with the app's own id as its source (not when another
// program's newer copy won). A save asks for a place
// with the save dialog (opened in the export folder) and writes a PNG there;
// a save that fails is reported to the user with the path, never passed off
// as done, and the dialog can open again with the chosen name. Main thread only.
#include "Storage/AppFolders.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <optional>

class Alerts;
struct ClipboardWrite;
class ClipboardHistoryStore;
class ClipboardMonitor;
class ClipboardService;
class ImageFileDialogs;
class SettingsManager;

class ResultActions : public QObject {
    Q_OBJECT
public:
    struct Services {
        ClipboardService& clipboard;
        ClipboardMonitor& monitor;
        ClipboardHistoryStore& history;
        SettingsManager& settings;
        ImageFileDialogs& dialogs;
        Alerts& alerts;
        // Where the save dialog opens.
        AppFolders folders;
    };
    // appID: the app's own id recorded as the source of its copies (none: no source).
    ResultActions(Services services, std::optional<QString> appID, QObject* parent = nullptr);

    void copyImageToPasteboard(const QImage& image);
    void copyTextToPasteboard(const QString& text);
    // The file itself for file managers, and its path as text.
    void copyFileToPasteboard(const QString& path);
    // Returns at once; the dialog decides later.
    void saveImageWithPanel(const QImage& image, const QString& suggestedName);

    // Writes the picture as PNG to `path` through a temporary file, so an
    // existing file stays whole on failure. False with the reason when failing.
    bool writePNG(const QImage& image, const QString& path, QString* error);

Q_SIGNALS:
    // A save finished: the file is on disk.
    void saved(const QString& path);
    // A save failed and the user was told.
    void saveFailed(const QString& path, const QString& reason);

private:
    // Tells the monitor of the own write and records what it left, once.
    void record(const ClipboardWrite& write, const QString& text);
    void askForPlace(const QImage& image, const QString& folder, const QString& name);
    void finishSave(const QImage& image, QString path);

    Services m_services;
    std::optional<QString> m_appID;
};
