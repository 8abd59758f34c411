#pragma once
// Whether our tray icon can be seen. The toolkit picks the kind of tray host
// once, when the icon is made: a StatusNotifierItem host when one is
// registered then, else the XEmbed tray. The icon shows while a host of that
// kind is there. A missing host gets a grace period before it counts as gone:
// a session starts its panel beside its programs, and panels restart.
#include "Ui/DelayScheduler.h"

#include <QObject>

class TrayAvailability;

class TrayPresence : public QObject {
    Q_OBJECT
public:
    enum class Host { xembed, statusNotifier };

    // Call when the icon is made, so the kind read here is the toolkit's.
    TrayPresence(TrayAvailability& trays, DelayScheduler& scheduler, QObject* parent = nullptr);

    Host host() const { return m_host; }
    bool isIconShown() const;

    static constexpr int graceMs = 3000;

Q_SIGNALS:
    // A host of our kind came (back): the icon is in the tray again.
    void hostAppeared();
    // No host of our kind for the whole grace period; once per absence.
    void trayMissing();

private:
    void changed();
    void waitForHost();

    TrayAvailability& m_trays;
    DelayedAction m_grace;
    Host m_host;
    bool m_shown;
    bool m_toldOtherKind = false;
};
