#include "report/StreamedReport.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "format/walk/ChunkStep.h"
#include "report/ReportRun.h"
#include "report/ThreadStart.h"

namespace {

// Bytes a piece may reach at most: its stretches of text exactly, its records by their bound (their
// actual text is about half of it).
constexpr size_t kPieceBoundBytes = size_t{128} << 10;

// One part of a piece: a stretch of the text around the holes (Hole null), or records of a run.
struct PiecePart {
    size_t TextFirst = 0, TextEnd = 0;
    const RunHole* Hole = nullptr;
    int32_t First = 0, Count = 0;
};

struct RunPiece {
    size_t FirstPart, EndPart;
};

// What goes to the sink, in order: a stretch of the text too long for a piece, or a piece.
struct Item {
    size_t TextFirst = 0, TextEnd = 0; // the stretch, when PieceIndex < 0
    int32_t PieceIndex = -1;
};

// Clears the walk's hole list on every way out.
struct HolesGuard {
    AppState& State;
    ~HolesGuard() { State.Holes = nullptr; }
};

class HoleFiller {
  public:
    HoleFiller(AppState& state, const RunHoles& holes, unsigned threads)
        : state_(state), level_(*state.Level), slots_(2 * threads + 2), panes_(slots_), done_(slots_, -1) {
        // A level of many short runs (a room's vertices, rectangles, triangles) leaves thousands of
        // holes with a few lines of text between them. The holes and the text between them are gathered
        // into pieces of up to kPieceBoundBytes, so that the sink gets a few large blocks rather than
        // thousands of small ones (each a system call, and through a pipe a wake-up of its reader), and
        // the threads hand over a few hundred pieces rather than a piece per run.
        const std::string& text = state.Report.Str();
        size_t at = 0;
        for (const RunHole& hole : holes.Holes) {
            AddText(at, hole.TextAt);
            at = hole.TextAt;
            const size_t perRecord = MaxRecordBytes(*hole.Record, hole.NumberPrefix.size());
            for (int32_t first = 0; first < hole.Count;) {
                size_t room = (kPieceBoundBytes - std::min(kPieceBoundBytes, bound_)) / perRecord;
                if (room == 0 && bound_ > 0) {
                    ClosePiece();
                    continue;
                }
                const auto count = static_cast<int32_t>(
                    std::min<size_t>(std::max<size_t>(room, 1), static_cast<size_t>(hole.Count - first)));
                parts_.push_back({0, 0, &hole, first, count});
                bound_ += static_cast<size_t>(count) * perRecord;
                first += count;
            }
        }
        AddText(at, text.size());
        ClosePiece();
        // Each slot's buffer is made once and reused by every piece formatted into it.
        for (StringPane& pane : panes_) {
            pane.StreamTo(nullptr, kPieceBoundBytes);
            pane.Reserve(kPieceBoundBytes);
        }
        generation_ = static_cast<format::Generation>(state.Map.Generation());
        // The calling thread formats too (WriteTo), so a helper the system refuses only slows the run:
        // carry on with the ones that started. Room for all is made first, so that no started thread is
        // dropped (and joined while it waits for work) by a vector that fails to grow.
        workers_.reserve(threads);
        for (unsigned t = 1; t < threads && t <= pieces_.size(); ++t) {
            std::jthread worker = TryStartThread([this] { Work(); });
            if (!worker.joinable())
                break;
            workers_.push_back(std::move(worker));
        }
    }

    ~HoleFiller() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        claimable_.notify_all();
    }

    void WriteTo(ReportSink& sink) {
        const std::string& text = state_.Report.Str();
        for (const Item& item : items_) {
            if (item.PieceIndex < 0) {
                if (item.TextEnd > item.TextFirst)
                    sink.Write(std::string_view(text).substr(item.TextFirst, item.TextEnd - item.TextFirst));
                continue;
            }
            const auto i = static_cast<size_t>(item.PieceIndex);
            std::unique_lock lock(mutex_);
            // While the piece is not ready, format the next one here rather than wait.
            while (done_[i % slots_] != static_cast<int64_t>(i)) {
                if (Claimable()) {
                    const size_t j = next_++;
                    lock.unlock();
                    Format(j);
                    lock.lock();
                    done_[j % slots_] = static_cast<int64_t>(j);
                } else {
                    finished_.wait(lock);
                }
            }
            lock.unlock();
            StringPane& pane = panes_[i % slots_];
            sink.Write(pane.Str());
            lock.lock();
            ++written_;
            lock.unlock();
            claimable_.notify_all();
        }
    }

