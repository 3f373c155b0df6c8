#pragma once
// A reusable line buffer that formats integers straight into itself (no per-line allocation once warm).
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/NumberText.h"

class ReportLine {
public:
    ReportLine& Clear() {
        buf_.clear();
        return *this;
    }
    // "0x" + hex(offset) + "," + decimal(offset) + ",": the first two columns of an offset or record line.
    ReportLine& Offset(int32_t offset) {
        Text("0x");
        HexDigits(static_cast<uint32_t>(offset));
        Comma();
        Dec(offset);
        return Comma();
    }
    ReportLine& Dec(int64_t v) {
        char tmp[24];
        auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        buf_.append(tmp, r.ptr);
        return *this;
    }
    // Hexadecimal digits without prefix; negatives as their 32-bit two's complement.
    ReportLine& HexDigits(uint32_t v) {
        char tmp[8];
        char* end = AppendHex(tmp, v);
        buf_.append(tmp, end);
        return *this;
    }
    ReportLine& Text(std::string_view s) {
        buf_.append(s);
        return *this;
    }
    ReportLine& Comma() {
        buf_.push_back(',');
        return *this;
    }
    // "," + decimal value: the next field of a record line.
    ReportLine& Field(int64_t v) { return Comma().Dec(v); }
    std::string_view View() const { return buf_; }

private:
    std::string buf_;
};
