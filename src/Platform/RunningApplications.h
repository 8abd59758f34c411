#pragma once
// Which application a window and its process belong to. On Linux an
// application's identity is its desktop-file id (the counterpart of a bundle
// identifier).
#include <QString>
#include <optional>

class RunningApplications {
public:
    struct App {
        QString id;   // desktop-file id, else WM_CLASS, else the executable's name
        QString name; // display name; empty when unknown
        QString windowClass = {}; // the class of the window asked about (WM_CLASS); empty when unknown
        bool operator==(const App&) const = default;
    };
    virtual ~RunningApplications() = default;
    // Nothing when no process has that id or it cannot be identified.
    virtual std::optional<App> application(qint64 pid, quint32 window) = 0;
};