  private:
    bool Claimable() const { return next_ < pieces_.size() && next_ < written_ + slots_; }

    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            claimable_.wait(lock, [&] { return stop_ || next_ >= pieces_.size() || Claimable(); });
            if (stop_ || next_ >= pieces_.size())
                return;
            const size_t i = next_++;
            lock.unlock();
            Format(i);
            lock.lock();
            done_[i % slots_] = static_cast<int64_t>(i);
            finished_.notify_all();
        }
    }

    // A stretch of text: into the piece being gathered, or, too long for a piece, on its own.
    void AddText(size_t first, size_t end) {
        if (end <= first)
            return;
        if (end - first > kPieceBoundBytes / 2) {
            ClosePiece();
            items_.push_back({first, end, -1});
            return;
        }
        if (bound_ + (end - first) > kPieceBoundBytes)
            ClosePiece();
        parts_.push_back({first, end, nullptr, 0, 0});
        bound_ += end - first;
    }

    void ClosePiece() {
        if (pieceFirst_ < parts_.size()) {
            items_.push_back({0, 0, static_cast<int32_t>(pieces_.size())});
            pieces_.push_back({pieceFirst_, parts_.size()});
        }
        pieceFirst_ = parts_.size();
        bound_ = 0;
    }

    void Format(size_t i) {
        const RunPiece& piece = pieces_[i];
        StringPane& pane = panes_[i % slots_];
        pane.Clear();
        const std::string_view text = state_.Report.Str();
        for (size_t p = piece.FirstPart; p < piece.EndPart; ++p) {
            const PiecePart& part = parts_[p];
            if (!part.Hole) {
                pane.InsertAtEnd(text.substr(part.TextFirst, part.TextEnd - part.TextFirst));
                continue;
            }
            Walk w(state_.DetailOptions, level_, generation_, pane);
            WriteRecords(w, *part.Hole, part.First, part.Count);
        }
    }

    AppState& state_;
    const LevelFile& level_;
    format::Generation generation_ = format::Generation::DM2;
    const size_t slots_;
    std::vector<PiecePart> parts_;
    std::vector<RunPiece> pieces_;
    std::vector<Item> items_;
    size_t pieceFirst_ = 0; // while pieces are gathered: the first part of the one being gathered
    size_t bound_ = 0;      // and the bytes it may reach
    std::vector<StringPane> panes_;
    std::vector<int64_t> done_; // per slot: the piece formatted into it
    std::mutex mutex_;
    std::condition_variable claimable_, finished_;
    size_t next_ = 0;    // the next piece to format
    size_t written_ = 0; // pieces handed to the sink
    bool stop_ = false;
    std::vector<std::jthread> workers_; // last: joined before the rest goes
};

// The run over the file at path, or over the level given.
int16_t Run(AppState& state, const std::string& path, const std::shared_ptr<const LevelFile>& level) {
    return level ? ReportLevel(state, path, level) : ReportLevelFile(state, path);
}

int16_t SerialStreamed(AppState& state, const std::string& path,
                       const std::shared_ptr<const LevelFile>& level, ReportSink& sink) {
    state.Report.StreamTo(&sink);
    const int16_t status = Run(state, path, level);
    state.Report.Flush();
    state.Report.StreamTo(nullptr, 0);
    return status;
}

} // namespace

int16_t StreamLevelReport(AppState& state, const std::string& path, ReportSink& sink, unsigned threads) {
    return StreamLevelReport(state, path, nullptr, sink, threads);
}

int16_t StreamLevelReport(AppState& state, const std::string& path, std::shared_ptr<const LevelFile> level,
                          ReportSink& sink, unsigned threads) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    if (threads == 1)
        return SerialStreamed(state, path, level, sink);

    RunHoles holes;
    int16_t status = 0;
    {
        HolesGuard guard{state};
        state.Holes = &holes;
        state.Report.StreamTo(nullptr, StringPane::kBlockBytes);
        try {
            status = Run(state, path, level);
        } catch (const HolesAbandoned&) {
            state.Holes = nullptr;
            state.Report.ReplaceAll("");
            return SerialStreamed(state, path, level, sink);
        }
    }
    if (state.LastRun.Ended != RunOutcome::Kind::OpenFailed) {
        if (holes.Holes.empty()) {
            sink.Write(state.Report.Str());
        } else {
            HoleFiller filler(state, holes, threads);
            filler.WriteTo(sink);
        }
    }
    state.Report.ReplaceAll("");
    state.Report.StreamTo(nullptr, 0);
    return status;
}
