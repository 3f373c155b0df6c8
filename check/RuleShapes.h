#pragma once
// The checker's inside: what every rule needs to know of the level (the lists' lengths, the object IDs
// there are), the counter findings pass through, and the small table shapes the rules of each area are
// written in. One record kind's rules are one RecordRules row; a generic loop reads every record of a
// run through the format table and tests it against the rows (CheckRules.cpp).
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/Check.h"
#include "format/LevelFile.h"
#include "format/LevelFormat.h"

namespace check {

// The lists a reference can point into; each has a length the level holds (or none, where the walk did
// not reach it).
enum class Bound : uint8_t {
    Rooms,
    RoomVertices, // of the room the record belongs to
    Tiles,
    FloorWords,
    MeshDataBytes,
    MeshPointers,
    Animations,
    StateChanges,
    AnimDispatches,
    AnimCommands,
    MeshTreeWords,
    FrameBytes,
    ObjectTextures,
    SpriteTextures,
    Boxes,
    Overlaps,
    SoundDetails,
    SampleIndices,
    Last = SampleIndices,
};

// How a message names a list's members: "the level has 3 rooms", "the room has 4 vertices".
std::string_view BoundWords(Bound b);
std::string BoundText(Bound b, int64_t n); // "the level has 3 rooms"

// A field handle by the field's name in its record's table, found at compile time.
consteval const format::Field* FieldOf(const format::Record& record, std::string_view name) {
    for (const format::Field& f : record.Fields)
        if (f.Name == name)
            return &f;
    throw "no such field";
}

// Whether the reading of a field is certain in this generation.
enum class Generations : uint8_t { Both, DM2Only };

// A field that indexes a list: valid when it is the "none" value, or 0 <= (value & Mask) < the bound.
struct IndexRule {
    std::string_view Rule;
    const format::Field* Of;
    Bound Within;
    std::optional<int64_t> None = std::nullopt; // compared with the stored value, before masking
    int64_t Mask = 0;                           // 0: the stored value as it is
    Generations In = Generations::Both;
};

// A run of Per x (Count - Less) entries from Start: valid when Start >= 0 and Start + the entries <= the
// bound. A record whose entries are 0 or fewer reaches nothing and is not tested.
struct ReachRule {
    std::string_view Rule;
    const format::Field* Start;
    const format::Field* Count;
    Bound Within;
    int32_t Per = 1;
    int32_t Less = 0;     // entries = Per x (Count - Less)
    bool Negated = false; // the count is stored as its negation (a sprite sequence's NegativeLength)
};

// Two fields that must stand in order: Low <= High. Bytes may be read as signed steps; Why ends the
// message.
struct OrderRule {
    std::string_view Rule;
    const format::Field* Low;
    const format::Field* High;
    bool SignedBytes = false;
    std::string_view Why = {};
};

// A rule of its own shape (a door and its own room, a moveable's frames only where it has animations).
struct RecordContext;
using ExtraRule = void (*)(const RecordContext& at);

struct RecordRules {
    const format::Record* Of;
    std::span<const IndexRule> Indexes = {};
    std::span<const ReachRule> Reaches = {};
    std::span<const OrderRule> Orders = {};
    ExtraRule Extra = nullptr;
};

// What the level holds, gathered from the walk map before the records are checked.
struct LevelFacts {
    std::array<std::optional<int64_t>, static_cast<size_t>(Bound::Last) + 1> Lengths{};
    int64_t FileSize = 0;
    format::Generation Generation = format::Generation::DM2;
    // 16-bit object IDs of the static meshes, and of the moveables and sprite sequences: room static
    // meshes and items name them with 16 bits. Unset while their chunks were not reached.
    std::optional<std::bitset<65536>> StaticMeshIds;
    std::optional<std::bitset<65536>> ObjectIds;

