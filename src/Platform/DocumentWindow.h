#pragma once
// One window of a browser or document viewer and the document it shows in
// front: a web page's URL or a file's path.
#include <QRect>
#include <QString>

struct DocumentWindow {
    QRect frame; // global screen coordinates, top-left origin
    QString address;
    bool operator==(const DocumentWindow&) const = default;
};
