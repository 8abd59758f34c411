#pragma once
// The program's own sources, for the tests that read them: every .cpp and .h
// below src/, by its path from src/ ("Ui/IconRegistry.cpp"), with its text.
#include <QMap>
#include <QString>

const QMap<QString, QString>& programSources();
