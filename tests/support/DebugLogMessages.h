#pragma once
// The debug log as the tests read it back, each line without its
// "[HH:mm:ss.zzz] " stamp.
#include <QStringList>

// The whole log as written.
QString debugLogText();

// The stamped lines only; the header and lines without a stamp are left out.
QStringList debugLogMessages();

// Every non-empty line with everything up to the first "] " cut off: the
// header stays in as an empty entry, at index 0 after a restart.
QStringList debugLogLines();
