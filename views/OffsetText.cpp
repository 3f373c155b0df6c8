#include "views/OffsetText.h"

#include <charconv>

#include "format/NumberText.h"

namespace {

constexpr int64_t kLargest = INT64_C(0xFFFFFFFFFFFF); // far beyond any level; keeps the sums exact

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::optional<int64_t> Digits(std::string_view s, int base) {
    if (s.empty())
        return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (error != std::errc() || end != s.data() + s.size() || value < 0 || value > kLargest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int64_t> ParseOffset(std::string_view text) {
    const std::string_view s = Trimmed(text);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return Digits(s.substr(2), 16);
    if (s.size() > 1 && (s.back() == 'h' || s.back() == 'H'))
        return Digits(s.substr(0, s.size() - 1), 16);
    return Digits(s, 10);
}

QString HexOffset(int64_t offset) {
    return QString::fromStdString(HexText(offset));
}
