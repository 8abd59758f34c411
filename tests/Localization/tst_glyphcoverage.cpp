// Every text of every interface language can be drawn with the fonts the
// install step brings: no character falls through every font (the boxes a
// missing CJK font leaves). Qt picks fallback fonts through fontconfig, the
// same way the running program does.
#include "Localization/Localizer.h"
#include "Models/HotkeyCombo.h"
#include "Ui/Theme.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>
#include <QGlyphRun>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextLayout>

namespace {

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

} // namespace

class TestGlyphCoverage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void detectsACharacterNoFontHas()
    {
        const QFont font = Theme::font(12);
        QVERIFY(drawable(QStringLiteral("Zwischenablage"), font));
        QVERIFY(!drawable(QStringLiteral("a\u0378b"), font)); // unassigned: in no font
    }

    void everyLanguageIsDrawable()
    {
        QFile f(QStringLiteral(":/strings.json"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject tables = QJsonDocument::fromJson(f.readAll()).object();
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

ZENTU_TEST_MAIN(TestGlyphCoverage)
#include "tst_glyphcoverage.moc"
