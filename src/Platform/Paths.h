#pragma once
// Where the user's folders are. Computed on every call so that a changed
// environment (tests, a new XDG set-up) counts at once.
#include <QString>

class Paths {
public:
    virtual ~Paths() = default;
    virtual QString homeDirectory() const = 0;
    // The per-user data folder (XDG data home); empty when unknown.
    virtual QString applicationSupportDirectory() const = 0;
    // The user's pictures folder (XDG pictures dir); empty when unknown.
    virtual QString picturesDirectory() const = 0;
    virtual QString temporaryDirectory() const = 0;
    // Moves a file or folder to the user's Trash; false when that failed.
    virtual bool moveToTrash(const QString& path) = 0;
};
