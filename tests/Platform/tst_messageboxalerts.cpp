// The real alert with texts from outside: markup, pictures and links show as
// the characters they are, and no click on a text opens anything, whether the
// text is plain or, where a caller asks for it, rich.
#include "Platform/Qt/MessageBoxAlerts.h"
#include "support/IsolatedEnvironment.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

const QStringList schemes{"file", "http", "https", "javascript", "data", "ftp"};

// Stands in for the desktop's opener of every scheme a link could name.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder()
    {
        for (const QString& scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlRecorder() override
    {
        for (const QString& scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

struct Inspection {
    QMap<QString, Qt::TextFormat> formats; // text of each label with words
    int linksActivated = 0;
};

// Runs the alert, clicks along every label with words, then the first button.
int runAndClick(const Alerts::Alert& alert, Inspection* seen)
{
    QTimer::singleShot(0, [seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue;
            seen->formats.insert(label->text(), label->textFormat());
            QObject::connect(label, &QLabel::linkActivated, label, [seen] { ++seen->linksActivated; });
            const QRect r = label->contentsRect();
            for (int x = r.left() + 2; x < r.right(); x += 6)
                QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(x, r.center().y()));
        }
        QTest::mouseClick(box->buttons().last(), Qt::LeftButton);
    });
    return MessageBoxAlerts().runModal(alert);
}

} // namespace

class TestMessageBoxAlerts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outsideTextsShowAsWrittenAndOpenNothing()
    {
        UrlRecorder desktop;
        const QString message =
            QStringLiteral("99.0 <a href=\"file:///etc/passwd\">RELEASE NOTES</a><img src=\"/local/picture.png\">");
        const QString informative = QStringLiteral("<b>Download</b>: <a href=\"file:///etc/passwd\">file:///etc/passwd</a>");
        Inspection seen;
        QCOMPARE(runAndClick({message, informative, {QStringLiteral("Herunterladen"), QStringLiteral("Später")}}, &seen), 1);
        QCOMPARE(seen.formats.value(message, Qt::AutoText), Qt::PlainText);
        QCOMPARE(seen.formats.value(informative, Qt::AutoText), Qt::PlainText);
        QCOMPARE(seen.linksActivated, 0);
        QCOMPARE(desktop.opened, QList<QUrl>());

        // Rich text asked for: the link can be clicked, yet opens nothing itself.
        Alerts::Alert rich{QStringLiteral("Zentu.it"),
                           QStringLiteral("<a href=\"file:///etc/passwd\">%1</a>").arg(QString(60, QLatin1Char('X'))),
                           {QStringLiteral("OK")}};
        rich.textFormat = Qt::RichText;
        Inspection clicked;
        QCOMPARE(runAndClick(rich, &clicked), 0);
        QVERIFY(clicked.linksActivated + desktop.opened.size() > 0); // the link was hit
        QCOMPARE(desktop.opened, QList<QUrl>());
    }
};

ZENTU_TEST_MAIN(TestMessageBoxAlerts)
#include "tst_messageboxalerts.moc"
