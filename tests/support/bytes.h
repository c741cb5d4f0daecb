// Byte strings written as lists of values, for tests of decoders.
#pragma once

#include <initializer_list>
#include <string>

inline std::string bytes(std::initializer_list<int> values)
{
    std::string result;
    for (int value : values)
        result += static_cast<char>(value);
    return result;
}
