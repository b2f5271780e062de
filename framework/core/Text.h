#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

// Texts are byte strings, UTF-8 by convention; file names need not be valid.

// Decimal digits of a number, with a sign only when negative.
std::string Str(std::int64_t value);

// The last n characters of s. A character is one UTF-8 sequence; a byte that
// starts no valid sequence counts as one character, so any bytes are safe.
std::string Right(std::string_view s, std::int64_t n);

// 0 when a and b are equal ignoring letter case, else <0 or >0 like strcmp.
int RuntimeStringCompare(std::string_view a, std::string_view b);

}
