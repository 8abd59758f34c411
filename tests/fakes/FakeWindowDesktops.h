#pragma once
#include "Platform/WindowDesktops.h"

#include <QList>

class FakeWindowDesktops final : public WindowDesktops {
public:
    void showOnAllDesktops(quint64 window) override { shown.append(window); }

    // Every window asked for, in order.
    QList<quint64> shown;
};
