#include "support/ScrollListProcess.h"

#include "helpers/ScrollPattern.h"

#include <QCoreApplication>
#include <cstring>

ScrollListProcess::ScrollListProcess(Layout layout)
    : layout(layout)
{
    QStringList args;
    for (int v : {layout.rect.x(), layout.rect.y(), layout.rect.width(), layout.rect.height(), layout.rows,
                  layout.header, layout.footer, layout.startRow})
        args << QString::number(v);
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentu_scroll_list"), args);
    if (process.waitForStarted(5000) && process.waitForReadyRead(15000))
        id = process.readLine().trimmed().toUInt();
}

ScrollListProcess::~ScrollListProcess()
{
    process.closeWriteChannel();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
}

QImage ScrollListProcess::fullRendering() const
{
    return ScrollPattern::fullRendering(layout.rect.width(), layout.rows, layout.header, layout.footer);
}

int ScrollListProcess::differingRows(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int differ = 0;
    for (int row = 0; row < x.height(); ++row)
        differ += row >= y.height() || x.width() != y.width()
            || std::memcmp(x.constScanLine(row), y.constScanLine(row), size_t(x.width()) * 4) != 0;
    return differ;
}
