// strata-report: the report of one level file, as the viewer's pane would hold it.
#include <csignal>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/ProgramFolder.h"
#include "cli/ReportCommand.h"
#include "cli/SummaryCommand.h"

int main(int argc, char** argv) {
    // A reader that went away is a write error with its reason, not a silent end of the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (IsSummaryRequest(args))
        return RunSummaryCommand(args, std::cout, std::cerr, STDOUT_FILENO);
    return RunReportCommand(args, ProgramFolderOf(argc > 0 ? argv[0] : nullptr), std::cout, std::cerr,
                            STDOUT_FILENO);
}
