#include "Localization/Localizer.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestLocalizer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString table(const QByteArray& json)
    {
        static int n = 0;
        const QString path = m_dir.filePath(QString("strings-%1.json").arg(++n));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(json);
        return path;
    }

private Q_SLOTS:
    void resolution_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("supported code") << "fr" << QStringList{"ja-JP"} << "fr";
        QTest::newRow("pt-BR") << "auto" << QStringList{"pt-BR"} << "en";
        QTest::newRow("zh-Hant-TW") << "auto" << QStringList{"zh-Hant-TW"} << "zh";
        QTest::newRow("capitals are not a code") << "EN" << QStringList{"DE-de"} << "de";
        QTest::newRow("empty list") << "auto" << QStringList{} << "en";
    }
    void resolution()
    {
        QFETCH(QString, choice);
        QFETCH(QStringList, preferred);
        QFETCH(QString, expected);
        QCOMPARE(Localizer::resolve(choice, preferred), expected);
    }

    void lookup()
    {
        FakeUserDefaults defaults;
        defaults.setValue(Localizer::languageKey, "de");
        const QString path = table(R"({"de":{"Bereich":"FALSCH"},"en":{"Bereich":"Area"}})");
        Localizer l(defaults, [] { return QStringList{"fr-FR"}; }, path);
        QCOMPARE(l.lang(), QStringLiteral("de"));
        QCOMPARE(l.translate("Bereich"), QStringLiteral("Bereich"));

        QSignalSpy spy(&l, &Localizer::langChanged);
        l.setLanguage("en");
        QCOMPARE(l.translate("Bereich"), QStringLiteral("Area"));
        QCOMPARE(l.translate("Fenster"), QStringLiteral("Fenster"));
        l.setLanguage("auto"); // fr has no table: German stays
        QCOMPARE(l.lang(), QStringLiteral("fr"));
        QCOMPARE(defaults.value(Localizer::languageKey).toString(), QStringLiteral("auto"));
        QCOMPARE(l.translate("Bereich"), QStringLiteral("Bereich"));
        l.setLanguage("fr"); // same code again still notifies
        QCOMPARE(spy.count(), 3);
    }

    void malformedTablesMeanGerman()
    {
        FakeUserDefaults defaults;
        defaults.setValue(Localizer::languageKey, "en");
        for (const QByteArray& bad : {QByteArray(R"({"en":{"Bereich":"Area","Zahl":1}})"), QByteArray("[]"), QByteArray("{")}) {
            Localizer l(defaults, {}, table(bad));
            QCOMPARE(l.translate("Bereich"), QStringLiteral("Bereich"));
        }
        Localizer missing(defaults, {}, "/nonexistent/strings.json");
        QCOMPARE(missing.lang(), QStringLiteral("en"));
    }
};

ZENTU_TEST_MAIN(TestLocalizer)
#include "tst_localizer.moc"
