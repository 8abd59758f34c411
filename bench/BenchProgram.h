#pragma once
// The real program under a benchmark, on the X server of DISPLAY: started in
// folders of its own with the settings the benchmark asks for, and driven by
// XTest key presses from this separate client, as a user's keyboard would.
// Ready once its hotkeys are registered. (ZENTU_BENCH_LOG=1 prints its debug
// log at the end.)
#include "Models/AppSettings.h"
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/SettingsKeys.h"
#include "Storage/SettingsManager.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSize>
#include <QString>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

extern char** environ;

struct BenchProgram {
    static constexpr uint8_t keySuper = 133, keyShift = 50, key2 = 11, key6 = 15, keyEscape = 9;

    QString root;
    pid_t pid = -1;
    xcb_connection_t* x = nullptr;
    xcb_screen_t* screenInfo = nullptr;
    xcb_window_t rootWindow = 0;
    QSize screen;

    // Connects to the X server; `prepare` may set up the desktop before the
    // program starts; `configure` adjusts the settings the program finds.
    bool start(const std::function<void(AppSettings&)>& configure, const std::function<void()>& prepare = {})
    {
        const char* binary = std::getenv("ZENTU_BINARY");
        if (!binary)
            return false;
        char tmpl[] = "/tmp/zentu-bench-XXXXXX";
        root = QString::fromLocal8Bit(mkdtemp(tmpl));
        for (const char* sub : {"home", "data", "config", "cache", "runtime"})
            QDir().mkpath(root + "/" + sub);
        QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv("HOME", qPrintable(root + "/home"), 1);
        setenv("XDG_DATA_HOME", qPrintable(root + "/data"), 1);
        setenv("XDG_CONFIG_HOME", qPrintable(root + "/config"), 1);
        setenv("XDG_CACHE_HOME", qPrintable(root + "/cache"), 1);
        setenv("XDG_RUNTIME_DIR", qPrintable(root + "/runtime"), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        {
            PosixFileCalls files;
            SettingsFileUserDefaults defaults(files, root + "/config/com.quorel.zentu.conf");
            AppSettings s;
            s.launchAtLogin = false;
            configure(s);
            defaults.setValue(QString::fromLatin1(SettingsKeys::settings), s.encoded());
            defaults.setValue(QString::fromLatin1(SettingsKeys::launchAtLoginDefaulted), true);
            // No intro card: only the road itself is timed.
            defaults.setValue(QString::fromLatin1(SettingsKeys::hideCaptureIntro), true);
            defaults.setValue(QString::fromLatin1(SettingsKeys::onboardingCompleted), true);
            // Not a new installation, or the reinstall check would bring the card back.
            defaults.setValue(QString::fromLatin1(SettingsKeys::installStamp),
                              QString::number(QFileInfo(QString::fromLocal8Bit(binary)).lastModified().toSecsSinceEpoch()));
        }
        QDir().mkpath(screenshotsFolder());

        x = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(x))
            return false;
        screenInfo = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
        rootWindow = screenInfo->root;
        screen = QSize(screenInfo->width_in_pixels, screenInfo->height_in_pixels);
        if (prepare)
            prepare();
        xcb_flush(x);

        char* argv[] = {const_cast<char*>(binary), nullptr};
        if (posix_spawn(&pid, binary, nullptr, nullptr, argv, environ) != 0)
            return false;
        const QString log = root + "/data/Zentu.it/debug.log";
        for (int i = 0; i < 1200; ++i) { // 30 s: a loaded machine starts slowly
            QFile f(log);
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains("Hotkey registriert action=openClipboard"))
                return true;
            usleep(25000);
        }
        return false;
    }

    QString screenshotsFolder() const { return root + "/data/Zentu.it/Screenshots"; }

    void stop()
    {
        if (std::getenv("ZENTU_BENCH_LOG")) {
            QFile f(root + "/data/Zentu.it/debug.log");
            if (f.open(QIODevice::ReadOnly))
                std::fprintf(stderr, "%s\n", f.readAll().constData());
        }
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (x)
            xcb_disconnect(x);
        QDir(root).removeRecursively();
    }

    void key(uint8_t code, bool down)
    {
        xcb_test_fake_input(x, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    // Presses the keys in order and lets them go in reverse.
    void press(std::initializer_list<uint8_t> codes)
    {
        for (uint8_t c : codes)
            key(c, true);
        for (auto it = std::rbegin(codes); it != std::rend(codes); ++it)
            key(*it, false);
        xcb_flush(x);
    }
    void warpPointer(int px, int py)
    {
        xcb_warp_pointer(x, XCB_WINDOW_NONE, rootWindow, 0, 0, 0, 0, int16_t(px), int16_t(py));
        xcb_flush(x);
    }
    void drainX()
    {
        while (xcb_generic_event_t* e = xcb_poll_for_event(x))
            std::free(e);
    }
};

// The main of a benchmark against the program: starts it (App derives from
// BenchProgram and has start() and stop()), points `current` at it, runs the
// benchmarks and stops it.
template <typename App>
int runAgainstProgram(int argc, char** argv, App*& current, const char* name)
{
    benchmark::Initialize(&argc, argv);
    App instance;
    current = &instance;
    if (!instance.start()) {
        std::fprintf(stderr, "%s: the program did not start (set ZENTU_BINARY; needs DISPLAY)\n", name);
        instance.stop();
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    instance.stop();
    return 0;
}
