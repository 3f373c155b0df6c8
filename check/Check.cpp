#include "check/Check.h"

#include <algorithm>
#include <array>
#include <map>

#include "format/Fault.h"
#include "format/FieldValue.h"
#include "format/walk/Walker.h"
#include "report/ReportRun.h"

namespace check {

namespace {

constexpr std::array kRules{
    Rule{"walk-ended", Severity::Error,
         "The walk ended early (an overflow or the size limit) or did not end at the file's last byte: the "
         "level's structure cannot be read to its end."},
    Rule{"door-room", Severity::Error,
         "A door's AdjoiningRoom is a room of the level and not the room itself: the game follows it to "
         "draw and to move through the door."},
};

// Counts findings and hands them on, up to the most given per rule.
class Counter {
  public:
    Counter(const CheckOptions& options, FindingSink& sink) : options_(options), sink_(sink) {}

    bool Runs(const Rule& rule) const {
        if (rule.Level == Severity::Warning && options_.Least == Severity::Error)
            return false;
        return options_.Only.empty() ||
               std::find(options_.Only.begin(), options_.Only.end(), &rule) != options_.Only.end();
    }

    void Report(Finding finding) {
        const Rule& rule = *finding.Of;
        if (!Runs(rule))
            return;
        (rule.Level == Severity::Error ? counts_.Errors : counts_.Warnings)++;
        if (++given_[&rule] > options_.MostPerRule) {
            ++counts_.LeftOut;
            return;
        }
        sink_.Found(finding);
    }

    CheckCounts Counts() const { return counts_; }

  private:
    const CheckOptions& options_;
    FindingSink& sink_;
    CheckCounts counts_;
    std::map<const Rule*, int64_t> given_;
};

const Rule& RuleOf(std::string_view id) {
    return *RuleById(id);
}

void CheckWalkEnding(const WalkMap& map, Counter& out) {
    const bool atEnd = map.Ending() == WalkEnding::Completed && map.EndOffset() == map.FileSize();
    if (atEnd || map.Ending() == WalkEnding::NotALevel || map.Ending() == WalkEnding::None)
        return;
    out.Report({.Of = &RuleOf("walk-ended"),
                .Offset = map.EndOffset(),
                .Bytes = 0,
                .Place = "File",
                .Field = {},
                .Value = map.EndOffset(),
                .Message = std::string("the walk ended (") + std::string(EndingName(map.Ending())) +
                           ") at offset " + std::to_string(map.EndOffset()) + " of " +
                           std::to_string(map.FileSize())});
}

// Doors name the room they lead to.
void CheckDoors(const LevelFile& level, const WalkMap& map, Counter& out) {
    const int32_t rooms = map.Find(Piece::Rooms) < 0 ? 0 : map[map.Find(Piece::Rooms)].Count;
    const format::Field& adjoining = format::kDoorAdjoiningRoom;
    for (int32_t i = 0; i < map.Size(); ++i) {
        const Span& run = map[i];
        if (run.Kind != SpanKind::Run || run.Record() != &format::kDoor)
            continue;
        const Span& room = map[map[run.Parent].Parent];
        for (int32_t d = 0; d < run.Count; ++d) {
            const int32_t at = map.RecordFirst(i, d);
            const int64_t to = StoredValue(level, adjoining, at);
            if (to >= 0 && to < rooms && to != room.Index)
                continue;
            out.Report({.Of = &RuleOf("door-room"),
                        .Offset = at + adjoining.Offset,
                        .Bytes = format::FieldBytes(adjoining.Type),
                        .Place = "Rooms > room " + std::to_string(room.Index) + " > Doors > door " +
                                 std::to_string(d),
                        .Field = std::string(adjoining.Name),
                        .Value = to,
                        .Message = to == room.Index
                                       ? "AdjoiningRoom is " + std::to_string(to) + ", the door's own room"
                                       : "AdjoiningRoom is " + std::to_string(to) + ", but the level has " +
                                             std::to_string(rooms) + " rooms"});
        }
    }
}

} // namespace

std::string_view SeverityName(Severity s) {
    return s == Severity::Error ? "error" : "warning";
}

std::span<const Rule> Rules() {
    return kRules;
}

const Rule* RuleById(std::string_view id) {
    for (const Rule& rule : kRules)
        if (rule.Id == id)
            return &rule;
    return nullptr;
}

CheckCounts CheckWalkedLevel(const LevelFile& level, const WalkMap& map, const CheckOptions& options,
                             FindingSink& sink) {
    Counter out(options, sink);
    CheckWalkEnding(map, out);
    CheckDoors(level, map, out);
    return out.Counts();
}

CheckCounts CheckLevel(const LevelFile& level, const CheckOptions& options, FindingSink& sink) {
    StringPane text;
    text.KeepNoText();
    DetailOptionSet all;
    SetAllDetails(all, true);
    WalkMap map;
    AppendReportHeader(text, "", level);
    const WalkOutput output{.Text = text, .Map = map, .Options = all,
                            .TextLimit = ReportByteLimit(level.FileLength(), kReportFixedBytes)};
    if (const auto generation = LevelGeneration(level)) {
        try {
            WalkLevel(output, level, *generation, format::kVersionWordBytes);
        } catch (const WalkFault&) {
            // The map says where and how the walk ended; the records walked are still checked.
        }
    } else {
        map.Reset(level.FileLength(), 0);
        map.Finish(WalkEnding::NotALevel, format::kVersionWordBytes, 0);
    }
    return CheckWalkedLevel(level, map, options, sink);
}

} // namespace check
