#pragma once
// The common main of the benchmark programs: a Qt application of the kind the
// benchmarks need, on the offscreen platform unless one was chosen, with the
// log in the app's folders of the XDG environment.
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Debug/DebugLog.h"
#include "Storage/AppFolders.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <memory>

template <typename Application = QGuiApplication>
int runQtBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    DebugLog::File log(AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()).debugLog());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
