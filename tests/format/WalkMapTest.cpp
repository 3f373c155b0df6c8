// The walk map against the level builder's own record of where it put each chunk and room, the
// format description against the detail header lines, and the map's queries against the report text.
#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "UnitRun.h"
#include "format/LevelFormat.h"
#include "format/WalkMap.h"
#include "format/walk/Walker.h"
#include "report/ReportRun.h"

namespace {

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    const auto last = s.find_last_not_of(' ');
    return first == std::string_view::npos ? "" : std::string(s.substr(first, last - first + 1));
}

std::vector<std::string> Columns(std::string_view header) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t comma; (comma = header.find(',', start)) != std::string_view::npos; start = comma + 1)
        out.push_back(Trim(header.substr(start, comma - start)));
    out.push_back(Trim(header.substr(start)));
    return out;
}

// A whole walk of builder bytes; the map and the report lines stay in the state.
struct Walked {
    AppState State;
    std::vector<std::string> Lines;
    int Fault = 0;
    Walked(const std::vector<uint8_t>& bytes, int16_t generation, const DetailOptionSet& options) {
        State.DetailOptions = options;
        const LevelFile level = LevelFile::FromBytes(bytes);
        try {
            WalkLevel(WalkOutputOf(State, level), level, static_cast<format::Generation>(generation),
                      format::kVersionWordBytes);
        } catch (const WalkFault& fault) {
            Fault = fault.Number;
        }
        Lines = ::Lines(State.Report.Text());
    }
    const WalkMap& Map() const { return State.Map; }
};

TEST(LevelFormat, EveryDetailHeaderLineNamesItsRecordsFields) {
    for (const format::Record* record : format::kAllRecords) {
        SCOPED_TRACE(std::string(record->Name));
        std::vector<std::string> columns = Columns(record->Header);
        ASSERT_GT(columns.size(), record->LeadColumns);
        columns.erase(columns.begin(), columns.begin() + record->LeadColumns);
        std::vector<std::string> fields;
        for (const format::Field& f : record->Fields)
            fields.emplace_back(f.Name);
        EXPECT_EQ(columns, fields);
    }
}

