#pragma once
// Sharing one editor's result: the flattened picture written to this
// editor's one file in the share folder (rewritten on every share, removed
// when the window closes), and that file handed to the desktop.
#include "Editor/ShareTarget.h"

#include <QString>
#include <QVariantList>

class EditorEnvironment;
class EditorResults;

class ResultSharing {
public:
    ResultSharing(const EditorResults& results, EditorEnvironment& environment);
    ~ResultSharing();
    ResultSharing(const ResultSharing&) = delete;
    ResultSharing& operator=(const ResultSharing&) = delete;

    // What sharing hands on: the URL of the flattened picture as
    // "Zentu-XXXXXXXX.png" in the share folder, or the picture itself when
    // the file cannot be written.
    QVariantList shareItems();
    // Hands a shared file to the desktop: its default viewer, a new e-mail
    // with it attached, the file manager, or its path to the clipboard.
    // False when that could not be started.
    bool shareFile(ShareTarget target, const QString& path);
    // The current share file's path; empty before the first share.
    QString sharedFilePath() const { return m_sharedFile; }

    // The window is closing: the share file goes.
    void windowWillClose();

private:
    void removeSharedFile();

    const EditorResults& m_results;
    EditorEnvironment& m_environment;
    QString m_sharedFile; // this editor's file in the share folder
};
