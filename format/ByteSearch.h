#pragma once
// Finding a pattern of bytes in a level: a hex pattern with wildcard bytes ("2D 00 ?? 00"), a text, or a
// little-endian number of a given width, searched forwards or backwards from a position with wrap-round,
// and the hits counted. Hits may overlap ("00 00" is found twice in three zero bytes). No Qt: the byte
// search bar of the viewer and the benchmark use it alike.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace format {

// The widths a number is searched with, always little-endian.
enum class NumberWidth { S8, U8, S16, U16, S32, U32 };

// A parsed pattern: the bytes to find, each either fixed or a wildcard that matches any byte.
class BytePattern {
  public:
    BytePattern() = default;
    // bytes[i] must match where fixed[i] is true; at least one byte must be fixed.
    BytePattern(std::vector<uint8_t> bytes, std::vector<bool> fixed);

    size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }
    // The pattern as hex text, wildcards as "??": "2D 00 ?? 00".
    std::string Text() const;
    bool MatchesAt(std::span<const uint8_t> data, size_t start) const;

    // The first hit starting in [first, end), or nothing.
    std::optional<int64_t> FindIn(std::span<const uint8_t> data, int64_t first, int64_t end) const;
    // The last hit starting in [first, end), or nothing.
    std::optional<int64_t> FindLastIn(std::span<const uint8_t> data, int64_t first, int64_t end) const;
    // The hits starting in [first, end).
    int64_t CountIn(std::span<const uint8_t> data, int64_t first, int64_t end) const;
    int64_t Count(std::span<const uint8_t> data) const;

  private:
    // Goes through the hits starting in [first, end): returns the first, or with all the last of them,
    // counted in *count; -1 for none.
    int64_t Scan(std::span<const uint8_t> data, int64_t first, int64_t end, bool all, int64_t* count) const;
    // The same for a pattern whose every fixed byte is 00 or FF, bytes that fill whole stretches.
    int64_t ScanDense(std::span<const uint8_t> data, int64_t first, int64_t end, bool all,
                      int64_t* count) const;

    std::vector<uint8_t> bytes_;
    std::vector<bool> fixed_;
    // The fixed byte whose every appearance is tried (memchr), chosen to be rare: not 00 or FF where the
    // pattern has another; then the other fixed bytes, checked at each try.
    size_t anchor_ = 0;
    std::vector<std::pair<uint32_t, uint8_t>> checks_;
};

// A pattern, or why the text is none: a message for the user.
struct ParsedPattern {
    std::optional<BytePattern> Pattern;
    std::string Error;
};

// Hex bytes, two digits each, spaces between them optional ("2D 00 ?? 00", "2d00??00"); "??" is any byte.
ParsedPattern ParseHexPattern(std::string_view text);
// The bytes of the text as they are (one byte per character, as the level holds its names).
ParsedPattern ParseTextPattern(std::string_view bytes);
// A decimal number (with a sign) or a hex one ("0x1000"), in the width's range, as its little-endian bytes.
ParsedPattern ParseNumberPattern(std::string_view text, NumberWidth width);

struct SearchHit {
    int64_t Offset = -1;
    bool Wrapped = false; // found only by going round the end (forwards) or the start (backwards)
};

// The first hit at or after from; when there is none up to the end, the first from the start.
std::optional<SearchHit> FindNext(const BytePattern& pattern, std::span<const uint8_t> data, int64_t from);
// The last hit before from; when there is none down to the start, the last one in the file.
std::optional<SearchHit> FindPrevious(const BytePattern& pattern, std::span<const uint8_t> data,
                                      int64_t from);

} // namespace format