TEST(LevelFormat, RecordSizesMatchWhatTheBuilderWrites) {
    // One more record in a list grows the built file by exactly the record's size.
    struct Case {
        const format::Record& Record;
        void (*Add)(Level&);
    };
    const Case cases[] = {
        {format::kCamera, [](Level& l) { l.Cameras.Add({}); }},
        {format::kItem, [](Level& l) { l.Items.Add({}); }},
        {format::kAnimation, [](Level& l) { l.Animations.Add({}); }},
        {format::kMoveable, [](Level& l) { l.Moveables.Add({}); }},
        {format::kStaticMesh, [](Level& l) { l.StaticMeshes.Add({}); }},
        {format::kObjectTextureDM2, [](Level& l) { l.ObjectTextures.Add({}); }},
        {format::kSpriteTexture, [](Level& l) { l.SpriteTextures.Add({}); }},
        {format::kBox, [](Level& l) { l.Boxes.Add({}); }},
        {format::kCinematicFrame, [](Level& l) { l.CinematicFrames.Add({}); }},
        {format::kSoundDetail, [](Level& l) { l.SoundDetails.Add({}); }},
        {format::kDoor, [](Level& l) { l.Rooms.Items[0].Doors.Add({}); }},
        {format::kLight, [](Level& l) { l.Rooms.Items[0].Lights.Add({}); }},
        {format::kRoomStaticMesh, [](Level& l) { l.Rooms.Items[0].StaticMeshes.Add({}); }},
        {format::kVertex, [](Level& l) { l.Rooms.Items[0].Vertices.Add({}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Record.Name));
        Level level;
        level.Rooms.Add({});
        const size_t before = Build(level).size();
        c.Add(level);
        // A box brings its zone block along.
        const size_t zone = &c.Record == &format::kBox ? format::kZone.Size : 0;
        EXPECT_EQ(Build(level).size() - before, static_cast<size_t>(c.Record.Size) + zone);
    }
}

// For every generation and option set, the top-level chunks tile the file from the version word to its
// end, and each chunk and room starts where the builder put it.
TEST(WalkMap, ChunksTileTheFileWhereTheBuilderPutThem) {
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        for (bool on : {false, true}) {
            SCOPED_TRACE(testing::Message() << "DM" << generation << (on ? " all" : " none"));
            const Built b(FilledLevel(generation));
            const Walked w(b.Bytes, generation, AllOptions(on));
            const WalkMap& map = w.Map();
            ASSERT_EQ(map.Ending(), WalkEnding::Completed);
            EXPECT_EQ(map.EndOffset(), static_cast<int32_t>(b.Bytes.size()));

            const std::vector<int32_t> top = map.TopLevel();
            int32_t expected = 4;
            for (int32_t i : top) {
                EXPECT_EQ(map[i].First, expected) << map[i].Name();
                EXPECT_EQ(map[i].Flags, 0) << map[i].Name();
                expected = map[i].End;
            }
            EXPECT_EQ(expected, static_cast<int32_t>(b.Bytes.size()));

            const Layout& at = b.Where;
            const std::pair<Piece, int32_t> placed[] = {
                {Piece::Rooms, at.RoomCount},
                {Piece::FloorData, at.FloorData},
                {Piece::MeshData, at.MeshData},
                {Piece::MeshPointers, at.MeshPointers},
                {Piece::Animations, at.Animations},
                {Piece::StateChanges, at.StateChanges},
                {Piece::AnimDispatches, at.AnimDispatches},
                {Piece::AnimCommands, at.AnimCommands},
                {Piece::MeshTrees, at.MeshTrees},
                {Piece::Frames, at.Frames},
                {Piece::Moveables, at.Moveables},
                {Piece::StaticMeshes, at.StaticMeshes},
                {Piece::ObjectTextures, at.ObjectTextures},
                {Piece::SpriteTextures, at.SpriteTextures},
                {Piece::SpriteSequences, at.SpriteSequences},
                {Piece::Cameras, at.Cameras},
                {Piece::SoundSources, at.SoundSources},
                {Piece::Boxes, at.Boxes},
                {Piece::Overlaps, at.Overlaps},
                {Piece::Zones, at.Zones},
                {Piece::AnimatedTextures, at.AnimatedTextures},
                {Piece::Items, at.Items},
                {Piece::LightMap, at.LightMap},
                {Piece::CinematicFrames, at.CinematicFrames},
                {Piece::DemoData, at.DemoData},
                {Piece::SoundMap, at.SoundMap},
                {Piece::SoundDetails, at.SoundDetails},
                {Piece::SampleIndices, at.SampleIndices},
            };
            for (const auto& [piece, offset] : placed) {
                const int32_t span = map.Find(piece);
                ASSERT_GE(span, 0) << InfoOf(piece).Name;
                EXPECT_EQ(map[span].First, offset) << InfoOf(piece).Name;
                EXPECT_EQ(map[span].Kind, SpanKind::Chunk) << InfoOf(piece).Name;
            }
            const std::vector<int32_t> rooms = map.Children(map.Find(Piece::Rooms));
            ASSERT_EQ(rooms.size(), at.Rooms.size());
            for (size_t r = 0; r < rooms.size(); ++r) {
                EXPECT_EQ(map[rooms[r]].First, at.Rooms[r]);
                EXPECT_EQ(map[rooms[r]].Index, static_cast<int16_t>(r));
                const int32_t end = r + 1 < rooms.size() ? at.Rooms[r + 1] : at.FloorData;
                EXPECT_EQ(map[rooms[r]].End, end);
            }
        }
    }
}

// The option sets the map's queries are checked with: every section listed, none, and every one but the
// room header (whose part then writes no line of its own). Runs: how many listed runs the walk makes
// at least.
struct OptionCase {
    const char* Name;
    DetailOptionSet Options;
    int Runs;
};
std::vector<OptionCase> OptionCases() {
    DetailOptionSet noRoomHeader = AllOptions(true);
    noRoomHeader.Set(optRoomInfo, false);
    return {
        {"all", AllOptions(true), 31}, {"none", AllOptions(false), 0}, {"no room header", noRoomHeader, 31}};
}

// The span that wrote a line, found the slow way: the deepest of the spans whose lines hold it (spans
// that hold a line are nested, so the deepest is the most specific).
int32_t DeepestSpanOfLine(const WalkMap& map, int32_t line) {
    int32_t found = -1;
    for (int32_t i = 0; i < map.Size(); ++i)
        if (line >= map[i].Line && line < map[i].EndLine && (found < 0 || map[i].Depth > map[found].Depth))
            found = i;
    return found;
}

