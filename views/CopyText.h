#pragma once
// The text the hex view copies for a byte range: the bytes as hex ("2D 00 00 00"), as a C array
// ("const unsigned char data[4] = {0x2D, 0x00, 0x00, 0x00};"), or as the report lines that describe
// them, found through the walk map. Plain functions over the bytes, the map and the report's text.
#include <cstdint>
#include <span>
#include <string_view>

#include <QString>

class WalkMap;

enum class CopyFormat { HexText, CArray, ReportLines };

// A range larger than this is not copied: its text would run to megabytes (a chunk of 16 MB) and the
// report lines are found byte by byte.
inline constexpr int64_t kMaxCopyBytes = int64_t{1} << 16;

struct CopiedText {
    QString Text;
    // Why nothing was copied (the range is empty or too large); empty when Text holds the copy.
    QString Refusal;
};

// The bytes, 16 to a line, each as two upper-case hex digits and a blank between them.
QString HexText(std::span<const uint8_t> bytes);
// A C definition of an array named data holding the bytes; on one line up to 16 bytes, else 16 to an
// indented line between the braces.
QString CArrayText(std::span<const uint8_t> bytes);
// The report lines that describe the bytes first..end, in report order and each as the report has it
// (its line ending too): for every byte the line the map says covers it most closely, and the lines
// after that describe the same bytes (a record written on two lines). Lines beyond the report's text
// are left out.
QString ReportLinesText(const WalkMap& map, std::string_view report, int64_t first, int64_t end);

// The copy of level[first, end) in a format, or the reason it is refused.
CopiedText CopyBytes(CopyFormat format, std::span<const uint8_t> level, const WalkMap& map,
                     std::string_view report, int64_t first, int64_t end);
