#include "ui/FindNoCase.h"

#include <algorithm>
#include <array>

namespace {

unsigned char Folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

} // namespace

// Horspool's search over folded bytes: a report of tens of megabytes is searched in a few
// milliseconds, since most steps skip the needle's length at once.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
    const size_t n = needle.size();
    if (n == 0 || from > text.size() || text.size() - from < n)
        return std::string_view::npos;
    std::array<size_t, 256> skip;
    skip.fill(n);
    for (size_t i = 0; i + 1 < n; ++i)
        skip[Folded(needle[i])] = n - 1 - i;
    const unsigned char last = Folded(needle[n - 1]);
    for (size_t at = from; at + n <= text.size();) {
        const unsigned char c = Folded(text[at + n - 1]);
        if (c == last) {
            size_t i = 0;
            while (i + 1 < n && Folded(text[at + i]) == Folded(needle[i]))
                ++i;
            if (i + 1 == n)
                return at;
        }
        at += skip[c];
    }
    return std::string_view::npos;
}

// Backwards, one position at a time: a search for the previous match is a user's step, not a loop
// over the whole report.
size_t FindLastNoCase(std::string_view text, std::string_view needle, size_t before) {
    const size_t n = needle.size();
    if (n == 0 || text.size() < n)
        return std::string_view::npos;
    for (size_t at = std::min(before, text.size() - n + 1); at-- > 0;) {
        size_t i = 0;
        while (i < n && Folded(text[at + i]) == Folded(needle[i]))
            ++i;
        if (i == n)
            return at;
    }
    return std::string_view::npos;
}