// Every summary line stands at its span's first line, every run's header line at the run's, and every
// record line where the run's arithmetic puts it; the queries answer from bytes to lines and back.
TEST(WalkMap, LinesAndBytesAnswerEachOther) {
    for (const OptionCase& options : OptionCases()) {
        for (int16_t generation : {int16_t{2}, int16_t{3}}) {
            SCOPED_TRACE(testing::Message() << "DM" << generation << ", options " << options.Name);
            const Built b(FilledLevel(generation));
            const Walked w(b.Bytes, generation, options.Options);
            const WalkMap& map = w.Map();
            int runs = 0;
            for (int32_t i = 0; i < map.Size(); ++i) {
                const Span& s = map[i];
                SCOPED_TRACE(std::string(s.Name()));
                ASSERT_LE(static_cast<size_t>(s.Line), w.Lines.size());
                if (s.Kind == SpanKind::Run) {
                    ++runs;
                    EXPECT_EQ(w.Lines[static_cast<size_t>(s.Line)], s.Record()->Header);
                    EXPECT_EQ(s.End - s.First, s.Count * s.Record()->Size);
                    EXPECT_EQ(s.EndLine - s.Line, 1 + s.Count * s.Record()->LinesPerRecord);
                    for (int32_t r : {0, s.Count - 1}) {
                        const int32_t line = map.LineOfRecord(i, r);
                        const int32_t first = map.RecordFirst(i, r);
                        if (s.Record()->LeadColumns == 3 && generation == 2) {
                            EXPECT_TRUE(w.Lines[static_cast<size_t>(line)].starts_with(At(first)));
                        }
                        EXPECT_EQ(map.LineAt(first + s.Record()->Size - 1), line);
                        const LineBytes bytes = map.BytesOfLine(line);
                        EXPECT_EQ(bytes.Span, i);
                        EXPECT_EQ(bytes.Record, r);
                        EXPECT_EQ(bytes.First, first);
                        EXPECT_EQ(bytes.End, first + s.Record()->Size);
                    }
                } else if (s.CountWidth > 0 && s.EndLine > s.Line) {
                    EXPECT_TRUE(w.Lines[static_cast<size_t>(s.Line)].starts_with(At(s.First)))
                        << w.Lines[s.Line];
                    const LineBytes bytes = map.BytesOfLine(s.Line);
                    EXPECT_EQ(bytes.First, s.First);
                    EXPECT_EQ(bytes.End, s.First + s.CountWidth);
                    EXPECT_EQ(bytes.DimEnd, s.End);
                }
            }
            EXPECT_GE(runs, options.Runs);
            // Every line of the report, and one past them, to the span that wrote it.
            int32_t wrong = 0;
            for (int32_t line = 0; line <= map.LineCount(); ++line)
                wrong += map.SpanOfLine(line) != DeepestSpanOfLine(map, line);
            EXPECT_EQ(wrong, 0) << "of " << map.LineCount() << " lines";
            // The lines before the walk belong to no span; the field stepped over behind the tiles belongs
            // to the tile chunk.
            EXPECT_EQ(map.SpanOfLine(0), -1);
            EXPECT_EQ(map[map.SpanAt(b.Where.RoomCount - 1)].What, Piece::AfterTiles);
            EXPECT_EQ(map[map[map.SpanAt(b.Where.RoomCount - 1)].Parent].What, Piece::TextureTiles);
            // The room header line to the room's header, where the header is listed.
            const int32_t header = map.Find(Piece::RoomHeader);
            if (options.Options.On(optRoomInfo)) {
                const LineBytes bytes = map.BytesOfLine(map[header].Line + 1);
                EXPECT_EQ(bytes.End - bytes.First, format::kRoomHeader.Size);
            }
        }
    }
}

