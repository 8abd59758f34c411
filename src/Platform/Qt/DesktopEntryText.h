#pragma once
// Values for freedesktop desktop entries (launcher and autostart files).
#include <QString>

namespace DesktopEntryText {
// The Exec value that starts program without arguments: quoted where the
// path holds reserved characters, "%" doubled, and escaped once more as a
// string value, so any path survives the desktop's own parsing.
QString execValue(const QString& program);
// The program an Exec value starts (its first argument), with the escapes and
// quotes of execValue() undone.
QString programOf(const QString& execValue);
}
