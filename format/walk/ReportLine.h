#pragma once
// A reusable line buffer that formats integers straight into itself: no allocation and no library
// call per field once it is warm. It keeps room for the "\r\n" that goes in front of an appended
// line, so the finished line reaches the pane in one piece.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "format/NumberText.h"
#include "format/walk/ReportText.h"

class ReportLine {
  public:
    ReportLine() : buf_(512, '\0') {
        buf_[0] = '\r';
        buf_[1] = '\n';
    }
    ReportLine& Clear() {
        len_ = kBreak;
        return *this;
    }
    // "0x" + hex(offset) + "," + decimal(offset) + ",": the first two columns of an offset or record line.
    ReportLine& Offset(int32_t offset) {
        char* p = Room(32);
        *p++ = '0';
        *p++ = 'x';
        p = AppendHex(p, static_cast<uint32_t>(offset));
        *p++ = ',';
        p = std::to_chars(p, p + 12, offset).ptr;
        *p++ = ',';
        len_ = static_cast<size_t>(p - buf_.data());
        return *this;
    }
    ReportLine& Dec(int64_t v) {
        char* p = Room(24);
        len_ = static_cast<size_t>(std::to_chars(p, p + 24, v).ptr - buf_.data());
        return *this;
    }
    // Hexadecimal digits without prefix; negatives as their 32-bit two's complement.
    ReportLine& HexDigits(uint32_t v) {
        char* p = Room(8);
        len_ = static_cast<size_t>(AppendHex(p, v) - buf_.data());
        return *this;
    }
    ReportLine& Text(std::string_view s) {
        char* p = Room(s.size());
        if (!s.empty())
            std::memcpy(p, s.data(), s.size());
        len_ += s.size();
        return *this;
    }
    ReportLine& Comma() {
        *Room(1) = ',';
        ++len_;
        return *this;
    }
    // "," + decimal value: the next field of a record line. Record writers call it for every field of a
    // million-line report, so it is always inlined into them.
    [[gnu::always_inline]] ReportLine& Field(int64_t v) {
        char* p = Room(25);
        *p++ = ',';
        len_ = static_cast<size_t>(std::to_chars(p, p + 24, v).ptr - buf_.data());
        return *this;
    }
    // The line's text.
    std::string_view View() const { return std::string_view(buf_.data() + kBreak, len_ - kBreak); }
    // "\r\n" + the line's text, as it is appended to a pane.
    std::string_view WithBreak() const { return std::string_view(buf_.data(), len_); }

  private:
    static constexpr size_t kBreak = 2;
    // A pointer to at least n writable bytes at the end of the line.
    char* Room(size_t n) {
        if (len_ + n > buf_.size())
            buf_.resize(2 * (len_ + n));
        return buf_.data() + len_;
    }
    std::string buf_;
    size_t len_ = kBreak;
};

// Appends a finished line to the pane, as AppendReportLine does: nothing for an empty line,
// otherwise a line break and the text in one insertion.
template <class Pane> inline void AppendLine(const ReportLine& line, Pane& pane) {
    if (!line.View().empty())
        pane.InsertAtEnd(line.WithBreak());
}
