#include "framework/core/Text.h"

#include <charconv>

namespace fw {

std::string Str(std::int64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    return std::string(buf, end);
}

// Length of the valid UTF-8 sequence that ends at s[end - 1], or 1 when the
// bytes there form none.
static std::size_t sequenceEndingAt(std::string_view s, std::size_t end)
{
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    std::size_t i = end - 1;
    std::size_t continuation = 0;
    while (continuation < 3 && i > 0 && (b(i) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (continuation == 0)
        return 1;
    unsigned char lead = b(i);
    std::size_t want = 0;
    if ((lead & 0xE0) == 0xC0)
        want = 1;
    else if ((lead & 0xF0) == 0xE0)
        want = 2;
    else if ((lead & 0xF8) == 0xF0)
        want = 3;
    return want == continuation ? continuation + 1 : 1;
}

std::string Right(std::string_view s, std::int64_t n)
{
    std::size_t end = s.size();
    while (n > 0 && end > 0) {
        end -= sequenceEndingAt(s, end);
        --n;
    }
    return std::string(s.substr(end));
}

static unsigned char foldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int RuntimeStringCompare(std::string_view a, std::string_view b)
{
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = foldAscii(static_cast<unsigned char>(a[i]));
        unsigned char y = foldAscii(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

}
