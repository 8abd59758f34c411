// The clipboard history beside the real program's captures, on a real X
// server: another program copies a text at once after the full-screen hotkey,
// while the capture is taken, copied and stored. Whichever copy the server
// keeps, that text is recorded, and so is every copy after it; the capture is
// announced as copied only when the clipboard took it. A copy by a program
// whose selection window names no application (xclip) while one of our
// windows is in front is not recorded as ours.
#include "support/IsolatedEnvironment.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <memory>

class TestCaptureClipboardX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    std::vector<std::unique_ptr<QProcess>> m_owners;

    QStringList recordedTexts() const
    {
        QStringList out;
        for (const QJsonValue& v : m_real.historyRecords(QStringLiteral("clipboard.json")))
            out << v.toObject().value("text").toString(QStringLiteral("<%1>").arg(v.toObject().value("preview").toString()));
        return out;
    }
    qsizetype captures() const { return m_real.historyRecords(QStringLiteral("screenshots.json")).size(); }
    // Another program takes the clipboard with a text and keeps serving it;
    // with `onLine`, started ready and taking it when told (takeNow).
    QProcess* copyFromOtherProgram(const QString& text, bool onLine = false)
    {
        auto owner = std::make_unique<QProcess>();
        owner->start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {onLine ? "on-line" : "text", text});
        m_owners.push_back(std::move(owner));
        QProcess* p = m_owners.back().get();
        if (onLine)
            (void)QTest::qWaitFor([&] { return p->canReadLine() && p->readLine().trimmed() == "ready"; }, 10000);
        return p;
    }
    // What any other program reads from the clipboard now.
    QString clipboardAsOthersSeeIt()
    {
        QProcess reader;
        reader.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"read"});
        if (!reader.waitForStarted(5000) || !QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 15000))
            return {};
        return QString::fromUtf8(reader.readAll());
    }
    int lostCopies() const { return int(m_real.debugLog().count(QStringLiteral("CAPTURE nicht in die Zwischenablage kopiert"))); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(startQuietly(m_real, m_app));
    }
    void cleanupTestCase()
    {
        for (auto& owner : m_owners) {
            owner->closeWriteChannel();
            if (!owner->waitForFinished(5000))
                owner->kill();
        }
        stopQuietly(m_app);
    }

    void everyCopyAroundACaptureIsRecorded()
    {
        for (int round = 1; round <= 5; ++round) {
            const qsizetype shots = captures();
            const int lostBefore = lostCopies();
            const QString during = QStringLiteral("während %1").arg(round);
            const QString after = QStringLiteral("danach %1").arg(round);
            // The full-screen hotkey, and at once another program's copy.
            QProcess* other = copyFromOtherProgram(during, true);
            QVERIFY(pressHotkey("15"));
            other->write("take\n");
            other->waitForBytesWritten(1000);
            QTRY_COMPARE_WITH_TIMEOUT(captures(), shots + 1, 15000);
            QTRY_VERIFY_WITH_TIMEOUT(recordedTexts().contains(during), 15000);
            // The capture is announced as copied only when the clipboard holds
            // it: then it came after the other copy, which was recorded first.
            const QString now = clipboardAsOthersSeeIt();
            if (now.contains(QStringLiteral("image: 1920x1080")))
                QCOMPARE(lostCopies(), lostBefore);
            else if (lostCopies() > lostBefore)
                QVERIFY2(now.contains(QStringLiteral("text: ") + during), qPrintable(now));
            // Copies after the capture keep being recorded.
            copyFromOtherProgram(after);
            QTRY_COMPARE_WITH_TIMEOUT(recordedTexts().value(0), after, 15000);
        }
        // The captures themselves never entered the clipboard history.
        for (const QString& text : recordedTexts())
            QVERIFY2(!text.startsWith('<'), qPrintable(text));
    }

    void aCopyNamingNoApplicationIsNotOursWhileOurWindowIsInFront()
    {
        // The clipboard history window comes to the front (Super+Shift+V).
        X11Probe x;
        QVERIFY(pressHotkey("55"));
        QTRY_COMPARE_WITH_TIMEOUT(x.pid(x.activeWindow()), m_app.processId(), 15000);
        // xclip's selection window carries neither a class nor a pid.
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard"});
        QVERIFY(xclip.waitForStarted(5000));
        xclip.write("aus xclip");
        xclip.closeWriteChannel();
        QJsonObject entry;
        QTRY_VERIFY_WITH_TIMEOUT([&] {
            const QJsonArray records = m_real.historyRecords(QStringLiteral("clipboard.json"));
            entry = records.isEmpty() ? QJsonObject() : records.at(0).toObject();
            return entry.value("text").toString() == QStringLiteral("aus xclip");
        }(), 15000);
        const QString source = entry.value("sourceAppBundleID").toString();
        QVERIFY2(source != QStringLiteral("com.quorel.zentu") && !source.contains(QStringLiteral("Zentu"), Qt::CaseInsensitive),
                 qPrintable(source));
        xclip.kill();
        xclip.waitForFinished(5000);
    }
};

ZENTU_TEST_MAIN(TestCaptureClipboardX11)
#include "tst_captureclipboard_x11.moc"
