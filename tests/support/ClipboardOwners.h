#pragma once
// Other programs that hold the clipboard, for the real-clipboard tests: each
// takes it with a text and keeps serving it until the set ends.
#include <QProcess>
#include <QString>
#include <memory>
#include <vector>

class ClipboardOwners {
public:
    ClipboardOwners() = default;
    ~ClipboardOwners();
    ClipboardOwners(const ClipboardOwners&) = delete;
    ClipboardOwners& operator=(const ClipboardOwners&) = delete;

    // With `onLine`, started ready and taking the clipboard when told
    // ("take" on its standard input).
    QProcess* copy(const QString& text, bool onLine = false);

private:
    std::vector<std::unique_ptr<QProcess>> m_owners;
};
