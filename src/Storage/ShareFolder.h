#pragma once
// The folder the share button's pictures ("Zentu-XXXXXXXX.png") are written
// to before another program takes them: inside the user's private runtime
// folder, and emptied when the app starts and when it quits, so that no
// screenshot stays behind in a temporary folder.
#include <QString>

class ShareFolder {
public:
    // parent: a folder only the user can enter (the runtime folder).
    explicit ShareFolder(const QString& parent);
    // Empties it: the app quits.
    ~ShareFolder();
    ShareFolder(const ShareFolder&) = delete;
    ShareFolder& operator=(const ShareFolder&) = delete;

    QString path() const { return m_path; }
    // The folder, made (readable by the user alone) when missing; empty when
    // it cannot be made.
    QString ensure() const;
    // Removes the folder with everything in it.
    void clear() const;

private:
    QString m_path;
};
