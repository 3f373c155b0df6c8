// The JSON document of damaged and hostile levels parses with a real JSON parser and tells how the
// walk ended: cut files, hostile values in every count field the walk met, and the saved fuzz inputs.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <span>

#include "fuzz/FuzzInput.h"
#include "hardening/HardeningSupport.h"
#include "report/JsonReport.h"
#include "report/ReportRun.h"

using namespace hardening;
using nlohmann::json;

namespace {

// Walks bytes from memory, with a small report limit as the fuzz target has, and checks that the
// document parses and ends where the walk did.
void WalkToJson(std::vector<uint8_t> bytes, int16_t generation, const DetailOptionSet& options) {
    AppState state;
    state.DetailOptions = options;
    state.ReportFixedBytes = int64_t{1} << 20;
    const LevelFile level = LevelFile::FromBytes(std::move(bytes));
    int32_t end = 0;
    WalkEnding how = WalkEnding::Completed;
    try {
        end = WalkLevel(WalkOutputOf(state, level), level, static_cast<format::Generation>(generation), 4);
        if (end < 0)
            how = WalkEnding::SteppedBack; // came to its last chunk before the file's first byte
    } catch (const WalkFault& fault) {
        end = fault.Offset;
        how = fault.Number == kReportLimitFault ? WalkEnding::SizeLimit : WalkEnding::Overflow;
    }
    std::string text;
    AppendJsonReport(text, "damaged.lvl", level, state.Map);
    // Only the top of the document is kept: the chunks are checked by the parse alone.
    const json doc = json::parse(
        text, [](int depth, json::parse_event_t, json&) { return depth < 3; }, false);
    ASSERT_FALSE(doc.is_discarded()) << text.substr(0, 300);
    EXPECT_EQ(doc["ended"]["how"], EndingName(how));
    EXPECT_EQ(doc["ended"]["offset"], end);
    EXPECT_EQ(doc["size"], level.Size());
}

// Every field the walk read a count or value from, as the map of the undamaged walk records it.
std::vector<std::pair<int32_t, int>> CountFields(const std::vector<uint8_t>& bytes, int16_t generation) {
    AppState state;
    SetAllDetails(state.DetailOptions, true);
    state.DetailOptions.Set(optTextureTiles, false);
    const LevelFile level = LevelFile::FromBytes(bytes);
    WalkLevel(WalkOutputOf(state, level), level, static_cast<format::Generation>(generation), 4);
    std::vector<std::pair<int32_t, int>> fields;
    for (const Span& s : state.Map.Spans())
        if (s.CountWidth > 0)
            fields.emplace_back(s.First, s.CountWidth);
    return fields;
}

constexpr int32_t kHostileValues[] = {-1, 32767, 0x7FFFFFFF, -16384};

class DamagedJson : public testing::TestWithParam<int16_t> {};
INSTANTIATE_TEST_SUITE_P(, DamagedJson, testing::Values(int16_t{2}, int16_t{3}),
                         [](const auto& info) { return "DM" + std::to_string(info.param); });

} // namespace

// Cuts every few bytes and at every count field, with no options and with all (no tile export).
TEST_P(DamagedJson, CutLevelsGiveDocumentsThatParse) {
    const int16_t generation = GetParam();
    const std::vector<uint8_t> whole = levelbuilder::Build(SmallLevel(generation));
    std::vector<size_t> cuts;
    for (size_t cut = 0; cut <= whole.size(); cut += 97)
        cuts.push_back(cut);
    for (const auto& [at, width] : CountFields(whole, generation))
        cuts.insert(cuts.end(), {static_cast<size_t>(at) + 1, static_cast<size_t>(at + width)});
    for (const OptionSet& set : {OptionSets()[0], OptionSets()[1]}) {
        DetailOptionSet options = set.Options;
        options.Set(optTextureTiles, false);
        for (const size_t cut : cuts) {
            SCOPED_TRACE("cut at " + std::to_string(cut) + ", options " + set.Name);
            WalkToJson({whole.begin(), whole.begin() + static_cast<long>(std::min(cut, whole.size()))},
                       generation, options);
        }
    }
}

// Each hostile value in each count field the walk meets: chunk counts, room list counts, the sector
// grid, the room fields.
TEST_P(DamagedJson, HostileCountsGiveDocumentsThatParse) {
    const int16_t generation = GetParam();
    const std::vector<uint8_t> sound = levelbuilder::Build(SmallLevel(generation));
    for (const auto& [at, width] : CountFields(sound, generation)) {
        for (const int32_t value : kHostileValues) {
            std::vector<uint8_t> bytes = sound;
            for (int i = 0; i < width; ++i)
                bytes[static_cast<size_t>(at + i)] = static_cast<uint8_t>(value >> (8 * i));
            for (const OptionSet& set : {OptionSets()[0], OptionSets()[1]}) {
                DetailOptionSet options = set.Options;
                options.Set(optTextureTiles, false);
                SCOPED_TRACE("value " + std::to_string(value) + " at " + At(at) + " options " + set.Name);
                WalkToJson(bytes, generation, options);
            }
        }
    }
}

// Every saved fuzz input of at most 1 MiB through the report run, with the options it carries and the
// fuzz target's small report limit.
TEST(FuzzInputJson, SavedFuzzInputsGiveDocumentsThatParse) {
    const TempDir dir;
    size_t inputs = 0;
    for (const char* folder : {STRATA_FUZZ_CORPUS, STRATA_FUZZ_REGRESSIONS}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::vector<uint8_t> input = ReadAll(entry.path());
            const std::span<const uint8_t> level = fuzzinput::LevelBytes(input);
            // The padded room loop's document runs to hundreds of megabytes: the fuzz replay checks it
            // as it streams, without holding it.
            if (level.size() > (size_t{1} << 20))
                continue;
            AppState state;
            state.TileFolderOverride = dir.Path() / "tiles";
            state.ReportFixedBytes = int64_t{4} << 20;
            fuzzinput::ApplyOptions(state, input);
            state.DetailOptions.Set(optTextureTiles, false);
            const int16_t status =
                ReportLevelFile(state, dir.Write("level", std::vector<uint8_t>(level.begin(), level.end())));
            const std::string document = JsonReport(state);
            EXPECT_EQ(document.empty(), status == kStatusEmptyOrMissing) << entry.path();
            EXPECT_TRUE(document.empty() || json::accept(document)) << entry.path();
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 100u);
}