// A span that wrote no line of its own (the room header not listed, a field stepped over) is shown,
// when the outline or the strata bar selects it, at the first line around it that describes its bytes:
// the room's summary line, the tile chunk's line.
TEST(WalkMap, ASpanWithoutALineOfItsOwnShowsAtTheLineAroundIt) {
    for (const OptionCase& options : OptionCases()) {
        SCOPED_TRACE(options.Name);
        const Built b(FilledLevel(2));
        const Walked w(b.Bytes, 2, options.Options);
        const WalkMap& map = w.Map();
        const int32_t afterTiles = map.Find(Piece::AfterTiles);
        ASSERT_GE(afterTiles, 0);
        ASSERT_EQ(map[afterTiles].EndLine, map[afterTiles].Line);
        const int32_t tiles = map.Find(Piece::TextureTiles);
        EXPECT_EQ(map.LineAt(map[afterTiles].First), map[tiles].Line);
        EXPECT_TRUE(w.Lines[static_cast<size_t>(map[tiles].Line)].starts_with(At(map[tiles].First)));

        const int32_t header = map.Find(Piece::RoomHeader);
        ASSERT_GE(header, 0);
        const int32_t room = map[header].Parent;
        ASSERT_EQ(map[room].Kind, SpanKind::Room);
        const int32_t line = map.LineAt(map[header].First);
        if (options.Options.On(optRoomInfo)) {
            // Listed: the header's own record line.
            EXPECT_EQ(line, map[header].Line + 1);
            EXPECT_EQ(map.BytesOfLine(line).Span, header);
        } else {
            EXPECT_EQ(map[header].EndLine, map[header].Line);
            EXPECT_EQ(line, map[room].Line);
            EXPECT_EQ(map.SpanOfLine(line), room);
        }
    }
}

// Where a walk ends early or runs past the end of the file, the map says where.
TEST(WalkMap, SaysWhereAWalkEndedEarlyOrRanPastTheEnd) {
    const Built b(FilledLevel(2));
    {
        // Cut in the middle of the rooms: the walk completes past the end on zeros.
        const std::vector<uint8_t> cut(b.Bytes.begin(), b.Bytes.begin() + b.Where.Rooms[1] + 10);
        const Walked w(cut, 2, AllOptions(false));
        EXPECT_EQ(w.Map().Ending(), WalkEnding::Completed);
        const int32_t rooms = w.Map().Find(Piece::Rooms);
        EXPECT_TRUE(w.Map()[rooms].Has(Span::PastEnd));
        EXPECT_FALSE(w.Map()[w.Map().Find(Piece::TextureTiles)].Has(Span::PastEnd));
        EXPECT_GT(w.Map().EndOffset(), static_cast<int32_t>(cut.size()));
    }
    {
        // A camera count whose byte figure overflows: the walk ends at the count, inside the chunk.
        std::vector<uint8_t> bytes = b.Bytes;
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<size_t>(b.Where.Cameras + i)] = i == 3 ? 0x7F : 0xFF;
        const Walked w(bytes, 2, AllOptions(false));
        EXPECT_EQ(w.Fault, kOverflowFault);
        EXPECT_EQ(w.Map().Ending(), WalkEnding::Overflow);
        EXPECT_EQ(w.Map().EndOffset(), b.Where.Cameras);
        const int32_t cameras = w.Map().Find(Piece::Cameras);
        ASSERT_GE(cameras, 0);
        EXPECT_TRUE(w.Map()[cameras].Has(Span::Cut));
        EXPECT_EQ(w.Map().Find(Piece::SoundSources), -1);
    }
}

// The zones' byte figure (box count x 20) is worked out after their separator, so a figure that
// overflows leaves the separator as the report's last line.
TEST(WalkMap, ZonesThatOverflowKeepTheirSeparator) {
    Level level = FilledLevel(2);
    level.Boxes.Count = 107374183; // x 8 fits 32 bits, x 20 does not
    const Built b(level);
    const Walked w(b.Bytes, 2, AllOptions(false));
    EXPECT_EQ(w.Fault, kOverflowFault);
    ASSERT_FALSE(w.Lines.empty());
    EXPECT_EQ(w.Lines.back(), kSep);
    EXPECT_NE(w.Lines[w.Lines.size() - 2].find(",Overlaps,"), std::string::npos);
    EXPECT_EQ(w.Map().Ending(), WalkEnding::Overflow);
    EXPECT_TRUE(w.Map()[w.Map().Find(Piece::Zones)].Has(Span::Cut));
}

TEST(WalkMap, ANonLevelEndsAsNotALevel) {
    TempDir dir;
    std::vector<uint8_t> bytes(64, 0);
    bytes[0] = 0x20; // DM1
    AppState state;
    EXPECT_EQ(ReportLevelFile(state, dir.Write("dm1.dm2", bytes)), 0);
    EXPECT_EQ(state.Map.Ending(), WalkEnding::NotALevel);
    EXPECT_TRUE(state.Map.Empty());
    EXPECT_EQ(EndingName(state.Map.Ending()), "not-a-level");
}

} // namespace

