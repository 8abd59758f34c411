#pragma once
// Application identity on X11: window -> process (X-Resource, else _NET_WM_PID)
// -> desktop-file id (_GTK_APPLICATION_ID, WM_CLASS matched to a .desktop file,
// or the .desktop whose Exec names the process's executable) and name.
// The CLIPBOARD owner is resolved when it takes the selection (XFixes), so a
// quick switch to another window afterwards does not change the answer.
#include "Platform/ApplicationIdentity.h"

#include <QObject>
#include <QList>
#include <cstdint>
#include <memory>

struct xcb_connection_t;
class QSocketNotifier;
class XcbConnection;

class X11ApplicationIdentity final : public QObject, public ApplicationIdentity {
    Q_OBJECT
public:
    explicit X11ApplicationIdentity(QObject* parent = nullptr);
    ~X11ApplicationIdentity() override;

    std::optional<Info> clipboardOwner() override;
    std::optional<Info> frontmost() override;
    std::optional<Info> applicationOfWindow(quint32 window) override;

    // Pure look-ups, also used by tests.
    struct DesktopEntry {
        QString id, name, exec, startupWMClass;
    };
    static QList<DesktopEntry> readDesktopEntries(const QStringList& applicationDirs);
    static std::optional<Info> identify(qint64 pid, const QString& gtkApplicationID, const QString& wmClass,
                                        const QString& executable, const QList<DesktopEntry>& entries);
    // The file name of the process's executable (its comm name where the
    // link cannot be read); empty for no process.
    static QString executableOf(qint64 pid);

private:
    void processEvents();
    std::optional<Info> resolveWindow(uint32_t window);
    qint64 pidOf(uint32_t window);
    uint32_t toplevelOf(qint64 pid);
    QByteArray property(uint32_t window, uint32_t atom, uint32_t type, bool* ok = nullptr);
    const QList<DesktopEntry>& entries();

    std::unique_ptr<XcbConnection> m_x;
    xcb_connection_t* m_connection = nullptr; // m_x's, null when not connected
    uint32_t m_root = 0;
    uint32_t m_clipboardAtom = 0;
    uint8_t m_xfixesEvent = 0;
    bool m_hasXRes = false;
    QSocketNotifier* m_notifier = nullptr;
    uint32_t m_ownerWindow = 0;
    std::optional<Info> m_owner;
    bool m_entriesRead = false;
    QList<DesktopEntry> m_entries;
};
