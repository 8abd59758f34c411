#pragma once
// The messages of the debug log as they stand, one per line, without their
// "[HH:mm:ss.zzz] " stamp; the header and lines without a stamp are left out.
#include <QStringList>

QStringList debugLogMessages();
