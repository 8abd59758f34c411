#pragma once
// Which application a window, a process or a copy belongs to. On Linux an
// application's identity is its desktop entry: the .desktop file's id (the
// counterpart of a bundle identifier) and name.
#include <QString>
#include <optional>

class ApplicationIdentity {
public:
    struct App {
        QString id;   // desktop-file id, else WM_CLASS class, else the executable's name
        QString name; // display name; empty when unknown
        qint64 pid = 0;
        QString windowClass = {}; // the class of the window asked about (WM_CLASS); empty when unknown
        bool operator==(const App&) const = default;
    };

    virtual ~ApplicationIdentity() = default;
    // The application that owned the clipboard when it took it over for the
    // current content; none when unknown (for example when it has quit).
    virtual std::optional<App> clipboardOwner() = 0;
    // The application of the active window.
    virtual std::optional<App> frontmost() = 0;
    // The application of a window, such as the clipboard owner that answered
    // a read (its process found from the window); none when unknown.
    virtual std::optional<App> applicationOfWindow(quint32 window) = 0;
    // The application of a process, named by the window asked about where
    // there is one (0: the process alone decides); none for no process.
    virtual std::optional<App> applicationOfProcess(qint64 pid, quint32 window = 0) = 0;
    // The installed application's name in the given language (its desktop
    // entry's Name[lang], else Name) from its id; none when no application
    // with that id is installed.
    virtual std::optional<QString> displayName(const QString& appId, const QString& lang) const = 0;
};
