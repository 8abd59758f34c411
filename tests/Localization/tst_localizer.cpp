#include "Localization/Localizer.h"
#include "Localization/QtCatalogue.h"
#include "Platform/SettingsKeys.h"
#include "fakes/FakeUserDefaults.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

class TestLocalizer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString table(const QByteArray& json)
    {
        static int n = 0;
        const QString path = m_dir.filePath(QString("strings-%1.json").arg(++n));
        return plantFile(path, json) ? path : QString();
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
        defaults.setValue(SettingsKeys::language, "de");
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
        QCOMPARE(defaults.value(SettingsKeys::language).toString(), QStringLiteral("auto"));
        QCOMPARE(l.translate("Bereich"), QStringLiteral("Bereich"));
        l.setLanguage("fr"); // same code again still notifies
        QCOMPARE(spy.count(), 3);
    }

    void malformedTablesMeanGerman()
    {
        FakeUserDefaults defaults;
        defaults.setValue(SettingsKeys::language, "en");
        for (const QByteArray& bad : {QByteArray(R"({"en":{"Bereich":"Area","Zahl":1}})"), QByteArray("[]"), QByteArray("{")}) {
            Localizer l(defaults, {}, table(bad));
            QCOMPARE(l.translate("Bereich"), QStringLiteral("Bereich"));
        }
        Localizer missing(defaults, {}, "/nonexistent/strings.json");
        QCOMPARE(missing.lang(), QStringLiteral("en"));
    }

    // Workers word their errors through the lookup while the user switches
    // the language and while another localizer is installed: every answer is
    // a whole text of one language. The rest belongs to the main thread: a
    // call from elsewhere is logged, and a change from there reaches the
    // views on the main thread.
    void lookupsOnWorkersAndTheMainThreadsShare()
    {
        FakeUserDefaults defaults;
        defaults.setValue(SettingsKeys::language, "de");
        const QString path = table(R"({"en":{"Bereich":"Area"},"fr":{"Bereich":"Zone"}})");
        const auto make = [&] { return std::make_shared<Localizer>(defaults, Localizer::PreferredLanguages(), path); };
        const std::shared_ptr<Localizer> first = make();
        std::optional<Localizer::Scope> installed(std::in_place, first);
        std::shared_ptr<Localizer> current = first;

        std::atomic<bool> stop{false};
        std::atomic<int> lookups{0};
        std::atomic<int> wrong{0};
        std::vector<std::thread> workers;
        for (int i = 0; i < 4; ++i)
            workers.emplace_back([&] {
                while (!stop) {
                    const QString text = Localizer::t(QStringLiteral("Bereich"));
                    if (text != QLatin1String("Bereich") && text != QLatin1String("Area") && text != QLatin1String("Zone"))
                        ++wrong;
                    ++lookups;
                }
            });
        for (int round = 0; round < 300; ++round) {
            current->setLanguage(round % 3 == 0 ? "en" : round % 3 == 1 ? "fr" : "de");
            // Gone and replaced while lookups run: none of them may use it after its end.
            if (round % 30 == 0)
                installed.emplace(current = make());
        }
        QTRY_VERIFY(lookups > 1000);
        stop = true;
        for (std::thread& worker : workers)
            worker.join();
        QCOMPARE(wrong.load(), 0);

        installed.emplace(first);
        first->setLanguage("de");
        const QThread* mainThread = QThread::currentThread();
        QList<const QThread*> heardOn;
        connect(first.get(), &Localizer::langChanged, this, [&] { heardOn << QThread::currentThread(); });
        QString answeredRightAfter;
        std::thread([&] {
            first->setLanguage("en");
            answeredRightAfter = Localizer::t(QStringLiteral("Bereich"));
        }).join();
        QCOMPARE(answeredRightAfter, QStringLiteral("Bereich")); // changed on the main thread, later
        QVERIFY(heardOn.isEmpty());
        QTRY_COMPARE(heardOn, QList<const QThread*>{mainThread});
        QCOMPARE(first->lang(), QStringLiteral("en"));
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("LOCALIZER: setLanguage außerhalb des Hauptthreads aufgerufen")));
        first->disconnect(this);
    }

    // The views follow the program's localizer through Qt's LanguageChange,
    // which reaches the children of hidden and shown windows alike. Another
    // localizer's change, or the same language chosen again, leaves them alone.
    void onlyTheInstalledLocalizerRetranslatesTheViews()
    {
        struct View : QWidget {
            using QWidget::QWidget;
            QStringList heard;
            void changeEvent(QEvent* e) override
            {
                if (e->type() == QEvent::LanguageChange)
                    heard << Localizer::t(QStringLiteral("Bereich"));
                QWidget::changeEvent(e);
            }
        };
        FakeUserDefaults defaults;
        defaults.setValue(SettingsKeys::language, "de");
        const QString path = table(R"({"en":{"Bereich":"Area"},"fr":{"Bereich":"Zone"}})");
        const auto program = std::make_shared<Localizer>(defaults, Localizer::PreferredLanguages(), path);
        Localizer other(defaults, {}, path);
        const Localizer::Scope installed(program);
        QWidget hidden;
        QWidget shown;
        auto* inHidden = new View(&hidden);
        auto* inShown = new View(&shown);
        shown.show();
        const auto deliver = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange); };

        other.setLanguage("en");
        deliver();
        QCOMPARE(inHidden->heard, QStringList());
        QCOMPARE(Localizer::language(), QStringLiteral("de"));

        program->setLanguage("fr");
        deliver();
        QCOMPARE(inHidden->heard, QStringList{QStringLiteral("Zone")});
        QCOMPARE(inShown->heard, QStringList{QStringLiteral("Zone")});
        QCOMPARE(Localizer::language(), QStringLiteral("fr"));
        program->setLanguage("fr");
        deliver();
        QCOMPARE(inShown->heard.size(), 1);
    }

    // Qt's own texts (standard dialogs, text field menus) follow the
    // interface language: each language loads its catalogue, a change swaps
    // it, and without catalogues Qt's English stays.
    void qtCatalogueFollowsTheLanguage()
    {
        if (!QFile::exists(QtCatalogue::defaultFolder() + QStringLiteral("/qtbase_de.qm")))
            QSKIP("Qt's catalogues are not installed (Debian qt6-translations-l10n)");
        FakeUserDefaults defaults;
        defaults.setValue(SettingsKeys::language, "de");
        Localizer l(defaults, {});
        auto lookIn = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
        auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        {
            QtCatalogue catalogue(l);
            QCOMPARE(catalogue.installedLanguage(), QStringLiteral("de"));
            QCOMPARE(lookIn(), QStringLiteral("Suchen in:"));
            QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
            QSet<QString> seen{lookIn()};
            for (const QString& lang : Localizer::supported()) {
                if (lang == QLatin1String("de") || lang == QLatin1String("en"))
                    continue;
                l.setLanguage(lang);
                QCOMPARE(catalogue.installedLanguage(), lang);
                QVERIFY2(!seen.contains(lookIn()) && lookIn() != QLatin1String("Look in:"), qPrintable(lang + ": " + lookIn()));
                seen.insert(lookIn());
            }
            l.setLanguage("en");
            QCOMPARE(lookIn(), QStringLiteral("Look in:"));
            l.setLanguage("de");
            QCOMPARE(cancel(), QStringLiteral("Abbrechen"));
        }
        // Gone with its owner; a folder without catalogues leaves Qt's English.
        QCOMPARE(lookIn(), QStringLiteral("Look in:"));
        QtCatalogue none(l, m_dir.filePath(QStringLiteral("nowhere")));
        QVERIFY(none.installedLanguage().isEmpty());
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
    }
};

ZENTU_TEST_MAIN(TestLocalizer)
#include "tst_localizer.moc"
