// The streamed report (strata-report's) against the pane's: byte for byte the same text and the same
// walk map, written serially in blocks or with the listed runs formatted by several threads, for every
// kind of builder level and option set, for damaged levels that fault part-way, and where the size
// limit ends the walk. And a mapped level file cut shorter while it is walked.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/mman.h>
#include <unistd.h>

#include "format/MappedBytes.h"
#include "fuzz/HostileLevels.h"
#include "hardening/HardeningSupport.h"
#include "report/ReportRun.h"
#include "report/StreamedReport.h"

using namespace hardening;
using namespace levelbuilder;

namespace {

struct TextSink final : ReportSink {
    std::string Text;
    int Blocks = 0;
    std::function<void()> OnFirstBlock;
    void Write(std::string_view block) override {
        if (Blocks++ == 0 && OnFirstBlock)
            OnFirstBlock();
        Text.append(block);
    }
};

struct RunResult {
    int16_t Status = 0;
    std::string Text;
    RunOutcome Outcome;
    WalkMap Map;
};

AppState Fresh(const std::filesystem::path& tiles, const DetailOptionSet& options, int64_t fixedBytes) {
    AppState state = StateWith(tiles, options);
    state.ReportFixedBytes = fixedBytes;
    return state;
}

RunResult InPane(const std::string& path, const std::filesystem::path& tiles, const DetailOptionSet& options,
                 int64_t fixedBytes) {
    AppState state = Fresh(tiles, options, fixedBytes);
    RunResult run;
    run.Status = ReportLevelFile(state, path);
    run.Text = state.Report.Str();
    run.Outcome = state.LastRun;
    run.Map = state.Map;
    return run;
}

RunResult Streamed(const std::string& path, const std::filesystem::path& tiles,
                   const DetailOptionSet& options, int64_t fixedBytes, unsigned threads) {
    AppState state = Fresh(tiles, options, fixedBytes);
    TextSink sink;
    RunResult run;
    run.Status = StreamLevelReport(state, path, sink, threads);
    run.Text = std::move(sink.Text);
    run.Outcome = state.LastRun;
    run.Map = state.Map;
    EXPECT_TRUE(state.Report.Str().empty());
    return run;
}

void ExpectSameRun(const RunResult& expected, const RunResult& got, const std::string& what) {
    EXPECT_EQ(got.Status, expected.Status) << what;
    ASSERT_EQ(got.Text.size(), expected.Text.size()) << what;
    EXPECT_TRUE(got.Text == expected.Text)
        << what << ": first difference at byte "
        << std::mismatch(got.Text.begin(), got.Text.end(), expected.Text.begin()).first - got.Text.begin();
    EXPECT_EQ(got.Outcome.End.Offset, expected.Outcome.End.Offset) << what;
    EXPECT_EQ(got.Map.Ending(), expected.Map.Ending()) << what;
    EXPECT_EQ(got.Map.EndOffset(), expected.Map.EndOffset()) << what;
    EXPECT_EQ(got.Map.LineCount(), expected.Map.LineCount()) << what;
    ASSERT_EQ(got.Map.Size(), expected.Map.Size()) << what;
    for (int32_t i = 0; i < got.Map.Size(); ++i) {
        const Span &a = got.Map[i], &b = expected.Map[i];
        EXPECT_TRUE(a.First == b.First && a.End == b.End && a.Line == b.Line && a.EndLine == b.EndLine &&
                    a.Count == b.Count && a.Flags == b.Flags)
            << what << ": span " << i;
    }
}

// Every way of streaming gives the pane's text: serially in blocks, and with two and three threads.
void ExpectStreamsLikePane(const std::string& path, const TempDir& tiles, const std::string& what,
                           int64_t fixedBytes = kReportFixedBytes,
                           const std::vector<OptionSet>& sets = OptionSets()) {
    for (const OptionSet& set : sets) {
        const RunResult expected = InPane(path, tiles.Path(), set.Options, fixedBytes);
        for (unsigned threads : {1u, 2u, 3u})
            ExpectSameRun(expected, Streamed(path, tiles.Path(), set.Options, fixedBytes, threads),
                          what + ", options " + set.Name + ", threads " + std::to_string(threads));
    }
}

// A level whose listed runs are long: several blocks of report, several pieces a run, and big enough
// to be mapped.
Level LongListsLevel(int16_t generation) {
    Level level = SmallLevel(generation);
    level.FloorData.Items.assign(30000, 0x8104);
    level.MeshPointers.Items.assign(20000, -4);
    level.Frames.Items.assign(40000, 3);
    level.Overlaps.Items.assign(9000, 0x8001);
    Room room = level.Rooms.Items.at(0);
    room.Vertices.Items.assign(3000, {1, -2, 3, {}});
    level.Rooms.Items.assign(4, room);
    return level;
}

// A level of many short runs: hundreds of rooms of a few records each, so that many runs and the lines
// between them share a piece; with the rooms undetailed, their lines are one stretch longer than a
// piece between runs.
Level ManyRoomsLevel(int16_t generation) {
    Level level = SmallLevel(generation);
    Room room = level.Rooms.Items.at(0);
    room.Vertices.Items.assign(5, {1, -2, 3, {}});
    room.Rectangles.Items.assign(3, {{1, 2, 3, 4}, 5});
    level.Rooms.Items.assign(1500, room);
    level.Overlaps.Items.assign(9000, 0x8001);
    return level;
}

} // namespace

