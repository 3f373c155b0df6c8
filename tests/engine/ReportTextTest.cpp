#include "engine/ReportText.h"

#include <gtest/gtest.h>

// Line breaks go in front of appended lines, never behind; empty text writes nothing, also when replacing;
// a replacing separator clears an earlier report.
TEST(ReportText, PaneOperations) {
    StringPane pane;
    AppendReportLine("first", pane, true);
    AppendReportLine("second", pane);
    AppendBlankLine(pane);
    AppendReportLine("", pane);
    AppendReportLine("", pane, true);
    AppendOffsetLine(pane, 0, "x");
    AppendOffsetLine(pane, -1, "x");
    AppendOffsetLine(pane, 1796, "12,Texture Tiles");
    AppendSeparatorLine(pane);
    EXPECT_EQ(pane.Str(),
              "first\r\nsecond\r\n \r\n0x0,0,x\r\n0xFFFFFFFF,-1,x\r\n0x704,1796,12,Texture Tiles\r\n;"
              "---------------------------------------------------------");
    AppendSeparatorLine(pane, true);
    EXPECT_EQ(pane.Str(), ";---------------------------------------------------------");
}
