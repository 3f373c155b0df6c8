#include "format/NumberText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "format/Fault.h"

namespace {

constexpr std::array<std::string_view, 16> kNibbles = {"0000", "0001", "0010", "0011", "0100", "0101",
                                                       "0110", "0111", "1000", "1001", "1010", "1011",
                                                       "1100", "1101", "1110", "1111"};
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// Rounds to 15 significant decimal digits, as the running sum of a conversion is.
double RoundTo15Digits(double v) {
    if (v == 0 || !std::isfinite(v))
        return v;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    return std::strtod(buf, nullptr);
}

} // namespace

std::vector<std::string> BinaryBytesOfLong(int32_t value, int16_t bitCount, bool reverseBytes) {
    // Two's complement by way of the magnitude: the digits of |value| - 1, exchanged.
    const bool negative = value < 0;
    uint64_t magnitude =
        negative ? static_cast<uint64_t>(-static_cast<int64_t>(value)) - 1 : static_cast<uint64_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + (magnitude & 1)));
        magnitude >>= 1;
    } while (magnitude != 0);
    if (negative)
        for (char& c : digits)
            c = c == '0' ? '1' : '0';
    if (static_cast<int>(digits.size()) < bitCount)
        digits.insert(0, static_cast<size_t>(bitCount) - digits.size(), negative ? '1' : '0');

    const long byteCount = std::lrint(bitCount / 8.0); // half to even, as the default rounding mode does
    std::vector<std::string> bytes;
    if (byteCount < 2) {
        bytes.push_back(digits);
        return bytes;
    }
    for (long k = 0; k < byteCount; ++k)
        bytes.push_back(
            digits.size() > static_cast<size_t>(8 * k) ? digits.substr(static_cast<size_t>(8 * k), 8) : "");
    if (reverseBytes)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

std::string HexDigitOfNibble(std::string_view nibble) {
    for (size_t i = 0; i < kNibbles.size(); ++i) {
        if (nibble.size() != 4)
            break;
        bool same = true;
        for (size_t c = 0; c < 4; ++c)
            same = same && std::toupper(static_cast<unsigned char>(nibble[c])) == kNibbles[i][c];
        if (same)
            return std::string(1, kHexDigits[i]);
    }
    return "";
}

std::string HexOfLong(int32_t value, int16_t bitCount, bool reverseBytes) {
    std::string out;
    for (const std::string& byte : BinaryBytesOfLong(value, bitCount, reverseBytes)) {
        out += HexDigitOfNibble(std::string_view(byte).substr(0, std::min<size_t>(4, byte.size())));
        out += HexDigitOfNibble(byte.size() > 4 ? std::string_view(byte).substr(4, 4) : std::string_view());
    }
    return out;
}

double ConvertBaseNToDec(std::string_view text, uint8_t base) {
    if (text.empty() || base < 2 || base > 36)
        return -99;
    constexpr double kOverflow = -kOverflowFault; // minus the fault's number
    // The weights base^0 .. base^length are all made before the sum; the largest one no longer fitting
    // a double is an overflow, even when the digit it would weigh is 0.
    const size_t length = text.size();
    if (!std::isfinite(std::pow(static_cast<double>(base), static_cast<double>(length))))
        return kOverflow;
    double sum = 0;
    for (size_t k = 0; k < length; ++k) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[length - 1 - k])));
        const size_t position = kDigitAlphabet.find(c);
        const double digit = position == std::string_view::npos ? -1.0 : static_cast<double>(position);
        const double weight = std::pow(static_cast<double>(base), static_cast<double>(k));
        sum = RoundTo15Digits(sum + digit * weight);
        if (!std::isfinite(sum))
            return kOverflow;
    }
    return sum;
}

char* AppendHex(char* out, uint32_t v) {
    char tmp[8];
    int n = 0;
    do {
        tmp[n++] = kHexDigits[v & 0xF];
        v >>= 4;
    } while (v != 0);
    while (n > 0)
        *out++ = tmp[--n];
    return out;
}

std::string Hex(int64_t v) {
    char tmp[8];
    return std::string(tmp, AppendHex(tmp, static_cast<uint32_t>(v)));
}

std::string HexText(int64_t v) {
    char text[10] = {'0', 'x'};
    return std::string(text, AppendHex(text + 2, static_cast<uint32_t>(v)));
}
