// The window scroll-and-stitch capture on generated pages (GeneratedPage) in
// Debian's Chromium and Firefox ESR, as the user takes it: the picker is
// shown, the page is clicked (whole window) or a section is dragged over the
// browser's view, and the result is held against the page. Prints one line
// per capture and, per browser and pick, the share complete (every item once,
// whole and in order, and called complete), the share honest (none called
// complete that lost, repeated or tore anything) and seconds per screen of
// output (from the pick to the result).
// Needs a display: run through bench/run-scrollgenerated.sh.
// A third pick, "inner", drags a section over a page's inner scrolling box
// (seeds without one are passed over) and holds the result against the
// box's own items.
// Arguments: [first seed] [count] [chromium|firefox|both] [window|section|both|inner];
// "describe [first seed] [count]" only lists what the seeds give.
#include "Debug/DebugLog.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/Qt/PosixFileCalls.h"
#include "Storage/AppFolders.h"
#include "support/GeneratedPageSession.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

namespace {

struct Tally {
    int runs = 0;
    int complete = 0;
    int honest = 0;
    double seconds = 0;
    double screens = 0;
};

void print(const char* name, const Tally& t)
{
    if (!t.runs)
        return;
    std::printf("%-18s %4d captures  complete %5.1f %%  honest %5.1f %%  %.2f s per screen\n", name, t.runs,
                100.0 * t.complete / t.runs, 100.0 * t.honest / t.runs, t.screens > 0 ? t.seconds / t.screens : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    // The debug log stays out of the user's data; ZENTU_BENCH_DATA keeps it
    // (in that folder) to read how a capture went.
    qputenv("XDG_DATA_HOME", qEnvironmentVariable("ZENTU_BENCH_DATA", home.path()).toUtf8());
    QApplication app(argc, argv);
    DebugLog::File log(AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()).debugLog());
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("describe")) {
        const quint32 from = args.value(2, QStringLiteral("1")).toUInt();
        for (quint32 seed = from; seed < from + args.value(3, QStringLiteral("200")).toUInt(); ++seed)
            std::printf("%s\n", qPrintable(GeneratedPage(seed).description()));
        return 0;
    }
    const quint32 first = args.value(1, QStringLiteral("1")).toUInt();
    const int count = args.value(2, QStringLiteral("200")).toInt();
    const QString browsers = args.value(3, QStringLiteral("both"));
    const QString picks = args.value(4, QStringLiteral("window"));

    using Browser = GeneratedPageSession::Browser;
    QList<std::pair<Browser, const char*>> which;
    if (browsers != QLatin1String("firefox"))
        which.append({Browser::chromium, "chromium"});
    if (browsers != QLatin1String("chromium"))
        which.append({Browser::firefox, "firefox"});
    QList<std::pair<Pick, const char*>> pickList;
    const bool inner = picks == QLatin1String("inner");
    if (inner)
        pickList.append({Pick::section, "inner"});
    if (!inner && picks != QLatin1String("section"))
        pickList.append({Pick::window, "window"});
    if (!inner && picks != QLatin1String("window"))
        pickList.append({Pick::section, "section"});

    ScrollEngineRig rig;
    X11Probe mouse;
    const QRect window(60, 30, 1000, 860);
    std::map<std::string, Tally> tallies;
    for (const auto& [browser, browserName] : which) {
        if (!GeneratedPageSession::installed(browser)) {
            std::printf("%s: not installed\n", browserName);
            continue;
        }
        GeneratedPageRuns runs(browser, window);
        for (quint32 seed = first; seed < first + quint32(count); ++seed) {
            const GeneratedPage page(seed);
            if (inner && !page.hasInner())
                continue;
            for (const auto& [pick, pickName] : pickList) {
                DebugLog::restart();
                QString error;
                const std::optional<GeneratedOutcome> result = inner ? runs.captureInnerBox(rig, mouse, page, &error)
                                                                     : runs.capture(rig, mouse, page, pick, &error);
                if (!result) {
                    std::printf("%s %s seed %u: not shown (%s)\n", browserName, pickName, seed, qPrintable(error));
                    continue;
                }
                const GeneratedOutcome& outcome = *result;
                std::printf("%s %s %s: %s\n", browserName, pickName, qPrintable(page.description()),
                            qPrintable(outcome.summary()));
                std::printf("RESULT %s %s %u %d %d %.2f %.2f\n", browserName, pickName, seed, int(outcome.complete()),
                            int(outcome.honest()), outcome.seconds, outcome.screens);
                std::fflush(stdout);
                for (const std::string& key : {std::string(browserName) + " " + pickName, std::string(browserName)}) {
                    Tally& t = tallies[key];
                    ++t.runs;
                    t.complete += outcome.complete();
                    t.honest += outcome.honest();
                    t.seconds += outcome.seconds;
                    t.screens += outcome.screens;
                }
            }
        }
    }
    std::printf("\n");
    for (const auto& [name, tally] : tallies)
        print(name.c_str(), tally);
    return 0;
}
