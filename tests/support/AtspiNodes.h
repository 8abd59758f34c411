#pragma once
// A screen reader's view of the programs on the test's display, over AT-SPI:
// nodes with their references, looked up by name and role, pressed through
// their first action, with their place on the screen. Needs a session bus
// and atspi_init() in the test.
#include <QList>
#include <QRect>
#include <QString>
#include <atspi/atspi.h>
#include <memory>

using AtspiNode = std::shared_ptr<AtspiAccessible>;

namespace AtspiNodes {

AtspiNode wrap(AtspiAccessible* a);
int childCount(const AtspiNode& n);
AtspiNode childOf(const AtspiNode& n, int i);
QString nameOf(const AtspiNode& n);
// The first node below n with this name and one of the roles.
AtspiNode find(const AtspiNode& n, const QString& name, const QList<AtspiRole>& roles, int depth = 0);
// Every name of a node below n with one of the roles.
QStringList namesBelow(const AtspiNode& n, const QList<AtspiRole>& roles, int depth = 0);
// Its first action: "Press" for Qt's buttons.
bool press(const AtspiNode& n);
QRect extents(const AtspiNode& n);
// The application node of the process.
AtspiNode application(qint64 pid);
// The top-level window of the process with this title.
AtspiNode window(qint64 pid, const QString& title);

const QList<AtspiRole>& buttonRoles();

} // namespace AtspiNodes
