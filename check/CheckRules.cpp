// The generic half of the rules: a run's records read through the format table and tested against
// their kind's rows of index, reach and order rules.
#include <algorithm>
#include <string>

#include "check/RuleShapes.h"
#include "format/FieldValue.h"

namespace check {

namespace {

std::string Lower(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A byte read as a signed step where asked.
int64_t OrderValue(const RecordContext& at, const format::Field& f, bool signedBytes) {
    const int64_t v = at.Stored(f);
    if (signedBytes && f.Type == format::Width::U8)
        return static_cast<int8_t>(static_cast<uint8_t>(v));
    return v;
}

void CheckIndex(const RecordContext& at, const IndexRule& rule) {
    if (rule.In == Generations::DM2Only && at.Facts.Generation != format::Generation::DM2)
        return;
    const std::optional<int64_t> length = rule.Within == Bound::RoomVertices
                                              ? std::optional<int64_t>(at.RoomVertices)
                                              : at.Facts.Length(rule.Within);
    if (!length)
        return;
    const int64_t stored = at.Stored(*rule.Of);
    if (rule.None && stored == *rule.None)
        return;
    const int64_t index = rule.Mask != 0 ? (stored & rule.Mask) : stored;
    if (index >= 0 && index < *length)
        return;
    at.Found(rule.Rule, *rule.Of, [&] {
        return ValueText(*rule.Of, stored, at.Facts.Generation, index) + ", but " +
               BoundText(rule.Within, *length);
    });
}

void CheckReach(const RecordContext& at, const ReachRule& rule) {
    const std::optional<int64_t> length = at.Facts.Length(rule.Within);
    if (!length)
        return;
    const int64_t count = rule.Negated ? -at.Stored(*rule.Count) : at.Stored(*rule.Count);
    const int64_t entries = int64_t{rule.Per} * (count - rule.Less);
    if (entries <= 0)
        return;
    const int64_t start = at.Stored(*rule.Start);
    if (start >= 0 && start + entries <= *length)
        return;
    at.Found(rule.Rule, *rule.Start, [&] {
        const format::Generation g = at.Facts.Generation;
        return ValueText(*rule.Start, start, g) + " and " +
               ValueText(*rule.Count, at.Stored(*rule.Count), g) + ": they reach entry " +
               std::to_string(start + entries - 1) + ", but " + BoundText(rule.Within, *length);
    });
}

void CheckOrder(const RecordContext& at, const OrderRule& rule) {
    const int64_t low = OrderValue(at, *rule.Low, rule.SignedBytes);
    const int64_t high = OrderValue(at, *rule.High, rule.SignedBytes);
    if (low <= high)
        return;
    at.Found(rule.Rule, *rule.Low, [&] {
        std::string m = std::string(rule.Low->Name) + " is " + std::to_string(low) + ", more than " +
                        std::string(rule.High->Name) + " " + std::to_string(high);
        if (!rule.Why.empty())
            m += ": " + std::string(rule.Why);
        return m;
    });
}

} // namespace

std::string BoundText(Bound b, int64_t n) {
    const bool room = b == Bound::RoomVertices;
    return std::string(room ? "the room has " : "the level has ") + std::to_string(n) + " " +
           std::string(BoundWords(b));
}

std::string_view BoundWords(Bound b) {
    switch (b) {
    case Bound::Rooms:
        return "rooms";
    case Bound::RoomVertices:
        return "vertices";
    case Bound::Tiles:
        return "texture tiles";
    case Bound::FloorWords:
        return "floor data words";
    case Bound::MeshDataBytes:
        return "bytes of mesh data";
    case Bound::MeshPointers:
        return "mesh pointers";
    case Bound::Animations:
        return "animations";
    case Bound::StateChanges:
        return "state changes";
    case Bound::AnimDispatches:
        return "anim dispatches";
    case Bound::AnimCommands:
        return "anim command words";
    case Bound::MeshTreeWords:
        return "mesh tree words";
    case Bound::FrameBytes:
        return "bytes of frames";
    case Bound::ObjectTextures:
        return "object textures";
    case Bound::SpriteTextures:
        return "sprite textures";
    case Bound::Boxes:
        return "boxes";
    case Bound::Overlaps:
        return "overlap words";
    case Bound::SoundDetails:
        return "sound details";
    case Bound::SampleIndices:
        return "sample indices";
    }
    return "entries";
}

std::string ValueText(const format::Field& f, int64_t stored, format::Generation g,
                      std::optional<int64_t> index) {
    const int64_t shown = ShownValue(f, stored, g);
    std::string out = std::string(f.Name) + " is " + std::to_string(shown);
    if (index && *index != shown)
        out += " (index " + std::to_string(*index) + ")";
    return out;
}

int64_t RecordContext::Stored(const format::Field& f) const {
    return StoredValue(Level, f, At);
}

Finding RecordContext::Make(const Rule& rule, const format::Field& f, std::string message) const {
    return {.Of = &rule,
            .Offset = At + f.Offset,
            .Bytes = format::FieldBytes(f.Type),
            .Place = std::string(RunPlace) + " > " + Lower(Of.Name) + " " + std::to_string(Index),
            .Field = std::string(f.Name),
            .Value = ShownValue(f, Stored(f), Facts.Generation),
            .Message = std::move(message)};
}

void CheckRun(const LevelFile& level, const LevelFacts& facts, Counter& out, const RecordRules& rules,
              int64_t first, int64_t count, int64_t end, std::string_view place, int16_t room,
              int64_t roomVertices) {
    const format::Record& record = *rules.Of;
    // Records past the bytes the walk reached, or past the file's end, hold nothing to check.
    const int64_t last = std::min(end, facts.FileSize);
    if (first < 0)
        return;
    count = std::clamp<int64_t>(count, 0, std::max<int64_t>(0, (last - first) / record.Size));
    RecordContext at{.Level = level,
                     .Facts = facts,
                     .Out = out,
                     .Of = record,
                     .At = first,
                     .RunPlace = place,
                     .Index = 0,
                     .Room = room,
                     .RoomVertices = roomVertices};
    for (int64_t i = 0; i < count; ++i) {
        at.At = first + i * record.Size;
        at.Index = i;
        for (const IndexRule& rule : rules.Indexes)
            CheckIndex(at, rule);
        for (const ReachRule& rule : rules.Reaches)
            CheckReach(at, rule);
        for (const OrderRule& rule : rules.Orders)
            CheckOrder(at, rule);
        if (rules.Extra)
            rules.Extra(at);
    }
}

const RecordRules* RulesOf(const format::Record* record) {
    for (const auto table : {MeshRecordRules(), TextureRecordRules(), NavigationRecordRules()})
        for (const RecordRules& rules : table)
            if (rules.Of == record)
                return &rules;
    return nullptr;
}

} // namespace check
