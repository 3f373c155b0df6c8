// strata-check: the references of level files that point nowhere, tied to their bytes.
#include <csignal>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/CheckCommand.h"

int main(int argc, char** argv) {
    // A reader that went away is a write error with its reason, not a silent end of the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunCheckCommand(args, std::cout, std::cerr, STDOUT_FILENO);
}
