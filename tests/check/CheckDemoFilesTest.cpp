// make-demo-level run as a user runs it: the demo levels it writes check clean, the broken ones give the
// mistakes they were made with.
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

#include "check/Check.h"
#include "common/TestFiles.h"

namespace {

std::multiset<std::string_view> RulesFound(const std::filesystem::path& path) {
    LevelFile level;
    EXPECT_EQ(level.Open(path.string()), 0) << path;
    check::FindingList found;
    check::CheckLevel(level, {}, found);
    std::multiset<std::string_view> ids;
    for (const check::Finding& f : found.Items)
        ids.insert(f.Of->Id);
    return ids;
}

} // namespace

TEST(CheckDemoFiles, TheDemoLevelsCheckCleanAndTheBrokenOnesShowTheirMistakes) {
    TempDir dir;
    const std::string quiet = " > " + (dir.Path() / "out.txt").string();
    ASSERT_EQ(std::system(("'" MAKE_DEMO_LEVEL_PATH "' '" + dir.Path().string() + "'" + quiet).c_str()), 0);
    ASSERT_EQ(
        std::system(
            ("'" MAKE_DEMO_LEVEL_PATH "' --broken '" + (dir.Path() / "b").string() + "'" + quiet).c_str()),
        0);
    const std::multiset<std::string_view> mistakes{"door-room",       "face-texture", "sector-floor-data",
                                                   "moveable-meshes", "item-room",    "item-object"};
    for (const char* ext : {"dm2", "dm3"}) {
        EXPECT_TRUE(RulesFound(dir.Path() / (std::string("demo.") + ext)).empty()) << ext;
        EXPECT_EQ(RulesFound(dir.Path() / "b" / (std::string("broken.") + ext)), mistakes) << ext;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "b" / (std::string("demo.") + ext)));
    }
}

// The README's table of rules gives every rule's id, severity and help sentence as the checker has them.
TEST(CheckReadme, TheRuleTableDocumentsEveryRule) {
    std::ifstream in(std::string(STRATA_SOURCE_DIR) + "/README.md");
    const std::string readme((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_NE(readme.find("### Checker rules"), std::string::npos);
    for (const check::Rule& rule : check::Rules()) {
        const std::string row = "| `" + std::string(rule.Id) + "` | " +
                                std::string(check::SeverityName(rule.Level)) + " | " +
                                std::string(rule.Help) + " |";
        EXPECT_NE(readme.find(row), std::string::npos) << row;
    }
}
