#include "engine/ReportPane.h"

#include <cstdint>
#ifdef __linux__
#include <sys/mman.h>
#endif

void StringPane::ReplaceAll(std::string_view text) {
    if (!keepText_) {
        droppedBytes_ = text.size();
        return;
    }
    // The new text may be a view into the old one: copy before replacing.
    std::string replacement(text);
    text_.swap(replacement);
}

void StringPane::KeepNoText() {
    keepText_ = false;
    droppedBytes_ += text_.size();
    std::string().swap(text_);
}

void StringPane::Reserve(size_t bytes) {
    if (!keepText_)
        return;
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
