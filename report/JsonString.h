#pragma once
// The one JSON string writer of every document the programs write: the report, the summary, the
// comparison.
#include <string>
#include <string_view>

// Appends text as a JSON string, quotes included: '"', '\\' and the control bytes 0x00 to 0x1F
// escaped, bytes that are not UTF-8 as U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);
