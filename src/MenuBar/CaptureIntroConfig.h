#pragma once
// The content of an intro card: the two cards shown before the interactive
// and before the scrolling capture. Texts are German and translated when drawn.
#include <QColor>
#include <QList>
#include <QString>

namespace IntroPalette {
QColor ink();
QColor muted();
QColor crop();
QColor win();
QColor sec();
}

struct CaptureIntroConfig {
    struct Row {
        QString symbol;
        QColor color;
        QString title;
        QString text;
    };

    QString titleIcon;
    QString title;
    QString subtitle;
    QList<Row> rows;
    QString hint;
    QString hideKey;
    bool titleMotif = false;

    static const CaptureIntroConfig& screenshot();
    static const CaptureIntroConfig& scroll();
};
