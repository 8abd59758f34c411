#pragma once
// A path as a person reads it: below the home folder it starts with "~"
// ("~/.local/bin"), anywhere else it stays whole.
#include <QString>

QString homeRelativePath(const QString& path, const QString& home);
