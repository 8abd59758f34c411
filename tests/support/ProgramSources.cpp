#include "support/ProgramSources.h"

#include <QDirIterator>
#include <QFile>

const QMap<QString, QString>& programSources()
{
    static const QMap<QString, QString> sources = [] {
        const QString root = QStringLiteral(ZENTU_SOURCE_DIR "/src/");
        QMap<QString, QString> out;
        QDirIterator it(root, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly))
                out.insert(f.fileName().mid(root.size()), QString::fromUtf8(f.readAll()));
        }
        return out;
    }();
    return sources;
}
