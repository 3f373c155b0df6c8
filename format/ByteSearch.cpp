#include "format/ByteSearch.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace format {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Space(char c) {
    return c == ' ' || c == '\t' || c == ',';
}

// A message for the user, the text named in quotes before the rest of it.
ParsedPattern Failure(std::string_view quoted, std::string_view rest) {
    std::string message;
    if (!quoted.empty()) {
        message += '"';
        message.append(quoted);
        message.append("\" ");
    }
    message.append(rest);
    return {std::nullopt, std::move(message)};
}

// The bytes searched backwards at a time: the last hit of each block is found with the forward search.
constexpr int64_t kBackBlock = int64_t{1} << 20;

} // namespace

BytePattern::BytePattern(std::vector<uint8_t> bytes, std::vector<bool> fixed)
    : bytes_(std::move(bytes)), fixed_(std::move(fixed)) {
    fixed_.resize(bytes_.size(), true);
    // A zero or FF byte fills whole stretches of a level; any other fixed byte is tried first.
    bool anchored = false;
    for (size_t i = 0; i < bytes_.size(); ++i)
        if (fixed_[i] && bytes_[i] != 0x00 && bytes_[i] != 0xFF) {
            anchor_ = i;
            anchored = true;
            break;
        }
    if (!anchored)
        for (size_t i = 0; i < bytes_.size(); ++i)
            if (fixed_[i]) {
                anchor_ = i;
                break;
            }
    for (size_t i = 0; i < bytes_.size(); ++i)
        if (fixed_[i] && i != anchor_)
            checks_.emplace_back(static_cast<uint32_t>(i), bytes_[i]);
}

std::string BytePattern::Text() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (i > 0)
            text += ' ';
        if (fixed_[i]) {
            text += kDigits[bytes_[i] >> 4];
            text += kDigits[bytes_[i] & 0xF];
        } else {
            text += "??";
        }
    }
    return text;
}

bool BytePattern::MatchesAt(std::span<const uint8_t> data, size_t start) const {
    if (bytes_.empty() || start > data.size() || data.size() - start < bytes_.size())
        return false;
    const uint8_t* at = data.data() + start;
    if (at[anchor_] != bytes_[anchor_])
        return false;
    for (const auto& [i, value] : checks_)
        if (at[i] != value)
            return false;
    return true;
}

int64_t BytePattern::Scan(std::span<const uint8_t> data, int64_t first, int64_t end, bool all,
                          int64_t* count) const {
    const int64_t size = static_cast<int64_t>(data.size());
    const int64_t length = static_cast<int64_t>(bytes_.size());
    if (bytes_.empty() || length > size)
        return -1;
    first = std::max<int64_t>(first, 0);
    end = std::min(end, size - length + 1); // the starts a whole pattern fits after
    if (first >= end)
        return -1;
    const int64_t anchor = static_cast<int64_t>(anchor_);
    const uint8_t wanted = bytes_[anchor_];
    const uint8_t* base = data.data();
    const uint8_t* at = base + first + anchor;
    const uint8_t* limit = base + end + anchor;
    int64_t last = -1;
    if (wanted == 0x00 || wanted == 0xFF)
        return ScanDense(data, first, end, all, count);
    while (at < limit) {
        at = static_cast<const uint8_t*>(std::memchr(at, wanted, static_cast<size_t>(limit - at)));
        if (!at)
            break;
        const uint8_t* start = at - anchor;
        bool match = true;
        for (const auto& [i, value] : checks_)
            if (start[i] != value) {
                match = false;
                break;
            }
        if (match) {
            last = start - base;
            if (!all)
                return last;
            ++*count;
        }
        ++at;
    }
    return last;
}

int64_t BytePattern::ScanDense(std::span<const uint8_t> data, int64_t first, int64_t end, bool all,
                               int64_t* count) const {
    // A byte found everywhere (zeros) makes a try at nearly every offset: rather than jump from one to
    // the next, each block of offsets is marked a byte of the pattern at a time, in loops the compiler
    // turns into vector compares, and the marks are then counted or looked through.
    constexpr int64_t kBlock = 4096;
    uint8_t marks[kBlock];
    const uint8_t* base = data.data();
    int64_t last = -1;
    for (int64_t blockFirst = first; blockFirst < end; blockFirst += kBlock) {
        const int64_t n = std::min(kBlock, end - blockFirst);
        const uint8_t* at = base + blockFirst + anchor_;
        const uint8_t wanted = bytes_[anchor_];
        for (int64_t i = 0; i < n; ++i)
            marks[i] = at[i] == wanted;
        for (const auto& [offset, value] : checks_) {
            const uint8_t* other = base + blockFirst + offset;
            for (int64_t i = 0; i < n; ++i)
                marks[i] &= other[i] == value;
        }
        if (!all) {
            if (const void* hit = std::memchr(marks, 1, static_cast<size_t>(n)))
                return blockFirst + (static_cast<const uint8_t*>(hit) - marks);
            continue;
        }
        int64_t hits = 0;
        for (int64_t i = 0; i < n; ++i)
            hits += marks[i];
        if (hits > 0) {
            *count += hits;
            int64_t i = n - 1;
            while (!marks[i])
                --i;
            last = blockFirst + i;
        }
    }
    return last;
}

std::optional<int64_t> BytePattern::FindIn(std::span<const uint8_t> data, int64_t first, int64_t end) const {
    const int64_t hit = Scan(data, first, end, false, nullptr);
    return hit >= 0 ? std::optional<int64_t>(hit) : std::nullopt;
}

