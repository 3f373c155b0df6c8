#pragma once
// Writing the report to the file named with -o.
#include <filesystem>
#include <string>
#include <string_view>

// Writes text as the whole content of path: first into a temporary file in the same folder, then
// renamed over path, so a failed write leaves neither a partial file nor a changed earlier one.
// Returns "" on success, otherwise the reason in a few words ("no such folder", "permission denied").
std::string WriteWholeFile(const std::filesystem::path& path, std::string_view text);

// The reason of a failed system call in a few lower-case words.
std::string ReasonOfError(int error);
