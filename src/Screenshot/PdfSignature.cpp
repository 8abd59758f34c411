#include "Screenshot/PdfSignature.h"

#include <QFile>
#include <QFileInfo>

bool isPdfFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    return file.read(1024).contains("%PDF-");
}
