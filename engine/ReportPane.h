#pragma once
// The report pane: the text that a report run writes. Lines are joined by "\r\n".
#include <string>
#include <string_view>

class ReportPane {
public:
    virtual ~ReportPane() = default;
    virtual std::string_view Text() const = 0;
    virtual void ReplaceAll(std::string_view text) = 0;
    virtual void InsertAtEnd(std::string_view text) = 0;
    // A hint that about this many bytes will follow; a pane may reserve room for them.
    virtual void Reserve(size_t) {}
};

// The main pane: an in-memory string.
class StringPane final : public ReportPane {
public:
    std::string_view Text() const override { return text_; }
    void ReplaceAll(std::string_view text) override;
    void InsertAtEnd(std::string_view text) override {
        if (keepText_)
            text_.append(text);
        else
            Drop(text);
    }
    void Reserve(size_t bytes) override;
    // From now on the pane only counts what is written, for a walk run for its map alone (the
    // comparison): the text is dropped, its length and line breaks are still counted.
    void KeepNoText();
    // Bytes written, kept or dropped: what the report's size limit measures.
    size_t Length() const { return text_.size() + droppedBytes_; }
    // Line breaks in the dropped text.
    size_t DroppedLineBreaks() const { return droppedBreaks_; }
    // Hands the text over (the pane is left empty), for a view that takes ownership of a big report.
    std::string Take() { return std::move(text_); }
    const std::string& Str() const { return text_; }

private:
    void Drop(std::string_view text);
    std::string text_;
    bool keepText_ = true;
    size_t droppedBytes_ = 0;
    size_t droppedBreaks_ = 0;
};
