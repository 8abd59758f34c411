#include "Models/JsonDecoder.h"
#include "Models/JsonWriter.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonArray>
#include <QJsonObject>

class TestJsonWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void prettyLayoutIsPinned()
    {
        const QJsonArray history{QJsonObject{
            {"width", 1920}, {"id", "6F1C2A3B-0000-4000-8000-00000000000A"}, {"isFavorite", false},
            {"fileName", "Zentu.it_Screenshot_2026-12-06_09-05-03-042.png"},
            {"annotations", QJsonArray{}}, {"createdAt", "2026-12-06T08:05:03Z"},
            {"path", "a/b"}, {"ratio", 0.1}, {"nested", QJsonObject{{"b", 1}, {"a", QJsonObject{}}}},
        }};
        const QByteArray expected =
            "[\n"
            "  {\n"
            "    \"annotations\" : [],\n"
            "    \"createdAt\" : \"2026-12-06T08:05:03Z\",\n"
            "    \"fileName\" : \"Zentu.it_Screenshot_2026-12-06_09-05-03-042.png\",\n"
            "    \"id\" : \"6F1C2A3B-0000-4000-8000-00000000000A\",\n"
            "    \"isFavorite\" : false,\n"
            "    \"nested\" : {\n"
            "      \"a\" : {},\n"
            "      \"b\" : 1\n"
            "    },\n"
            "    \"path\" : \"a\\/b\",\n"
            "    \"ratio\" : 0.1,\n"
            "    \"width\" : 1920\n"
            "  }\n"
            "]";
        QCOMPARE(JsonWriter::pretty(history), expected);
        QCOMPARE(JsonWriter::pretty(QJsonArray{}), QByteArray("[]"));
    }

    void stringsAndNumbers()
    {
        QCOMPARE(JsonWriter::compact(QJsonArray{"Zitat \"x\"\n\tTab", "Größe 1920×1080", QString(QChar(1))}),
                 QByteArray("[\"Zitat \\\"x\\\"\\n\\tTab\",\"Größe 1920×1080\",\"\\u0001\"]"));
        QCOMPARE(JsonWriter::number(4.0), QByteArray("4"));
        QCOMPARE(JsonWriter::number(-2.5), QByteArray("-2.5"));
        QCOMPARE(JsonWriter::number(0.9), QByteArray("0.9"));
        QCOMPARE(JsonWriter::number(1.0 / 3.0).toDouble(), 1.0 / 3.0);
    }

    // Round trips are the records' test; here what other writers may have left.
    void datesAndIdsOfOtherWriters()
    {
        QCOMPARE(JsonDecoder::parseDate("2026-12-06T09:05:03+01:00").toUTC().time(), QTime(8, 5, 3));
        QVERIFY(!JsonDecoder::parseDate("2026-12-06T08:05:03").isValid());
        QVERIFY(!JsonDecoder::parseDate("gestern").isValid());
        const QString id = JsonDecoder::formatUuid(QUuid::createUuid());
        QCOMPARE(id, id.toUpper());
    }
};

ZENTU_TEST_MAIN(TestJsonWriter)
#include "tst_jsonwriter.moc"
