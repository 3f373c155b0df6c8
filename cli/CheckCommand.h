#pragma once
// strata-check: checks level files for references that point nowhere (a door to a missing room, a
// face's vertex past its room's list) and prints the findings like a compiler's diagnostics, as JSON or
// as a SARIF log. Folders are searched as --summary searches them and the files are checked in parallel;
// the findings come out in the order the files were named, each file's as they are found.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kCheckUsage =
    "strata-check [--format text|json|sarif] [--rules LIST] [--severity error|warning] [-o FILE] FILE...|DIR";

enum CheckExit : int {
    kCheckClean = 0,   // no error found (warnings allowed)
    kCheckErrors = 1,  // an error was found
    kCheckTrouble = 2, // a file could not be read or is not a level, an output could not be written, or
                       // the arguments were wrong
};

// args excludes the program name. --help, --version and --list-rules print to out and exit 0. The
// findings go to out, or when outDescriptor is not -1 to that descriptor (standard output, with the
// system's reason when a write fails), or with -o into FILE through the one output writer. threads as
// in Summarise (0: one per core).
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    int outDescriptor = -1, unsigned threads = 0);
