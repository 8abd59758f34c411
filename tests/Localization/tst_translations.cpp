// Every German text the code passes to the translation lookup has a
// translation in every other supported language, with the same placeholders.
#include "Localization/Localizer.h"
#include "support/IsolatedEnvironment.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
QSet<QString> literalKeys()
{
    static const QRegularExpression call(
        QStringLiteral("(?:Localizer::t\\(\\s*(?:QStringLiteral\\(|QString::fromUtf8\\(|QLatin1String\\()?|ZENTU_TEXT\\()\\s*\"((?:[^\"\\\\]|\\\\.)*)\""));
    QSet<QString> keys;
    QDirIterator it(QStringLiteral(ZENTU_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = call.globalMatch(text); m.hasNext();) {
            QString key = m.next().captured(1);
            key.replace(QStringLiteral("\\n"), QStringLiteral("\n")).replace(QStringLiteral("\\\""), QStringLiteral("\""));
            key.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
            keys.insert(key);
        }
    }
    return keys;
}

QStringList placeholders(const QString& s)
{
    static const QRegularExpression ph(QStringLiteral("%(?:\\d+|[a-z@]|lld|ld)"));
    QStringList out;
    for (auto m = ph.globalMatch(s); m.hasNext();)
        out << m.next().captured();
    out.sort();
    return out;
}
}

class TestTranslations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyTextIsTranslated()
    {
        QFile f(":/strings.json");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject tables = QJsonDocument::fromJson(f.readAll()).object();
        const QSet<QString> keys = literalKeys();
        QVERIFY(keys.size() > 10);
        QStringList missing;
        for (const QString& lang : Localizer::supported()) {
            if (lang == QLatin1String("de"))
                continue;
            const QJsonObject table = tables.value(lang).toObject();
            for (const QString& key : keys) {
                const QJsonValue v = table.value(key);
                if (!v.isString() || v.toString().isEmpty())
                    missing << lang + ": " + key;
                else if (placeholders(v.toString()) != placeholders(key))
                    missing << lang + " (placeholders): " + key;
            }
        }
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(QString::number(missing.size()) + " missing, e.g.\n" + missing.mid(0, 40).join('\n')));
    }
};

ZENTU_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
