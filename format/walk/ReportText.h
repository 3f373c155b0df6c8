#pragma once
// The report text operations: the only writers of report lines.
#include <cstdint>
#include <string_view>

#include "format/walk/ReportPane.h"

inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr std::string_view kSeparatorLine =
    ";---------------------------------------------------------";

// Appends "\r\n" + text at the end of the pane, or with replaceAll makes text the pane's whole text.
// An empty text does nothing.
void AppendReportLine(std::string_view text, ReportPane& pane, bool replaceAll = false);
void AppendSeparatorLine(ReportPane& pane, bool replaceAll = false);
void AppendBlankLine(ReportPane& pane, bool replaceAll = false);
// "0x" + hex(offset) + "," + decimal(offset) + "," + text.
void AppendOffsetLine(ReportPane& pane, int32_t offset, std::string_view text);
