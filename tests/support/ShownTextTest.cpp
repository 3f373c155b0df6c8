#include "support/ShownText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    std::string Name;
    std::string Shown;
};

} // namespace

TEST(ShownText, EscapesWhatCouldDriveATerminalAndKeepsWhatPrints) {
    using namespace std::string_literals;
    const Case cases[] = {
        {"level.dm2", "level.dm2"},
        {"", ""},
        {"a b~!.dm2", "a b~!.dm2"},
        {"C:\\levels\\a.dm2", "C:\\levels\\a.dm2"}, // the backslash stays
        {"a\nb.dm2", "a\\nb.dm2"},                  // a line break cannot fake a second line
        {"a\rb\tc", "a\\rb\\tc"},
        {"\x1b]0;owned\a.dm2", "\\x1b]0;owned\\x07.dm2"}, // a title change
        {"\x1b[2J\x1b[31mred", "\\x1b[2J\\x1b[31mred"},   // clear the screen, colour
        {"nul\0byte"s, "nul\\x00byte"},
        {"del\x7f", "del\\x7f"},
        {"caf\xc3\xa9.dm2", "caf\xc3\xa9.dm2"},       // é: valid UTF-8 that prints
        {"\xe6\xb0\xb4.dm3", "\xe6\xb0\xb4.dm3"},     // 水
        {"\xf0\x9f\x8e\xae", "\xf0\x9f\x8e\xae"},     // a four-byte character
        {"\u009b2J", "\\xc2\\x9b2J"},                 // U+009B, the C1 control sequence start
        {"\xc2\x85", "\\xc2\\x85"},                   // U+0085, next line
        {"\xc2\x9f", "\\xc2\\x9f"},                   // U+009F, the last C1 control
        {"\xc2\xa0", "\xc2\xa0"},                     // U+00A0, a space that prints
        {"\u202egpj.dm2", "\\xe2\\x80\\xaegpj.dm2"},  // right-to-left override
        {"\xe2\x81\xa6x", "\\xe2\\x81\\xa6x"},        // a direction isolate
        {"\xe2\x80\xa8", "\\xe2\\x80\\xa8"},          // the line separator
        {"\x9b[2J", "\\x9b[2J"},                      // a bare 8-bit control sequence start
        {"\xff\xfe", "\\xff\\xfe"},                   // bytes that are never UTF-8
        {"\xc3", "\\xc3"},                            // a sequence cut by the end
        {"\xc3(", "\\xc3("},                          // a lead byte without its continuation
        {"\xc0\xaf", "\\xc0\\xaf"},                   // an overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},          // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"}, // past U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShownText(c.Name), c.Shown) << "for the name " << ShownText(c.Name);
    // A sequence cut by the end of the text given, though more of it lies in memory after that end.
    const std::string euro = "\xe2\x82\xac";
    EXPECT_EQ(ShownText(std::string_view(euro).substr(0, 2)), "\\xe2\\x82");
    EXPECT_EQ(ShownText(euro), euro);
}
