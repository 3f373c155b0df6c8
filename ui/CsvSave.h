#pragma once
// Saving the report as a CSV file.
#include <optional>
#include <string>
#include <string_view>

#include <QString>

// The file name proposed for a level path: the name behind the path's last "\" (or "/") without its
// last four characters (the extension with its dot), + ".csv". None when the path has no separator.
std::optional<std::string> ProposedCsvName(std::string_view levelPath);

// Writes text to path, byte for byte, through the program's one output writer (report/OutputFile.h),
// never over the level file named levelPath. Returns "" on success, else the reason.
QString SaveReportText(const QString& path, std::string_view text, const std::string& levelPath);
