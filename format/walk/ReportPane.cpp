#include "format/walk/ReportPane.h"

#include <algorithm>
#include <cstdint>
#ifdef __linux__
#include <sys/mman.h>
#endif

void StringPane::ReplaceAll(std::string_view text) {
    // The new text may be a view into the old one: copy before replacing.
    std::string replacement(text);
    text_.swap(replacement);
    flushed_ = 0;
}

void StringPane::StreamTo(ReportSink* sink, size_t blockBytes) {
    sink_ = sink;
    blockBytes_ = blockBytes;
    flushed_ = 0;
}

void StringPane::Flush() {
    if (!sink_ || text_.empty())
        return;
    sink_->Write(text_);
    flushed_ += text_.size();
    text_.clear();
}

void StringPane::KeepNoText() {
    // The text goes to a sink that drops it, a small block at a time, so the walk's size limit still
    // counts every byte while the pane never holds more than a block.
    struct Discard final : ReportSink {
        void Write(std::string_view) override {}
    };
    static Discard discard;
    StreamTo(&discard, kNoTextBlockBytes);
    flushed_ = text_.size();
    std::string().swap(text_);
}

void StringPane::Reserve(size_t bytes) {
    // A streamed pane never holds much more than a block.
    if (blockBytes_ != 0)
        bytes = std::min(bytes, blockBytes_ + (size_t{64} << 10));
    text_.reserve(text_.size() + bytes);
#ifdef __linux__
    // A big report fills tens of megabytes page by page; on huge pages that costs a few hundred page
    // faults instead of tens of thousands. Only the whole 2 MiB blocks inside the buffer are advised.
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<uintptr_t>(text_.data());
    const uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t last = (begin + text_.capacity()) & ~(kHuge - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}
