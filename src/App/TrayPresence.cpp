#include "App/TrayPresence.h"

#include "Platform/TrayAvailability.h"
#include "Debug/DebugLog.h"

#include <QDebug>

namespace {
QString hostName(TrayPresence::Host host)
{
    return host == TrayPresence::Host::xembed ? QStringLiteral("XEmbed") : QStringLiteral("StatusNotifierItem");
}
} // namespace

TrayPresence::TrayPresence(TrayAvailability& trays, DelayScheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_trays(trays)
    , m_grace(scheduler)
    , m_host(trays.hasStatusNotifierHost() ? Host::statusNotifier : Host::xembed)
    , m_shown(isIconShown())
{
    connect(&m_trays, &TrayAvailability::changed, this, &TrayPresence::changed);
    if (m_shown) {
        DebugLog::write(QStringLiteral("TRAY Symbol im Infobereich (") + hostName(m_host) + QLatin1Char(')'));
    } else {
        DebugLog::write(QStringLiteral("TRAY noch kein Infobereich (weder XEmbed-Tray noch StatusNotifierItem-Host)"));
        waitForHost();
    }
}

bool TrayPresence::isIconShown() const
{
    return m_host == Host::xembed ? m_trays.hasXEmbedTray() : m_trays.hasStatusNotifierHost();
}

void TrayPresence::changed()
{
    const bool shown = isIconShown();
    // The toolkit stays with the kind it picked at start: a host of the other
    // kind cannot take our icon before the next start.
    if (!shown && !m_toldOtherKind && m_host == Host::xembed && m_trays.hasStatusNotifierHost()) {
        m_toldOtherKind = true;
        DebugLog::write(QStringLiteral("TRAY StatusNotifierItem-Host gefunden; das Symbol nutzt XEmbed und erscheint "
                                       "dort erst nach einem Neustart von Zentu.it"));
    }
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (shown) {
        m_grace.cancel();
        DebugLog::write(QStringLiteral("TRAY Infobereich verfügbar (") + hostName(m_host) + QStringLiteral("), Symbol wird angezeigt"));
        Q_EMIT hostAppeared();
    } else {
        DebugLog::write(QStringLiteral("TRAY Infobereich verschwunden (") + hostName(m_host) + QLatin1Char(')'));
        waitForHost();
    }
}

void TrayPresence::waitForHost()
{
    m_grace.start(graceMs, [this] {
        // Also where a user who started the program from a terminal sees it.
        const auto log = [](const QString& line) {
            DebugLog::write(line);
            qInfo().noquote() << QStringLiteral("Zentu:") << line;
        };
        log(QStringLiteral("TRAY kein Infobereich: Panel wird als Fenster geöffnet"));
        Q_EMIT trayMissing();
    });
}