namespace {

// A run that cannot read its file leaves the last report, and with it the map and the bytes the views
// show; a run that reads a file that is no level replaces them.
TEST(WalkMap, StaysWithTheReportItDescribes) {
    TempDir dir;
    AppState state;
    const std::string level = dir.Write("level.dm2", Build(FilledLevel(2)));
    ASSERT_EQ(ReportLevelFile(state, level), 0);
    const int32_t spans = state.Map.Size();
    ASSERT_GT(spans, 0);
    for (const std::string& unreadable :
         {(dir.Path() / "missing.dm2").string(), dir.Write("empty.dm2", {})}) {
        EXPECT_NE(ReportLevelFile(state, unreadable), 0);
        EXPECT_EQ(state.Map.Size(), spans) << unreadable;
        EXPECT_EQ(state.Map.Ending(), WalkEnding::Completed);
        ASSERT_TRUE(state.Level);
        EXPECT_EQ(state.Level->Size(), state.Map.FileSize());
    }
    EXPECT_EQ(ReportLevelFile(state, dir.Write("short.dm2", {1, 2})), 0);
    EXPECT_TRUE(state.Map.Empty());
    EXPECT_EQ(state.Map.Ending(), WalkEnding::NotALevel);
    EXPECT_EQ(state.Level->Size(), 2);
}

} // namespace

namespace {

// The lines each piece wrote itself, its children's left out, summed over the walk.
std::map<Piece, int32_t> OwnLinesByPiece(const WalkMap& map) {
    std::map<Piece, int32_t> lines;
    for (int32_t i = 0; i < map.Size(); ++i) {
        int32_t own = map[i].EndLine - map[i].Line;
        for (int32_t child : map.Children(i))
            own -= map[child].EndLine - map[child].Line;
        // A listed run's records are listed by the option of the chunk or part that holds it.
        const Piece lister =
            map[i].What == Piece::Records && map[i].Parent >= 0 ? map[map[i].Parent].What : map[i].What;
        lines[lister] += own;
    }
    return lines;
}

// The piece of the span that holds the first span of piece.
Piece HolderOf(const WalkMap& map, Piece piece) {
    const int32_t span = map.Find(piece);
    return span >= 0 && map[span].Parent >= 0 ? map[map[span].Parent].What : Piece::Records;
}

// PieceInfo against the walk of the filled levels: every span's count field is as wide as its piece
// says, and turning one detail option off lists fewer lines only in pieces whose option it is (the room
// and the room chunk excepted: their own lines are those of several room options). Every piece the walk
// lists a run of records in is one that an option lists.
TEST(PieceInfo, CountWidthsAndOptionsAreThoseOfTheWalk) {
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        SCOPED_TRACE(testing::Message() << "DM" << generation);
        const Built b(FilledLevel(generation));
        for (bool on : {false, true}) {
            const Walked w(b.Bytes, generation, AllOptions(on));
            ASSERT_EQ(w.Fault, 0);
            for (const Span& s : w.Map().Spans())
                EXPECT_EQ(s.CountWidth, InfoOf(s.What).CountWidth) << InfoOf(s.What).Name;
        }
        const Walked all(b.Bytes, generation, AllOptions(true));
        const std::map<Piece, int32_t> whole = OwnLinesByPiece(all.Map());
        std::set<Piece> listed;
        for (int option = 0; option < kDetailOptionCount; ++option) {
            DetailOptionSet allBut = AllOptions(true);
            allBut.Set(option, false);
            const Walked w(b.Bytes, generation, allBut);
            ASSERT_EQ(w.Fault, 0);
            const std::map<Piece, int32_t> fewer = OwnLinesByPiece(w.Map());
            for (const auto& [piece, lines] : whole) {
                const auto left = fewer.find(piece);
                if (piece == Piece::Rooms || piece == Piece::Room ||
                    (left != fewer.end() && left->second == lines))
                    continue;
                // A piece that is gone went with the part that holds it (the sprites with the room's meshes).
                const bool gone = left == fewer.end() && InfoOf(HolderOf(all.Map(), piece)).Option == option;
                if (!gone) {
                    EXPECT_EQ(InfoOf(piece).Option, option) << InfoOf(piece).Name << " listed by " << option;
                }
                if (InfoOf(piece).Option == option)
                    listed.insert(piece);
            }
        }
        for (const Span& s : all.Map().Spans()) {
            if (s.Kind == SpanKind::Run && s.Parent >= 0) {
                EXPECT_TRUE(listed.contains(all.Map()[s.Parent].What))
                    << InfoOf(all.Map()[s.Parent].What).Name;
            }
        }
    }
}

} // namespace