TEST(StreamedReport, EveryBuilderLevelStreamsAsThePaneHoldsIt) {
    TempDir dir, tiles;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        const std::string tag = "DM" + std::to_string(generation);
        ExpectStreamsLikePane(dir.Write("filled." + tag, Build(FilledLevel(generation))), tiles,
                              "filled " + tag);
        ExpectStreamsLikePane(dir.Write("long." + tag, Build(LongListsLevel(generation))), tiles,
                              "long " + tag);
        std::vector<OptionSet> sets = OptionSets();
        sets.push_back({"floors and overlaps", {}});
        sets.back().Options.Set(10, true);
        sets.back().Options.Set(27, true);
        ExpectStreamsLikePane(dir.Write("rooms." + tag, Build(ManyRoomsLevel(generation))), tiles,
                              "rooms " + tag, kReportFixedBytes, sets);
    }
    // Not levels, and a level of the first game.
    ExpectStreamsLikePane(dir.Write("dm1", {0x20, 0, 0, 0, 1, 2}), tiles, "dm1");
    ExpectStreamsLikePane(dir.Write("other", {1, 2, 3, 4, 5}), tiles, "other");
    // A missing file: nothing written either way.
    EXPECT_EQ(Streamed((dir.Path() / "missing").string(), tiles.Path(), {}, kReportFixedBytes, 2).Text, "");
}

// Damaged levels: cut short, and with counts that fault (an overflow at a summary, more than 32767
// records right after a run's header line) or step back, in the room lists and the chunks.
TEST(StreamedReport, DamagedLevelsEndAtTheSameLine) {
    TempDir dir, tiles;
    for (int16_t generation : {int16_t{2}, int16_t{3}}) {
        Layout l;
        const std::vector<uint8_t> whole = Build(LongListsLevel(generation), l);
        const std::string tag = "DM" + std::to_string(generation);
        for (int32_t cut :
             {l.RoomCount + 40, l.FloorData + 2001, l.Frames + 3, l.Overlaps + 777, l.End - 9}) {
            const std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
            ExpectStreamsLikePane(dir.Write("cut", part), tiles, tag + " cut at " + std::to_string(cut));
        }
        const std::pair<int32_t, int32_t> patches[] = {
            {l.FloorData, 32768}, {l.FloorData, 0x7FFFFFFF},   {l.MeshPointers, -7}, {l.Frames, 0x40000000},
            {l.Overlaps, 32767},  {l.Rooms.at(1) + 20, 32767}, {l.Boxes, -3},        {l.Items, 32768}};
        for (const auto& [at, count] : patches) {
            std::vector<uint8_t> bytes = whole;
            for (int b = 0; b < 4; ++b)
                bytes[static_cast<size_t>(at + b)] =
                    static_cast<uint8_t>(static_cast<uint32_t>(count) >> (8 * b));
            ExpectStreamsLikePane(dir.Write("patched", bytes), tiles,
                                  tag + " count " + std::to_string(count) + " at " + std::to_string(at));
        }
    }
}

