#pragma once
#include "Platform/WindowDesktops.h"

#include <QList>

class FakeWindowDesktops final : public WindowDesktops {
public:
    void showOnAllDesktops(quint64 window) override { everywhere.append(window); }
    QList<quint64> everywhere;
};
