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

// A place in the report's order: before record Record of the run left as hole Hole, or (Record -1)
// before the text in front of that hole. The hole one past the last stands for the text after it.
struct Place {
    size_t Hole = 0;
    int32_t Record = -1;
    auto operator<=>(const Place&) const = default;
};

// A piece is the report from one place to another: the text and records between them. Two places a
// piece keep the plan of a level of thousands of runs a few pages long (each new page a fault).
struct RunPiece {
    Place First, End;
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
        : state_(state), level_(*state.Level), holes_(holes.Holes), slots_(2 * threads + 2), panes_(slots_),
          done_(slots_, -1) {
        // A level of many short runs (a room's vertices, rectangles, triangles) leaves thousands of
        // holes with a few lines of text between them. The holes and the text between them are gathered
        // into pieces of up to kPieceBoundBytes, so that the sink gets a few large blocks rather than
        // thousands of small ones (each a system call, and through a pipe a wake-up of its reader), and
        // the threads hand over a few hundred pieces rather than a piece per run.
        // A stretch of text too long for a piece goes to the sink on its own.
        for (size_t h = 0; h <= holes_.size(); ++h) {
            const size_t first = TextFirst(h), end = TextEnd(h);
            if (end - first > kPieceBoundBytes / 2) {
                ClosePiece({h, -1});
                items_.push_back({first, end, -1});
                pieceFirst_ = {h, 0};
            } else {
                if (bound_ + (end - first) > kPieceBoundBytes)
                    ClosePiece({h, -1});
                bound_ += end - first;
            }
            if (h == holes_.size())
                break;
            const RunHole& hole = holes_[h];
            const size_t perRecord = MaxRecordBytes(*hole.Record, hole.NumberPrefix.size());
            for (int32_t record = 0; record < hole.Count;) {
                const size_t room = (kPieceBoundBytes - std::min(kPieceBoundBytes, bound_)) / perRecord;
                if (room == 0 && bound_ > 0) {
                    ClosePiece({h, record});
                    continue;
                }
                const auto count = static_cast<int32_t>(
                    std::min<size_t>(std::max<size_t>(room, 1), static_cast<size_t>(hole.Count - record)));
                bound_ += static_cast<size_t>(count) * perRecord;
                record += count;
            }
        }
        ClosePiece({holes_.size(), 0});
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

    // The text in front of hole h (h one past the last: after the last hole).
    size_t TextFirst(size_t h) const { return h == 0 ? 0 : holes_[h - 1].TextAt; }
    size_t TextEnd(size_t h) const {
        return h == holes_.size() ? state_.Report.Str().size() : holes_[h].TextAt;
    }

    // Ends the piece being gathered at end; a piece of nothing (empty text alone) is dropped.
    void ClosePiece(Place end) {
        if (bound_ > 0) {
            items_.push_back({0, 0, static_cast<int32_t>(pieces_.size())});
            pieces_.push_back({pieceFirst_, end});
        }
        pieceFirst_ = end;
        bound_ = 0;
    }

    void Format(size_t i) {
        const RunPiece& piece = pieces_[i];
        StringPane& pane = panes_[i % slots_];
        pane.Clear();
        const std::string_view text = state_.Report.Str();
        for (Place at = piece.First; at < piece.End; at = {at.Hole + 1, -1}) {
            if (at.Record < 0) {
                pane.InsertAtEnd(text.substr(TextFirst(at.Hole), TextEnd(at.Hole) - TextFirst(at.Hole)));
                at.Record = 0;
            }
            if (at.Hole == holes_.size())
                break;
            const RunHole& hole = holes_[at.Hole];
            const int32_t end = at.Hole == piece.End.Hole ? piece.End.Record : hole.Count;
            if (end > at.Record) {
                Walk w(state_.DetailOptions, level_, generation_, pane);
                WriteRecords(w, hole, at.Record, end - at.Record);
            }
        }
    }

    AppState& state_;
    const LevelFile& level_;
    const std::vector<RunHole>& holes_;
    format::Generation generation_ = format::Generation::DM2;
    const size_t slots_;
    std::vector<RunPiece> pieces_;
    std::vector<Item> items_;
    Place pieceFirst_; // while pieces are gathered: where the one being gathered begins
    size_t bound_ = 0; // and the bytes it may reach
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
    if (!state.LastRun.Unread) {
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
