#pragma once
// The report pane: the text that a report run writes. Lines are joined by "\r\n".
#include <cstddef>
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

// Where a streamed report goes, block by block, in order.
class ReportSink {
  public:
    virtual ~ReportSink() = default;
    virtual void Write(std::string_view block) = 0;
};

// The main pane: an in-memory string. Streamed to a sink, it holds only the text not yet handed on:
// the walk hands it over in blocks (Flush) and the whole report never stands in memory at once.
class StringPane final : public ReportPane {
  public:
    std::string_view Text() const override { return text_; }
    void ReplaceAll(std::string_view text) override;
    void InsertAtEnd(std::string_view text) override { text_.append(text); }
    void Reserve(size_t bytes) override;
    // From now on the pane keeps no text and only counts its bytes, for a walk run for its map alone
    // (the comparison). Such a walk numbers its lines from its own first line.
    void KeepNoText();
    // Bytes written, held or handed on: what the report's size limit measures.
    size_t Length() const { return Written(); }
    // Hands the text over (the pane is left empty), for a view that takes ownership of a big report.
    std::string Take() { return std::move(text_); }
    const std::string& Str() const { return text_; }

    // Streaming: with a sink, Flush hands the text held to it; the walk flushes whenever the pane holds
    // BlockBytes() or more. Null ends streaming; a block size without a sink only keeps Reserve to it.
    void StreamTo(ReportSink* sink, size_t blockBytes = kBlockBytes);
    static constexpr size_t kBlockBytes = size_t{1} << 20;
    static constexpr size_t kNoTextBlockBytes = size_t{64} << 10;
    ReportSink* Sink() const { return sink_; }
    size_t BlockBytes() const { return blockBytes_; }
    void Flush();
    // Empties the pane and keeps its buffer, for text made again and again in the same place.
    void Clear() {
        text_.clear();
        flushed_ = 0;
    }
    // Bytes of the report so far: those handed on and those held.
    size_t Written() const { return flushed_ + text_.size(); }
    size_t Flushed() const { return flushed_; }

  private:
    std::string text_;
    ReportSink* sink_ = nullptr;
    size_t blockBytes_ = 0;
    size_t flushed_ = 0;
};
