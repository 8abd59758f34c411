#pragma once
// Application identity on X11: window -> process (X-Resource, else _NET_WM_PID)
// -> desktop entry (_GTK_APPLICATION_ID, WM_CLASS matched to a .desktop file,
// or the .desktop whose Exec names the process's executable), looked up in a
// DesktopEntryIndex that reads the folders again only when they change.
// The CLIPBOARD owner is resolved when it takes the selection (XFixes), so a
// quick switch to another window afterwards does not change the answer; the
// selection events come on a connection of its own.
#include "Platform/ApplicationIdentity.h"
#include "Platform/DesktopEntryIndex.h"

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
    // applicationDirs: where desktop entries are searched (the XDG
    // applications folders by default).
    explicit X11ApplicationIdentity(QStringList applicationDirs = {}, QObject* parent = nullptr);
    ~X11ApplicationIdentity() override;

    std::optional<App> clipboardOwner() override;
    std::optional<App> frontmost() override;
    std::optional<App> applicationOfWindow(quint32 window) override;
    std::optional<App> applicationOfProcess(qint64 pid, quint32 window = 0) override;
    std::optional<QString> displayName(const QString& appId, const QString& lang) const override;

    // Pure look-up, also used by tests.
    static std::optional<App> identify(qint64 pid, const QString& gtkApplicationID, const QString& wmClass,
                                       const QString& executable, const QList<DesktopEntryIndex::Entry>& entries);
    // The file name of the process's executable (its comm name where the
    // link cannot be read); empty for no process.
    static QString executableOf(qint64 pid);

private:
    struct WindowNames {
        QString gtkApplicationID, wmClass;
    };
    void processEvents();
    std::optional<App> resolveWindow(uint32_t window);
    WindowNames namesOf(uint32_t window);
    qint64 pidOf(uint32_t window);
    uint32_t toplevelOf(qint64 pid);
    QByteArray property(uint32_t window, uint32_t atom, uint32_t type);

    DesktopEntryIndex m_index;
    std::unique_ptr<XcbConnection> m_x;
    xcb_connection_t* m_connection = nullptr; // m_x's, null when not connected
    uint32_t m_root = 0;
    uint32_t m_clipboardAtom = 0;
    uint8_t m_xfixesEvent = 0;
    bool m_hasXRes = false;
    QSocketNotifier* m_notifier = nullptr;
    uint32_t m_ownerWindow = 0;
    std::optional<App> m_owner;
};
