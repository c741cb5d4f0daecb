// Bit operators for enumerations whose values are single bits, so that a set
// of flags keeps its enumeration type through a call instead of becoming a
// plain integer. An enumeration opts in by specialising FlagSetEnabled.
#pragma once

#include <type_traits>

template <typename Enum>
struct FlagSetEnabled : std::false_type {};

template <typename Enum, typename = std::enable_if_t<FlagSetEnabled<Enum>::value>>
constexpr Enum operator|(Enum a, Enum b)
{
    using Bits = std::underlying_type_t<Enum>;
    return static_cast<Enum>(static_cast<Bits>(a) | static_cast<Bits>(b));
}

// Whether `flags` holds every bit of `flag`.
template <typename Enum, typename = std::enable_if_t<FlagSetEnabled<Enum>::value>>
constexpr bool hasFlag(Enum flags, Enum flag)
{
    using Bits = std::underlying_type_t<Enum>;
    return (static_cast<Bits>(flags) & static_cast<Bits>(flag)) == static_cast<Bits>(flag);
}