// Rooms that go over the same bytes again reach the size limit: the streamed text ends after the same
// line, and a walk leaving holes gives them up for the walk that writes every line.
TEST(StreamedReport, SizeLimitEndsTheStreamAtTheSameLine) {
    TempDir dir, tiles;
    const std::string path = dir.Write("loop.dm2", hostile::RoomLoopLevel(2000, 200));
    for (const int64_t fixedBytes : {int64_t{100'000}, int64_t{1} << 20}) {
        const RunResult expected = InPane(path, tiles.Path(), OptionSets()[1].Options, fixedBytes);
        ASSERT_EQ(expected.Status, kReportLimitFault);
        for (unsigned threads : {1u, 2u})
            ExpectSameRun(expected,
                          Streamed(path, tiles.Path(), OptionSets()[1].Options, fixedBytes, threads),
                          "limit " + std::to_string(fixedBytes) + ", threads " + std::to_string(threads));
    }
    ExpectStreamsLikePane(path, tiles, "loop, limit 300000", 300'000);
}

// A mapped level cut shorter by another program in the middle of the walk: the walk neither faults nor
// stops; the bytes gone read as zeros, so the report is that of the file with its tail zeroed.
TEST(StreamedReport, FileCutWhileItIsWalkedReadsZerosPastTheCut) {
    TempDir dir, tiles;
    Layout l;
    const std::vector<uint8_t> whole = Build(LongListsLevel(2), l);
    ASSERT_GE(static_cast<int64_t>(whole.size()), LevelFile::kMapFrom);
    // The floor words alone make more than a block of report, so the first block goes out while the
    // walk lists them, before it reaches the cut.
    const int32_t cut = l.Frames + 5000;
    const std::string path = dir.Write("level.dm2", whole);
    DetailOptionSet all = OptionSets()[1].Options;
    all.Set(optTextureTiles, false);

    AppState state = Fresh(tiles.Path(), all, kReportFixedBytes);
    TextSink sink;
    int64_t walkedWhenCut = -1;
    sink.OnFirstBlock = [&] {
        walkedWhenCut = state.Map.Spans().empty() ? 0 : state.Map.Spans().back().First;
        ASSERT_EQ(::truncate(path.c_str(), cut), 0);
    };
    const uint64_t faultsBefore = mapped::CutFaults();
    ASSERT_EQ(StreamLevelReport(state, path, sink, 1), 0);
    ASSERT_TRUE(state.Level && state.Level->Mapped());
    EXPECT_LT(walkedWhenCut, cut);
    EXPECT_GT(mapped::CutFaults(), faultsBefore);
    EXPECT_EQ(state.Level->U8(cut + 4096), 0);
    EXPECT_EQ(state.Level->U8(l.Frames), whole[static_cast<size_t>(l.Frames)]);

    // The same file, its full length, zeros from the cut on.
    std::vector<uint8_t> zeroed = whole;
    std::fill(zeroed.begin() + cut, zeroed.end(), uint8_t{0});
    state.Level.reset();
    dir.Write("level.dm2", zeroed);
    const RunResult expected = InPane(path, tiles.Path(), all, kReportFixedBytes);
    EXPECT_TRUE(sink.Text == expected.Text);
    EXPECT_GT(sink.Blocks, 1);
}

// A fault on a mapping that is not a level's still ends the process as SIGBUS does.
TEST(StreamedReportDeathTest, OtherBusErrorsStillEndTheProcess) {
    TempDir dir;
    const std::string path = dir.Write("other", std::vector<uint8_t>(3 * 4096, 1));
    EXPECT_DEATH(
        {
            LevelFile level;
            level.Open(
                dir.Write("big", std::vector<uint8_t>(LevelFile::kMapFrom, 2))); // installs the handler
            const int fd = ::open(path.c_str(), O_RDONLY);
            auto* bytes =
                static_cast<volatile uint8_t*>(::mmap(nullptr, 3 * 4096, PROT_READ, MAP_SHARED, fd, 0));
            (void)::truncate(path.c_str(), 0);
            (void)bytes[2 * 4096];
        },
        "");
}
