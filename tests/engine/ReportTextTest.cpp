#include "engine/ReportText.h"

#include <gtest/gtest.h>

#include <string>

TEST(ReportText, LinesAreJoinedWithBreaksInFrontNeverBehind) {
    StringPane pane;
    AppendReportLine("first", pane, true);
    AppendReportLine("second", pane);
    AppendBlankLine(pane);
    AppendSeparatorLine(pane);
    EXPECT_EQ(pane.Str(),
              "first\r\nsecond\r\n \r\n;---------------------------------------------------------");
}

TEST(ReportText, EmptyTextWritesNothingEvenWhenReplacing) {
    StringPane pane;
    AppendReportLine("kept", pane, true);
    AppendReportLine("", pane);
    AppendReportLine("", pane, true);
    EXPECT_EQ(pane.Str(), "kept");
}

TEST(ReportText, ReplacingSeparatorClearsAnEarlierReport) {
    StringPane pane;
    AppendReportLine("old report", pane, true);
    AppendReportLine("old line", pane);
    AppendSeparatorLine(pane, true);
    EXPECT_EQ(pane.Str(), kSeparatorLine);
    EXPECT_EQ(kSeparatorLine.size(), 58u);
    EXPECT_EQ(kSeparatorLine.find_first_not_of('-', 1), std::string_view::npos);
}

TEST(ReportText, OffsetLinesShowHexAndDecimal) {
    StringPane pane;
    AppendReportLine("start", pane, true);
    AppendOffsetLine(pane, 0, "x");
    AppendOffsetLine(pane, -1, "x");
    AppendOffsetLine(pane, 1796, "12,Texture Tiles");
    EXPECT_EQ(pane.Str(), "start\r\n0x0,0,x\r\n0xFFFFFFFF,-1,x\r\n0x704,1796,12,Texture Tiles");
}