    std::optional<int64_t> Length(Bound b) const { return Lengths[static_cast<size_t>(b)]; }
    void SetLength(Bound b, int64_t n) { Lengths[static_cast<size_t>(b)] = n < 0 ? 0 : n; }
};

// Counts findings and hands them on, up to the most given per rule.
class Counter {
  public:
    Counter(const CheckOptions& options, FindingSink& sink);
    bool Runs(const Rule& rule) const;
    // Counts a finding of a rule that runs; true when it is to be handed on (within the cap).
    bool Take(const Rule& rule);
    void Give(const Finding& finding) { sink_.Found(finding); }
    // Take and Give in one, for findings made whatever the cap.
    void Report(const Finding& finding) {
        if (Take(*finding.Of))
            Give(finding);
    }
    CheckCounts Counts() const { return counts_; }

  private:
    const CheckOptions& options_;
    FindingSink& sink_;
    CheckCounts counts_;
    std::vector<int64_t> given_; // findings of each rule, by its place in Rules()
};

// One record being checked: where it stands, what it is called, and what it may point at.
struct RecordContext {
    const LevelFile& Level;
    const LevelFacts& Facts;
    Counter& Out;
    const format::Record& Of;
    int64_t At;                // the record's first byte
    std::string_view RunPlace; // "Rooms > room 1 > Doors"
    int64_t Index;             // the record's number in its run
    int16_t Room = -1;         // the room it belongs to, -1 outside the rooms
    int64_t RoomVertices = 0;

    int64_t Stored(const format::Field& f) const;
    // Reports a finding of rule `id` on field f, its value as the report shows it; the message is made
    // only when the finding is handed on.
    template <class Message> void Found(std::string_view id, const format::Field& f, Message message) const {
        const Rule& rule = *RuleById(id);
        if (Out.Take(rule))
            Out.Give(Make(rule, f, message()));
    }
    Finding Make(const Rule& rule, const format::Field& f, std::string message) const;
};

// Checks records [0, count) of a run whose record 0 stands at first, up to the byte `end` the walk
// reached and the file's end. `place` names the run ("Rooms > room 1 > Doors"); each record's place
// adds its noun and number.
void CheckRun(const LevelFile& level, const LevelFacts& facts, Counter& out, const RecordRules& rules,
              int64_t first, int64_t count, int64_t end, std::string_view place, int16_t room = -1,
              int64_t roomVertices = 0);

// The value as the report shows it, in a message: "AdjoiningRoom is 7", and the index it stands for
// where that is another number (a texture shown from 1, flag bits, a 16-bit index read unsigned):
// "Texture is 7 (index 6)".
std::string ValueText(const format::Field& f, int64_t stored, format::Generation g,
                      std::optional<int64_t> index = std::nullopt);

// The rule tables of each area behind the rooms (the rooms' own are checked by CheckRoom).
std::span<const RecordRules> MeshRecordRules();
std::span<const RecordRules> TextureRecordRules();
std::span<const RecordRules> NavigationRecordRules();
const RecordRules* RulesOf(const format::Record* record);

// A room's runs and fields, kept small so that 32767 rooms can wait for the lists behind them.
struct RoomRun {
    int32_t First = 0, Count = 0, End = 0;
};
struct RoomRefs {
    int16_t Index = -1;
    int32_t Vertices = 0;
    // The mesh data size field, its value in 16-bit words, and the end of the lists it covers.
    int32_t MeshAt = -1, MeshWords = 0, MeshEnd = 0;
    bool MeshWhole = false; // the lists were walked to their end
    RoomRun Rectangles, Triangles, Sprites, Doors, Sectors, StaticMeshes;
    int32_t AlternateAt = -1;
};
// The room whose span is `room` in the map, gathered from its children.
RoomRefs GatherRoom(const WalkMap& map, int32_t room);
// Checks one room's records and fields.
void CheckRoom(const LevelFile& level, const LevelFacts& facts, Counter& out, const RoomRefs& room);

} // namespace check
