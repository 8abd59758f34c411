#pragma once
#include "Platform/WindowDesktops.h"

#include <QList>
#include <QSet>

class FakeWindowDesktops final : public WindowDesktops {
public:
    void showOnAllDesktops(quint64 window) override
    {
        shown.append(window);
        elsewhere.remove(window);
    }
    bool isOnCurrentDesktop(quint64 window) override { return !elsewhere.contains(window); }

    // Every window asked for, in order.
    QList<quint64> shown;
    // Windows on another workspace than the one looked at.
    QSet<quint64> elsewhere;
};
