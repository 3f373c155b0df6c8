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
            droppedBytes_ += text.size();
    }
    void Reserve(size_t bytes) override;
    // From now on the pane keeps no text and only counts its bytes, for a walk run for its map alone
    // (the comparison). Such a walk numbers its lines from its own first line.
    void KeepNoText();
    // Bytes written, kept or dropped: what the report's size limit measures.
    size_t Length() const { return text_.size() + droppedBytes_; }
    // Hands the text over (the pane is left empty), for a view that takes ownership of a big report.
    std::string Take() { return std::move(text_); }
    const std::string& Str() const { return text_; }

private:
    std::string text_;
    bool keepText_ = true;
    size_t droppedBytes_ = 0;
};
