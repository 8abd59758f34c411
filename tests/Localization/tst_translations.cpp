// Every German text the code passes to the translation lookup has a
// translation in every other supported language, with the same placeholders;
// no German text reaches the user without passing through it; and no text,
// in any language, names places of another operating system (its settings
// panes, Touch ID, Finder, the Dock, the ⌘ key, "this Mac"). And every text
// of every language can be drawn with the fonts the install step brings: no
// character falls through every font (the boxes a missing CJK font leaves);
// Qt picks fallback fonts through fontconfig, as the running program does.
#include "Localization/Localizer.h"
#include "Models/HotkeyCombo.h"
#include "Ui/Theme.h"
#include "support/IsolatedEnvironment.h"
#include "support/ProgramSources.h"

#include <QFile>
#include <QGlyphRun>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextLayout>

namespace {
// The translation tables, language by language.
QJsonObject stringTables()
{
    QFile f(QStringLiteral(":/strings.json"));
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

bool drawable(const QString& text, const QFont& font)
{
    QTextLayout layout(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')), font);
    layout.beginLayout();
    while (layout.createLine().isValid()) {
    }
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        if (run.glyphIndexes().contains(0)) // .notdef: no font has the character
            return false;
    return true;
}

// The characters of text that no font can draw, for the failure message.
QString undrawable(const QString& text, const QFont& font)
{
    QString out;
    for (const uint c : text.toUcs4()) {
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        if (!drawable(one, font))
            out += QStringLiteral("U+%1 ").arg(c, 4, 16, QLatin1Char('0'));
    }
    return out;
}

QSet<QString> literalKeys()
{
    static const QRegularExpression call(
        QStringLiteral("(?:Localizer::t\\(\\s*(?:QStringLiteral\\(|QString::fromUtf8\\(|QLatin1String\\()?|ZENTU_TEXT\\()\\s*\"((?:[^\"\\\\]|\\\\.)*)\""));
    QSet<QString> keys;
    for (const QString& text : programSources()) {
        for (auto m = call.globalMatch(text); m.hasNext();) {
            QString key = m.next().captured(1);
            key.replace(QStringLiteral("\\n"), QStringLiteral("\n")).replace(QStringLiteral("\\\""), QStringLiteral("\""));
            key.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
            keys.insert(key);
        }
    }
    return keys;
}

// One string literal of a source file, and the code of its statement before it
// (comments and the contents of other literals blanked).
struct Literal {
    QString text;
    QString before;
    QString statement;
};

// A small C++ lexer: enough to tell literals from comments and code.
QList<Literal> literalsOf(const QString& source)
{
    QString skeleton = source;
    QList<QPair<int, QString>> found;
    const int n = int(source.size());
    auto blank = [&](int from, int to) {
        for (int k = from; k < to && k < n; ++k)
            if (skeleton[k] != QLatin1Char('\n'))
                skeleton[k] = QLatin1Char(' ');
    };
    for (int i = 0; i < n;) {
        const QChar c = source[i];
        const QChar next = i + 1 < n ? source[i + 1] : QChar();
        if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
            const int end = int(source.indexOf(QLatin1Char('\n'), i));
            blank(i, end < 0 ? n : end);
            i = end < 0 ? n : end;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = int(source.indexOf(QStringLiteral("*/"), i + 2));
            blank(i, end < 0 ? n : end + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            int j = i + 1;
            while (j < n && source[j] != c)
                j += source[j] == QLatin1Char('\\') ? 2 : 1;
            if (c == QLatin1Char('"'))
                found.append({i, source.mid(i + 1, j - i - 1)});
            blank(i + 1, j);
            i = j + 1;
        } else {
            ++i;
        }
    }
    QList<Literal> out;
    for (const auto& [pos, text] : found) {
        const QString before = skeleton.left(pos);
        int start = -1;
        for (QChar boundary : {QLatin1Char(';'), QLatin1Char('{'), QLatin1Char('}')})
            start = qMax(start, int(before.lastIndexOf(boundary)));
        out.append({text, before.right(120), before.mid(start + 1)});
    }
    return out;
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
    void noGermanTextBypassesTheLookup()
    {
        // German by its letters or by words no code identifier uses.
        static const QRegularExpression german(QStringLiteral(
            "[äöüÄÖÜß]|\\b(?:kein|keine|nicht|Fenster|Bildschirm|Taste|Leertaste|Sitzung|bereits|Datei|Ordner|"
            "Einstellungen|Zwischenablage|Verlauf|Aufnahme|konnte|wurde|wird|ist|und|oder|mit|der|die|das|ein|"
            "eine|zum|zur|von|bei|auf|Abschnitt|Vorschau|Bild|Favorit|anzeigen|zeigen|erkannt|gestartet)\\b"));
        static const QRegularExpression lookup(QStringLiteral(
            "(?:Localizer::t|ZENTU_TEXT)\\(\\s*(?:QStringLiteral\\(|QString::fromUtf8\\(|QLatin1String\\()?\\s*$"));
        // Log lines stay German and untranslated.
        static const QRegularExpression logCall(
            QStringLiteral("\\b(?:DebugLog::write|log|qWarning|qDebug|qInfo|qCritical)\\s*\\("));
        // Texts that are German yet never shown to the user, with the reason.
        static const QHash<QString, QStringList> allowed{
            // Language names are written in their own language.
            {"Localization/Localizer.cpp", {"Türkçe"}},
            // Failure descriptions that end in the debug log only.
            {"Platform/X11/X11ScreenSource.cpp",
             {"Wayland-Sitzung: der Bildschirm ist fuer X11-Programme nicht lesbar", "Keine Verbindung zum X-Server"}},
            {"Platform/X11/X11WindowServer.cpp",
             {"Keine Verbindung zum X-Server", "Fenster %1 existiert nicht", "Fenster %1 ist nicht sichtbar",
              "Fenster %1 liegt ausserhalb des Bildschirms"}},
            {"Platform/Qt/XdgAutostartLoginItem.cpp",
             {"Ordner für Autostart konnte nicht angelegt werden", ": liegt in einem Build-Ordner"}},
            // The step of a file write that failed, for the log.
            {"Platform/AtomicFile.cpp", {"Größe prüfen", "schließen"}},
            {"Storage/HistoryJournal.cpp", {"öffnen", "kürzen", "anhängen", "Inhalt geändert", "zusammenführen"}},
            {"Platform/Qt/XdgUserInstallation.cpp", {" ist ein symbolischer Link", ": Ordner kann nicht angelegt werden"}},
            {"Platform/Qt/FeedDownload.cpp", {"Zeitüberschreitung", "keine Web-Adresse: %1"}},
            {"Platform/Qt/HttpResponseReader.cpp",
             {"Antwort größer als %1 Bytes", "Antwortkopf größer als %1 Bytes",
              "Verbindung vor dem Ende der Antwort geschlossen"}},
            {"Updates/Appcast.cpp",
             {"kein lesbares XML (Zeile %1): %2", "kein RSS-Feed", "kein Eintrag mit Version und Download-Adresse"}},
            {"Updates/AppcastUpdater.cpp", {"keine gültige Feed-Adresse"}},
            // The name of a document viewer, as that application calls itself.
            {"Screenshot/DocApp.cpp", {"Vorschau"}},
            // The same name, and the window's label in the scrolling capture's log.
            {"Screenshot/BrowserCapture.cpp", {"Vorschau", "Fenster", " Abschnitt"}},
            // The scrolling capture's log lines for why it ended.
            {"Screenshot/ScrollStop.cpp",
             {"Unvollständig: ", "Aufnahme beendet", "kein Bild", "Naht nicht bestätigt",
              "Naht nicht bestätigt, auch nach ", " neuen Anläufen", "Inhalt ändert sich ohne zu scrollen",
              "Höhengrenze erreicht", "keine neuen Zeilen nach ", "Ende auf leerer Fläche nicht sicher",
              "Inhalt unter der Kopfzeile verpasst", "festes Element über dem Inhalt mitten im Bild",
              "Inhalt hat sich beim Scrollen verschoben (nachgeladen)", "angenommene Schrittweite später widerlegt",
              "Ende nach angenommener Schrittweite nicht sicher",
              "Seite wächst am Ende weiter", "Seite oberhalb der Ansicht gewachsen",
              "zweiter Durchgang kürzer als der erste"}},
        };
        QStringList bypassing;
        QVERIFY(!programSources().isEmpty());
        for (const auto& [file, text] : programSources().asKeyValueRange()) {
            for (const Literal& l : literalsOf(text)) {
                if (!german.match(l.text).hasMatch() || lookup.match(l.before).hasMatch()
                    || logCall.match(l.statement).hasMatch() || allowed.value(file).contains(l.text))
                    continue;
                bypassing << file + ": \"" + l.text + '"';
            }
        }
        QVERIFY2(bypassing.isEmpty(), qPrintable("German texts shown without Localizer::t:\n" + bypassing.join('\n')));
    }

    void noTextNamesAnotherSystem()
    {
        // Names as that system's own translations spell them.
        static const QRegularExpression anyLanguage(QStringLiteral(
            "\\bMac\\b|macOS|Touch ID|触控 ID|\\bFinder\\b|⌘|\\bDock\\b|\\bApple\\b|iCloud|Spotlight|Launchpad"));
        static const QHash<QString, QRegularExpression> perLanguage{
            {"de", QRegularExpression(QStringLiteral("Systemeinstellungen|Programme-Ordner|Bedienungshilfen|Systemaudioaufnahme|Datenschutz & Sicherheit"))},
            {"en", QRegularExpression(QStringLiteral("System Settings|System Preferences|Applications folder|Privacy & Security|System Audio Recording"))},
            {"fr", QRegularExpression(QStringLiteral("Réglages Système|Préférences Système|dossier Applications|Confidentialité et sécurité"))},
            {"tr", QRegularExpression(QStringLiteral("Sistem Ayarları|Uygulamalar klasör|Gizlilik ve Güvenlik"))},
            {"ru", QRegularExpression(QStringLiteral("Системные настройки|«Программы»|Универсальный доступ|Конфиденциальность и безопасность"))},
            {"it", QRegularExpression(QStringLiteral("Impostazioni di Sistema|cartella Applicazioni|Privacy e sicurezza"))},
            {"es", QRegularExpression(QStringLiteral("Ajustes del Sistema|carpeta Aplicaciones|Privacidad y seguridad"))},
            {"zh", QRegularExpression(QStringLiteral("系统设置|应用程序”文件夹|隐私与安全性|辅助功能|废纸篓"))},
            {"ja", QRegularExpression(QStringLiteral("システム設定|アプリケーションフォルダ|プライバシーとセキュリティ"))},
        };
        const QJsonObject tables = stringTables();
        QVERIFY(!tables.isEmpty());
        QHash<QString, QStringList> texts; // language -> texts
        for (const QString& key : literalKeys())
            texts[QStringLiteral("de")] << key;
        for (auto lang = tables.begin(); lang != tables.end(); ++lang) {
            const QJsonObject table = lang.value().toObject();
            for (auto e = table.begin(); e != table.end(); ++e) {
                texts[QStringLiteral("de")] << e.key();
                texts[lang.key()] << e.value().toString();
            }
        }
        QCOMPARE(texts.size(), Localizer::supported().size());
        QStringList found;
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            for (const QString& text : it.value())
                if (anyLanguage.match(text).hasMatch() || perLanguage.value(it.key()).match(text).hasMatch())
                    found << it.key() + ": " + text;
        found.removeDuplicates();
        QVERIFY2(found.isEmpty(), qPrintable("Texts naming another system:\n" + found.join('\n')));
    }

    void everyTextIsTranslated()
    {
        const QJsonObject tables = stringTables();
        QVERIFY(!tables.isEmpty());
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

    void detectsACharacterNoFontHas()
    {
        const QFont font = Theme::font(12);
        QVERIFY(drawable(QStringLiteral("Zwischenablage"), font));
        QVERIFY(!drawable(QStringLiteral("a\u0378b"), font)); // unassigned: in no font
    }

    void everyLanguageIsDrawable()
    {
        const QJsonObject tables = stringTables();
        QStringList texts;
        for (const QString& lang : tables.keys()) {
            const QJsonObject table = tables.value(lang).toObject();
            for (auto e = table.begin(); e != table.end(); ++e)
                texts << e.key() << e.value().toString();
        }
        QVERIFY(texts.size() > 500);
        // Shown outside the table: the language menu and the hotkey names.
        for (const QString& lang : Localizer::supported())
            texts << Localizer::displayName().value(lang) << Localizer::autoLabel().value(lang);
        for (uint32_t code = 0; code < 128; ++code)
            texts << HotkeyCombo::keyName(code);

        QStringList missing;
        for (const QFont& font : {Theme::font(12), Theme::font(12, QFont::DemiBold), Theme::roundedFont(10.5, QFont::DemiBold)})
            for (const QString& text : std::as_const(texts))
                if (!drawable(text, font))
                    missing << font.family() + ": " + text + "  [" + undrawable(text, font).trimmed() + "]";
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(QString::number(missing.size()) + " texts with characters no installed font has:\n"
                                               + missing.mid(0, 30).join('\n')));
    }
};

ZENTU_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
