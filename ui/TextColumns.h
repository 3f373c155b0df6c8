#pragma once
// Columns of a line in a fixed-pitch pane: every character takes one column, however many UTF-8
// bytes it has (a path in the report may hold a few), so the pane can place the characters by count.
#include <cstddef>
#include <string_view>

inline bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The column at which the byte at offset byte of line is drawn.
inline size_t ColumnOfByte(std::string_view line, size_t byte) {
    size_t column = 0;
    for (size_t i = 0; i < byte && i < line.size(); ++i)
        column += StartsCharacter(line[i]);
    return column;
}

// The offset of the character drawn at column, or the line's length for a column past its end.
inline size_t ByteOfColumn(std::string_view line, size_t column) {
    size_t i = 0;
    for (; i < line.size(); ++i)
        if (StartsCharacter(line[i]) && column-- == 0)
            return i;
    return i;
}
