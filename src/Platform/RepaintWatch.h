#pragma once
// Which parts of the screen were drawn. Without a compositor a window that
// leaves the screen stays visible until the windows beneath paint the area
// again; this tells when they have.
#include <QRegion>

class RepaintWatch {
public:
    virtual ~RepaintWatch() = default;

    // False where drawing cannot be watched, or need not be: a compositor
    // keeps every window's own picture, nothing is left behind.
    virtual bool works() = 0;
    // Forgets what was drawn so far. Drawing the server carries out after
    // this returns counts, including what our other connections ask for later.
    virtual void restart() = 0;
    // The screen area (root pixels) drawn since restart(), as far as known now.
    virtual QRegion drawnSinceRestart() = 0;
};
