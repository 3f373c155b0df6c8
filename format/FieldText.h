#pragma once
// A record field's value and name as the report shows them, for everything that shows a field outside
// the walk's own lines: the JSON writer, the comparison and the views. (The walk writes its record
// lines with the same digits inline, in Walk.h, as the fastest path of the report.)
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

#include "format/FieldValue.h"
#include "format/LevelFormat.h"
#include "format/NumberText.h"

namespace format {

// The most characters a field's value text takes: "-9223372036854775808".
inline constexpr size_t kLongestFieldText = 20;

// Writes the text of a value shown by field f (ShownValue's result) at out, which must have room for
// kLongestFieldText characters: decimal, or "0x" + upper-case hex digits of its low 32 bits where the
// field is shown in hex. Returns the end of the text.
inline char* AppendFieldText(char* out, const Field& f, int64_t shown) {
    if (!ShownAsHex(f.How))
        return std::to_chars(out, out + kLongestFieldText, shown).ptr;
    *out++ = '0';
    *out++ = 'x';
    return AppendHex(out, static_cast<uint32_t>(shown));
}

// The same as a string.
std::string FieldText(const Field& f, int64_t shown);

// The name of repeat rep of field f, for one value of a column repeated on continuation lines: the
// repeat's number takes the place of "(n)" ("Vertices(n).x" becomes "Vertices(2).x"), or stands behind
// a name without one ("XPixel(2)"). A column that is not repeated keeps its name.
std::string FieldName(const Field& f, int rep);

} // namespace format
