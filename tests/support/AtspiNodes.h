#pragma once
// A screen reader's view of the program under test over AT-SPI: nodes by
// name and role, their actions and their places on the screen. The program
// runs with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the test's session bus;
// the test calls atspi_init() once.
#include <QList>
#include <QRect>
#include <QString>
#include <atspi/atspi.h>
#include <memory>

// An AT-SPI object with its reference.
using Node = std::shared_ptr<AtspiAccessible>;
Node wrap(AtspiAccessible* a);
int childCount(const Node& n);
Node childOf(const Node& n, int i);
QString nameOf(const Node& n);
// The first node below n with this name and one of the roles.
Node find(const Node& n, const QString& name, const QList<AtspiRole>& roles, int depth = 0);
// Its first action: "Press" for Qt's buttons.
bool press(const Node& n);
QRect extents(const Node& n);
// The application of the process, and its top-level window with this title.
Node applicationOf(qint64 pid);
Node windowOf(qint64 pid, const QString& title);

inline const QList<AtspiRole> buttons{ATSPI_ROLE_PUSH_BUTTON, ATSPI_ROLE_TOGGLE_BUTTON};
