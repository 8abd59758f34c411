#include "Platform/Qt/ApplicationBeeper.h"

#include <QApplication>

void ApplicationBeeper::beep() { QApplication::beep(); }
