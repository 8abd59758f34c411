#pragma once
// Reading and planting files in the test's own folders.
#include <QByteArray>
#include <QString>
#include <QStringList>

// The whole file; empty when it cannot be read.
QByteArray fileContents(const QString& path);
// Writes data to path, creating its folders; false when that failed.
bool plantFile(const QString& path, const QByteArray& data = "x");
// Every file below root, hidden ones too, sorted.
QStringList filesBelow(const QString& root);
