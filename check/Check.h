#pragma once
// The level checker: every reference a record makes (a door's room, a face's vertices and texture, an
// item's room, a moveable's meshes ...) tested against what the level holds, each finding tied to the
// bytes of the field that makes it. Findings are data: the text, JSON and SARIF writers and the viewer's
// Problems dock all show the same Finding.
//
// The checker reads the walk map and the bytes behind its spans; it never parses the file itself.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/LevelFile.h"
#include "format/WalkMap.h"
#include "report/ReportLimit.h"

namespace check {

enum class Severity : uint8_t {
    Error,   // the value cannot be valid, whatever it means
    Warning, // suspicious: an empty room, a floor above its ceiling
};
std::string_view SeverityName(Severity s); // "error", "warning"

struct Rule {
    std::string_view Id; // "door-room", "face-vertex", ...
    Severity Level;
    std::string_view Help; // one sentence: what it checks and why it matters
};

// Every rule, in the order the README lists them. "walk-ended" is the finding of a walk that ended
// early or did not end at the file's end.
std::span<const Rule> Rules();
// The rule of an id; null for an unknown id.
const Rule* RuleById(std::string_view id);

struct Finding {
    const Rule* Of = nullptr;
    int64_t Offset = 0;  // the referencing field's first byte (where the walk went wrong, for walk-ended)
    int32_t Bytes = 0;   // the field's width; 0 where no field is behind it
    std::string Place;   // "Rooms > room 1 > Doors > door 0"
    std::string Field;   // "AdjoiningRoom"; empty for walk-ended
    int64_t Value = 0;   // the field's value as the report shows it
    std::string Message; // "AdjoiningRoom is 7, but the level has 3 rooms"
    // The offset lies outside the file: a walk that ended past its last byte (or before its first).
    // Every other finding stands on a field inside the file.
    bool PastEnd = false;
};

// Where findings go, one at a time as they are found: the checker holds no list of its own.
class FindingSink {
  public:
    virtual ~FindingSink() = default;
    virtual void Found(const Finding& finding) = 0;
};

struct CheckOptions {
    std::vector<const Rule*> Only;      // rules to run; empty: all
    Severity Least = Severity::Warning; // Error: warnings are neither run nor counted
    // Findings of one rule given to the sink at most; the rest are counted in LeftOut.
    int64_t MostPerRule = 1000;
    // The fixed part of the report's size limit, where CheckLevel's walk stops as the report's would.
    int64_t ReportFixedBytes = kReportFixedBytes;
    // The name the report's header line shows for the level: the header counts against the size limit,
    // so the walk ends at the same line as the report of the same path.
    std::string Path;
};

struct CheckCounts {
    int64_t Errors = 0; // findings of error rules, those left out included
    int64_t Warnings = 0;
    int64_t LeftOut = 0; // findings past MostPerRule, not given to the sink
    WalkEnd End;         // how the checked walk ended (CheckLevel)
};

// Checks a level already walked with every section detailed and its rooms kept (its map holds every
// run). A run the walk did not list (its section off) is not checked, and the rules that count its
// records' kind find nothing there.
CheckCounts CheckWalkedLevel(const LevelFile& level, const WalkMap& map, const CheckOptions& options,
                             FindingSink& sink);

// Walks the level as the full-detail report does, so that it ends where the report ends, and checks it.
// No record is formatted and each room's spans are dropped once it is gathered (a few dozen bytes a
// room), so the memory held stays a few megabytes beside the level's bytes whatever the file; rooms are
// checked when the walk is over, as the lists behind them are known only then.
CheckCounts CheckLevel(const LevelFile& level, const CheckOptions& options, FindingSink& sink);

// A sink that keeps every finding (tests, the viewer's dock).
class FindingList final : public FindingSink {
  public:
    void Found(const Finding& finding) override { Items.push_back(finding); }
    std::vector<Finding> Items;
};

} // namespace check
