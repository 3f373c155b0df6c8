#pragma once
// strata-diff: compares two level files by their structure and prints one line per difference, like
// diff: exit 0 when they are the same (nothing printed), 1 when they differ, 2 on trouble.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kDiffUsage =
    "strata-diff [--format text|json] [--stat] [--sections LIST] A B";

enum DiffExit : int {
    kDiffSame = 0,
    kDiffDifferent = 1,
    kDiffTrouble = 2, // a file could not be read or is not a level, or the arguments were wrong
};

// args excludes the program name. --help and --version print to out and exit 0. The differences go to
// out, or when outDescriptor is not -1 to that descriptor (standard output, with the system's reason
// when a write fails). A or B may be "-": that level is read from standard input.
int RunDiffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   int outDescriptor = -1);
