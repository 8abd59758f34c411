#include "Localization/Localizer.h"
#include "Models/AppSettings.h"
#include "Platform/CarbonKeyCodes.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonDocument>

class TestAppSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsEncodeAsGolden()
    {
        QCOMPARE(AppSettings().encoded(),
                 QByteArray(R"({"autoCopyToPasteboard":true,"avoidDuplicates":true,"captureDelaySeconds":0,)"
                            R"("clipboardHistoryEnabled":true,"hotkeys":{},"ignoreSensitiveContent":true,)"
                            R"("imageFormat":"png","launchAtLogin":false,"maxClipboardItems":200,)"
                            R"("maxScreenshotItems":200,"openEditorAfterCapture":true,)"
                            R"("showCursorInScreenshot":false,"stampTimestamp":false})"));
    }

    void roundTrip()
    {
        AppSettings s;
        s.saveDirectoryPath = QStringLiteral("/home/ana/Bilder/Schnappschüsse");
        s.captureDelaySeconds = 5;
        s.imageFormat = ImageFileFormat::jpeg;
        s.maxScreenshotItems = 0;
        s.hotkeys.insert("captureArea", HotkeyCombo{21, 0x300});
        const QByteArray data = s.encoded();
        QVERIFY(data.contains(R"("saveDirectoryPath":"\/home\/ana\/Bilder\/Schnappschüsse")"));
        QCOMPARE(AppSettings::decode(data), std::optional<AppSettings>(s));
    }

    void decodingIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value"); // undefined = remove the key
        QTest::newRow("missing launchAtLogin") << "launchAtLogin" << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("missing imageFormat") << "imageFormat" << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("unknown imageFormat") << "imageFormat" << QJsonValue("gif");
        QTest::newRow("format in capitals") << "imageFormat" << QJsonValue("PNG");
        QTest::newRow("bool as text") << "stampTimestamp" << QJsonValue("true");
        QTest::newRow("fractional delay") << "captureDelaySeconds" << QJsonValue(1.5);
        QTest::newRow("combo without modifiers") << "hotkeys" << QJsonValue(QJsonObject{{"captureArea", QJsonObject{{"keyCode", 21}}}});
    }
    void decodingIsAllOrNothing()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QJsonObject o = AppSettings().toJson();
        if (value.isUndefined())
            o.remove(key);
        else
            o[key] = value;
        QVERIFY(!AppSettings::fromJson(o));
    }

    void lenientWhereTheRecordAllows()
    {
        QJsonObject o = AppSettings().toJson();
        o["saveDirectoryPath"] = QJsonValue::Null;
        o["somethingNew"] = 42;
        o["hotkeys"] = QJsonObject{{"notAnAction", QJsonObject{{"keyCode", 1}, {"carbonModifiers", 256}}}};
        const auto s = AppSettings::fromJson(o);
        QVERIFY(s);
        QVERIFY(!s->saveDirectoryPath);
        QCOMPARE(s->hotkeys.size(), 1);
        QVERIFY(!AppSettings::decode("not json"));
    }

    void displayStrings()
    {
        // Linux key names, Super first; the stored flags are the Carbon ones.
        QCOMPARE((HotkeyCombo{0, 0x1000 | 0x800 | 0x200 | 0x100}).displayString(), QStringLiteral("Super+Ctrl+Alt+Shift+A"));
        QCOMPARE((HotkeyCombo{19, 0x300}).displayString(), QStringLiteral("Super+Shift+2"));
        QCOMPARE((HotkeyCombo{10, 0x300}).displayString(), QStringLiteral("Super+Shift+<"));
        QCOMPARE((HotkeyCombo{53, 0x800}).displayString(), QStringLiteral("Alt+Esc"));
        QCOMPARE((HotkeyCombo{49, 0}).displayString(), QStringLiteral("Leertaste"));
        QCOMPARE(HotkeyCombo::keyName(50), QStringLiteral("Taste 50"));
        QCOMPARE(HotkeyCombo::keyName(126), QStringLiteral("↑"));
        // Words follow the interface language; key caps do not.
        Localizer::shared().setLanguage(QStringLiteral("en"));
        QCOMPARE((HotkeyCombo{49, 0x1000}).displayString(), QStringLiteral("Ctrl+Space"));
        QCOMPARE(HotkeyCombo::keyName(24), QStringLiteral("Key 24"));
        Localizer::shared().setLanguage(QStringLiteral("ja"));
        QCOMPARE((HotkeyCombo{9, 0x300}).displayString(), QStringLiteral("Super+Shift+V"));
        Localizer::shared().setLanguage(QStringLiteral("de"));
    }

    void keyTableRoundTrip()
    {
        QSet<uint32_t> x11Codes;
        for (uint32_t carbon : CarbonKeyCodes::knownCarbonCodes()) {
            const auto x11 = CarbonKeyCodes::toX11Keycode(carbon);
            QVERIFY(x11);
            QVERIFY2(!x11Codes.contains(*x11), qPrintable(QString::number(carbon)));
            x11Codes.insert(*x11);
            QCOMPARE(CarbonKeyCodes::fromX11Keycode(*x11), std::optional<uint32_t>(carbon));
        }
        // Every key with a name of its own can be held by a hotkey.
        for (uint32_t code = 0; code < 128; ++code)
            if (!HotkeyCombo::keyName(code).startsWith("Taste "))
                QVERIFY2(CarbonKeyCodes::toX11Keycode(code), qPrintable(QString::number(code)));
        QCOMPARE(CarbonKeyCodes::toX11Keycode(10), std::optional<uint32_t>(94)); // <LSGT>
        QCOMPARE(CarbonKeyCodes::toX11Keycode(0), std::optional<uint32_t>(38));  // <AC01>
        QCOMPARE(CarbonKeyCodes::toX11Keycode(53), std::optional<uint32_t>(9));  // Escape
    }

    void comboFromKeyPress()
    {
        QCOMPARE(HotkeyCombo::from(38, Qt::NoModifier), std::nullopt);
        QCOMPARE(HotkeyCombo::from(38, Qt::KeypadModifier), std::nullopt);
        QCOMPARE(HotkeyCombo::from(38, Qt::ControlModifier), std::optional(HotkeyCombo{0, 0x1000}));
        QCOMPARE(HotkeyCombo::from(13, Qt::MetaModifier | Qt::ShiftModifier), std::optional(HotkeyCombo{21, 0x300}));
        QCOMPARE(HotkeyCombo::from(64, Qt::AltModifier), std::nullopt); // Alt key itself has no code
    }
};

ZENTU_TEST_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
