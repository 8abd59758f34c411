#include "support/BrowserLaunch.h"

#include "Platform/WindowServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace BrowserLaunch {

QStringList chromium(const QString& profile, const QRect& rect, const Options& options, const QString& url)
{
    // As root Chromium needs --no-sandbox, and warns about it in a bar
    // unless it runs as a test.
    QStringList args = {QStringLiteral("--no-sandbox"), QStringLiteral("--no-first-run"),
                        QStringLiteral("--no-default-browser-check"), QStringLiteral("--disable-background-networking"),
                        QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                        QStringLiteral("--disable-default-apps"), QStringLiteral("--disable-extensions"),
                        QStringLiteral("--password-store=basic"), QStringLiteral("--disable-gpu"),
                        QStringLiteral("--force-device-scale-factor=%1").arg(options.scale),
                        QStringLiteral("--disable-features=Translate,MediaRouter,OptimizationHints"),
                        QStringLiteral("--user-data-dir=") + profile,
                        QStringLiteral("--window-position=%1,%2").arg(rect.x()).arg(rect.y()),
                        QStringLiteral("--window-size=%1,%2").arg(rect.width() / options.scale).arg(rect.height() / options.scale)};
    if (!options.warningBar)
        args.append(QStringLiteral("--test-type"));
    if (options.accessibility)
        args.append(QStringLiteral("--force-renderer-accessibility"));
    args.append(url);
    return args;
}

QStringList firefox(const QString& profile, const QRect& rect, const Options& options, const QString& url)
{
    QDir().mkpath(profile);
    QFile prefs(profile + QStringLiteral("/user.js"));
    const QByteArray text = "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
                            "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
                            "user_pref(\"browser.aboutwelcome.enabled\", false);\n"
                            "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
                            "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
                            "user_pref(\"browser.sessionstore.resume_from_crash\", false);\n"
                            "user_pref(\"app.update.auto\", false);\n"
                            "user_pref(\"layout.css.devPixelsPerPx\", \""
        + QByteArray::number(options.scale) + ".0\");\n";
    if (!prefs.open(QIODevice::WriteOnly) || prefs.write(text) != text.size())
        return {};
    return {QStringLiteral("--no-remote"), QStringLiteral("--new-instance"), QStringLiteral("--profile"), profile,
            QStringLiteral("-width"), QString::number(rect.width()), QStringLiteral("-height"),
            QString::number(rect.height()), url};
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

std::optional<AppWindow> awaitWindow(WindowServer& windows, qint64 pid, const QRect& rect, bool place)
{
    AppWindow found;
    auto find = [&] {
        found = {};
        for (const WindowInfo& w : windows.windowList().value_or(QList<WindowInfo>()))
            if (w.ownerPID && *w.ownerPID == pid && w.layer && *w.layer == 0 && w.bounds.width() > 200
                && w.bounds.height() > 200
                && (!found.number || w.bounds.width() * w.bounds.height() > found.bounds.width() * found.bounds.height()))
                found = {w.number, w.bounds};
        return found.number != 0;
    };
    if (!QTest::qWaitFor(find, 30000))
        return std::nullopt;
    if (!place)
        return found;
    // The window manager places it, then we move it, asking again while it
    // is still being managed.
    QElapsedTimer asked;
    auto move = [&] {
        if (asked.isValid() && asked.elapsed() < 1000)
            return;
        asked.start();
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("windowsize"), QString::number(found.number), QString::number(rect.width()),
                           QString::number(rect.height()), QStringLiteral("windowmove"), QString::number(found.number),
                           QString::number(rect.x()), QString::number(rect.y())});
    };
    const bool placed = QTest::qWaitFor(
        [&] {
            move();
            return find() && qAbs(found.bounds.height() - rect.height()) < 60 && qAbs(found.bounds.x() - rect.x()) < 60;
        },
        30000);
    return placed ? std::optional<AppWindow>(found) : std::nullopt;
}

} // namespace BrowserLaunch
