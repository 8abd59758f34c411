// The window scroll-and-stitch capture on generated pages: for each seed a
// page nobody designed (fixed elements anywhere, plain stretches, sticky
// columns, late pictures, an inner box, scale 2, ...) captured through the
// program's own loop with the platform fakes and virtual time. Prints, for
// window and section picks, the share of results complete (whole and called
// complete) and honest (whole, or called incomplete), and seconds per screen
// of output (virtual: the waits a desktop would have; wall: the work itself).
// Dishonest and incomplete results are listed with their fault.
//
// ZENTU_SEEDS=n runs seeds 1..n (default 200) per pick; ZENTU_SEED=s runs one
// seed of each pick with the capture's log and writes the pictures to the
// current folder. Each result not complete is followed by the last seam the
// run could not confirm, with why.
#include "BenchMain.h"
#include "support/DebugLogMessages.h"
#include "support/SimulatedCapture.h"

#include <QApplication>
#include <cstdio>

namespace {

void captureSeeds(benchmark::State& state, SimulatedPage::Pick pick)
{
    const int seeds = qEnvironmentVariableIsSet("ZENTU_SEEDS") ? qEnvironmentVariableIntValue("ZENTU_SEEDS") : 200;
    const bool one = qEnvironmentVariableIsSet("ZENTU_SEED");
    SimulatedCapture capture;
    for (auto _ : state) {
        int complete = 0, honest = 0, runs = 0;
        double screens = 0, virtualMs = 0, wallMs = 0;
        const int first = one ? qEnvironmentVariableIntValue("ZENTU_SEED") : 1;
        const int last = one ? first : seeds;
        for (int seed = first; seed <= last; ++seed) {
            DebugLog::restart();
            const SimulatedCapture::Outcome o = capture.run(quint32(seed), pick);
            ++runs;
            complete += o.complete();
            honest += o.honest();
            screens += o.screens;
            virtualMs += o.virtualMs;
            wallMs += o.wallMs;
            if (!o.complete()) {
                std::fprintf(stderr, "%s %s\n", o.honest() ? "incomplete" : "DISHONEST", qPrintable(o.summary()));
                // The last seam the run gave up on, and why.
                const QStringList lines = debugLogMessages();
                for (auto it = lines.crbegin(); it != lines.crend(); ++it)
                    if (it->contains(QStringLiteral("Naht nicht bestätigt:"))) {
                        std::fprintf(stderr, "  last doubt: %s\n", qPrintable(*it));
                        break;
                    }
            }
            if (one) {
                for (const QString& line : debugLogMessages())
                    std::fprintf(stderr, "  %s\n", qPrintable(line));
                o.shot.image.save(QStringLiteral("seed-%1-%2.png")
                                      .arg(seed)
                                      .arg(pick == SimulatedPage::Pick::window ? QStringLiteral("window") : QStringLiteral("section")));
            }
        }
        state.counters["seeds"] = runs;
        state.counters["complete_pct"] = 100.0 * complete / runs;
        state.counters["honest_pct"] = 100.0 * honest / runs;
        state.counters["virtual_s_per_screen"] = virtualMs / 1000.0 / qMax(1.0, screens);
        state.counters["wall_ms_per_screen"] = wallMs / qMax(1.0, screens);
    }
}

void BM_SimulatedWindows(benchmark::State& state) { captureSeeds(state, SimulatedPage::Pick::window); }
void BM_SimulatedSections(benchmark::State& state) { captureSeeds(state, SimulatedPage::Pick::section); }
BENCHMARK(BM_SimulatedWindows)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_SimulatedSections)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