std::optional<int64_t> BytePattern::FindLastIn(std::span<const uint8_t> data, int64_t first,
                                               int64_t end) const {
    first = std::max<int64_t>(first, 0);
    end = std::min(end, static_cast<int64_t>(data.size()));
    // Block by block from the end: the last hit of a block is the last of all its hits.
    for (int64_t blockEnd = end; blockEnd > first;) {
        const int64_t blockFirst = std::max(first, blockEnd - kBackBlock);
        int64_t count = 0;
        if (const int64_t last = Scan(data, blockFirst, blockEnd, true, &count); last >= 0)
            return last;
        blockEnd = blockFirst;
    }
    return std::nullopt;
}

int64_t BytePattern::CountIn(std::span<const uint8_t> data, int64_t first, int64_t end) const {
    int64_t count = 0;
    Scan(data, first, end, true, &count);
    return count;
}

int64_t BytePattern::Count(std::span<const uint8_t> data) const {
    return CountIn(data, 0, static_cast<int64_t>(data.size()));
}

ParsedPattern ParseHexPattern(std::string_view text) {
    std::vector<uint8_t> bytes;
    std::vector<bool> fixed;
    size_t i = 0;
    while (i < text.size()) {
        if (Space(text[i])) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || Space(text[i + 1]))
            return Failure(text.substr(i, 1),
                           "is half a byte: write each byte as two hex digits, or ?? for any byte.");
        const char a = text[i], b = text[i + 1];
        if (a == '?' && b == '?') {
            bytes.push_back(0);
            fixed.push_back(false);
        } else if (HexDigit(a) >= 0 && HexDigit(b) >= 0) {
            bytes.push_back(static_cast<uint8_t>(HexDigit(a) * 16 + HexDigit(b)));
            fixed.push_back(true);
        } else {
            return Failure(text.substr(i, 2),
                           "is no byte: write each byte as two hex digits (0-9, A-F), or ?? for any byte.");
        }
        i += 2;
    }
    if (bytes.empty())
        return Failure({}, "Type the bytes to find, as hex: 2D 00 ?? 00.");
    if (std::find(fixed.begin(), fixed.end(), true) == fixed.end())
        return Failure({}, "The pattern needs at least one byte that is not ??.");
    return {BytePattern(std::move(bytes), std::move(fixed)), {}};
}

ParsedPattern ParseTextPattern(std::string_view text) {
    if (text.empty())
        return Failure({}, "Type the text to find.");
    return {BytePattern(std::vector<uint8_t>(text.begin(), text.end()), std::vector<bool>(text.size(), true)),
            {}};
}

ParsedPattern ParseNumberPattern(std::string_view text, NumberWidth width) {
    while (!text.empty() && Space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && Space(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return Failure({}, "Type the number to find, in decimal (-512) or hex (0x1000).");
    const std::string shown(text);
    bool negative = false;
    if (text.front() == '-' || text.front() == '+') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size())
        return Failure(shown, "is no number: write it in decimal (-512) or hex (0x1000).");

    int64_t lowest = 0, highest = 0;
    size_t bytes = 0;
    const char* name = "";
    switch (width) {
    case NumberWidth::S8:
        lowest = -128, highest = 127, bytes = 1, name = "s8";
        break;
    case NumberWidth::U8:
        lowest = 0, highest = 255, bytes = 1, name = "u8";
        break;
    case NumberWidth::S16:
        lowest = -32768, highest = 32767, bytes = 2, name = "s16";
        break;
    case NumberWidth::U16:
        lowest = 0, highest = 65535, bytes = 2, name = "u16";
        break;
    case NumberWidth::S32:
        lowest = std::numeric_limits<int32_t>::min(), highest = std::numeric_limits<int32_t>::max(),
        bytes = 4, name = "s32";
        break;
    case NumberWidth::U32:
        lowest = 0, highest = std::numeric_limits<uint32_t>::max(), bytes = 4, name = "u32";
        break;
    }
    const bool tooBig = error == std::errc::result_out_of_range || magnitude > (uint64_t{1} << 33);
    const int64_t value =
        tooBig ? 0 : (negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    if (tooBig || value < lowest || value > highest)
        return Failure(shown, std::string("does not fit in ")
                                  .append(name)
                                  .append(" (")
                                  .append(std::to_string(lowest))
                                  .append(" to ")
                                  .append(std::to_string(highest))
                                  .append(")."));
    const auto pattern = static_cast<uint64_t>(value);
    std::vector<uint8_t> little(bytes);
    for (size_t i = 0; i < bytes; ++i)
        little[i] = static_cast<uint8_t>(pattern >> (8 * i));
    return {BytePattern(std::move(little), std::vector<bool>(bytes, true)), {}};
}

std::optional<SearchHit> FindNext(const BytePattern& pattern, std::span<const uint8_t> data, int64_t from) {
    const int64_t size = static_cast<int64_t>(data.size());
    from = std::clamp<int64_t>(from, 0, size);
    if (const auto hit = pattern.FindIn(data, from, size))
        return SearchHit{*hit, false};
    if (const auto hit = pattern.FindIn(data, 0, from))
        return SearchHit{*hit, true};
    return std::nullopt;
}

std::optional<SearchHit> FindPrevious(const BytePattern& pattern, std::span<const uint8_t> data,
                                      int64_t from) {
    const int64_t size = static_cast<int64_t>(data.size());
    from = std::clamp<int64_t>(from, 0, size);
    if (const auto hit = pattern.FindLastIn(data, 0, from))
        return SearchHit{*hit, false};
    if (const auto hit = pattern.FindLastIn(data, from, size))
        return SearchHit{*hit, true};
    return std::nullopt;
}

} // namespace format
