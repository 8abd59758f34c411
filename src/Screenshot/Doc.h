#pragma once
// A PDF document on disk, with its 1-based position in the system viewer's
// document list when that viewer reported it.
#include <QUrl>
#include <optional>

struct Doc {
    QUrl file;
    std::optional<int> previewIndex;
    bool operator==(const Doc&) const = default;
};
