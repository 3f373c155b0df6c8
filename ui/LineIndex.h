#pragma once
// Where each line of a report starts, found in one pass over the text, so a view reaches any line
// without scanning the text again. A line ends at "\n"; a "\r" just in front of it belongs to the
// break, so "\r\n" (the report's own break) and a bare "\n" both split lines.
// The index only refers to the text: whoever owns the text keeps it alive and unchanged meanwhile.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class LineIndex {
  public:
    LineIndex() = default;
    explicit LineIndex(std::string_view text);

    std::string_view Text() const { return text_; }
    // An empty text has no lines; any other text has one more line than it has breaks.
    size_t Count() const { return wide_.empty() ? narrow_.size() : wide_.size(); }
    // Byte offset of the line's first character.
    size_t Start(size_t line) const { return wide_.empty() ? narrow_[line] : wide_[line]; }
    // The line's characters without its break.
    std::string_view Line(size_t line) const;
    // The line that holds the byte at offset (its break counts to it); the last line for the end.
    size_t LineOf(size_t offset) const;
    // Length in bytes of the longest line, without its break.
    size_t LongestLine() const { return longest_; }

  private:
    std::string_view text_;
    // Offsets fit 32 bits for any report under 4 GiB, which halves the index; longer texts use wide_.
    std::vector<uint32_t> narrow_;
    std::vector<uint64_t> wide_;
    size_t longest_ = 0;
};
