#pragma once
// The page shown in the matched browser window.
#include <QString>
#include <QUrl>

struct Tab {
    QString title;
    QUrl url;
    bool operator==(const Tab&) const = default;
};
