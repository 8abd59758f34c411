#pragma once
// The ranges the editor's style controls offer for an annotation's numbers.
// Values read back from the history file are held to them, since that file
// can be edited by hand.
#include <algorithm>
#include <cmath>
#include <optional>

struct ValueRange {
    double min = 0;
    double max = 0;

    // The value held to the range; the fallback when it is not a number at all.
    double bound(double v, double fallback) const
    {
        return std::isfinite(v) ? std::clamp(v, min, max) : fallback;
    }
    // An optional that is not a finite number is dropped, so the drawing default applies.
    std::optional<double> bound(const std::optional<double>& v) const
    {
        if (!v || !std::isfinite(*v))
            return std::nullopt;
        return std::clamp(*v, min, max);
    }
};

namespace AnnotationLimits {
inline constexpr ValueRange lineWidth{1, 30};
inline constexpr ValueRange fontSize{8, 160}; // texts, speech bubbles and badge numbers
inline constexpr ValueRange badgeSize{16, 160};
inline constexpr ValueRange blurAmount{1, 100};
inline constexpr ValueRange magnification{1.2, 6};
inline constexpr ValueRange cornerRadius{0, 200};
inline constexpr ValueRange cursorSize{5, 240};
inline constexpr ValueRange highlightSize{20, 220};
inline constexpr ValueRange highlightOpacity{0.1, 1};
inline constexpr double defaultLineWidth = 4;
// Annotation points, in picture pixels (also off the picture's edge).
inline constexpr ValueRange coordinate{-(1 << 24), 1 << 24};
} // namespace AnnotationLimits
