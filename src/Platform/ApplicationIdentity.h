#pragma once
// Which application a copy came from. On Linux an application's identity is
// its desktop-file id (the counterpart of a bundle identifier).
#include <QString>
#include <optional>

class ApplicationIdentity {
public:
    struct Info {
        QString id;   // desktop-file id, else WM_CLASS class, else executable name
        QString name; // display name
        qint64 pid = 0;
        bool operator==(const Info&) const = default;
    };

    virtual ~ApplicationIdentity() = default;
    // The application that owned the clipboard when it took it over for the
    // current content; none when unknown (for example when it has quit).
    virtual std::optional<Info> clipboardOwner() = 0;
    // The application of a window, such as the clipboard owner that answered
    // a read; none when unknown.
    virtual std::optional<Info> applicationOfWindow(quint32 window) = 0;
    // The application of the active window.
    virtual std::optional<Info> frontmost() = 0;
};
