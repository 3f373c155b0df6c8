#pragma once
// Number conversions of the report: hexadecimal text of 32-bit values, the binary-string route of the
// version word, and digit strings in any base from 2 to 36.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kDigitAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Byte strings of binary digits, most significant byte first (reversed when reverseBytes).
std::vector<std::string> BinaryBytesOfLong(int32_t value, int16_t bitCount, bool reverseBytes);
// "0000".."1111" (any case) to "0".."F"; "" for anything else.
std::string HexDigitOfNibble(std::string_view nibble);
// For bitCount 32: 8 upper-case hex digits, two's complement for negatives.
std::string HexOfLong(int32_t value, int16_t bitCount, bool reverseBytes);
// Digit string in base 2..36 to its value, rounded to 15 significant digits after each addition.
// -99 for empty text or a bad base; minus the fault number when a fault occurs.
double ConvertBaseNToDec(std::string_view text, uint8_t base);

// Fast report formatting, identical to the conversions above for the report's purposes.
// hex(v): upper case, no leading zeros, "0" for zero; negatives as 32-bit two's complement.
char* AppendHex(char* out, uint32_t v);
std::string Hex(int64_t v);
// "0x" + Hex(v): an offset or value as the report's offset column and the views show it.
std::string HexText(int64_t v);
