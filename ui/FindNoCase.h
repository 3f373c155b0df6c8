#pragma once
// Searching the report for a text, ignoring the case of the letters A to Z (the report's own
// letters); other characters must match byte for byte.
#include <string_view>

// The offset of the first occurrence of needle at or after from; npos when there is none or the
// needle is empty.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from);

// The offset of the last occurrence that starts before before; npos when there is none.
size_t FindLastNoCase(std::string_view text, std::string_view needle, size_t before);
