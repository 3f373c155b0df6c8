#include "format/walk/ReportText.h"

#include "format/walk/ReportLine.h"

void AppendReportLine(std::string_view text, ReportPane& pane, bool replaceAll) {
    if (text.empty())
        return;
    if (replaceAll) {
        pane.ReplaceAll(text);
        return;
    }
    // The break goes in front of the line, so the pane's text never ends with one.
    pane.InsertAtEnd(kLineBreak);
    pane.InsertAtEnd(text);
}

void AppendSeparatorLine(ReportPane& pane, bool replaceAll) {
    AppendReportLine(kSeparatorLine, pane, replaceAll);
}

void AppendBlankLine(ReportPane& pane, bool replaceAll) {
    AppendReportLine(" ", pane, replaceAll);
}

void AppendOffsetLine(ReportPane& pane, int32_t offset, std::string_view text) {
    ReportLine line;
    line.Offset(offset).Text(text);
    AppendReportLine(line.View(), pane);
}
