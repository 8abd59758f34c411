#pragma once
// String raw values for the persisted enumerations. Each enumeration declares
// one table of {case, raw value} in case order; the helpers below read it, so
// the raw values live in exactly one place and are part of the file formats.
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <utility>

template <typename E>
struct RawEnumTable; // specialise with: static constexpr std::array<std::pair<E, const char*>, N> cases{...};

template <typename E>
QString rawValue(E value)
{
    for (const auto& [c, raw] : RawEnumTable<E>::cases)
        if (c == value)
            return QString::fromLatin1(raw);
    return {};
}

// Exact, case-sensitive match; anything else (other letter case, empty) gives no case.
template <typename E>
std::optional<E> fromRawValue(QStringView raw)
{
    for (const auto& [c, r] : RawEnumTable<E>::cases)
        if (raw == QLatin1String(r))
            return c;
    return std::nullopt;
}

template <typename E>
constexpr auto allCases()
{
    std::array<E, RawEnumTable<E>::cases.size()> out{};
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = RawEnumTable<E>::cases[i].first;
    return out;
}
